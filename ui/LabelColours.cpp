// The colours of the labels: the system's own, the warning red where it can
// be read, and the high-contrast themes.
#include "LabelColours.h"

#include "MainWindow.h"

#include <algorithm>

// The label colours in use, chosen by ChooseLabelColours.
static COLORREF textColour;
static COLORREF projectColour;
static bool warningOnHighlight;

HBRUSH BackgroundBrush()
{
    return buttonFaceBrush ? buttonFaceBrush : GetSysColorBrush(COLOR_BTNFACE);
}

// x to the power 2.4, for x from 0 to 1: x squared times the fifth root of
// x squared, which Newton's method reaches from above. The C library's pow
// would add 3.5 KB to the program for this one use.
static double Power24(double x)
{
    const double square = x * x;
    double root = 1;
    for (int i = 0; i < 30; i++)
        root = (4 * root + square / (root * root * root * root)) / 5;
    return square * root;
}

// Relative luminance of a colour, as the Web Content Accessibility
// Guidelines (WCAG 2) define it for sRGB.
static double Luminance(COLORREF colour)
{
    const int channels[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
    const double weights[3] = {0.2126, 0.7152, 0.0722};
    double luminance = 0;
    for (int i = 0; i < 3; i++)
    {
        const double c = channels[i] / 255.0;
        luminance += weights[i] * (c <= 0.03928 ? c / 12.92 : Power24((c + 0.055) / 1.055));
    }
    return luminance;
}

static double ContrastRatio(COLORREF a, COLORREF b)
{
    const double la = Luminance(a);
    const double lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// Text of the labels' size wants 4.5 to 1 against its background to be
// readable (WCAG 2, level AA).
constexpr double READABLE_CONTRAST = 4.5;

bool HighContrastOn()
{
    HIGHCONTRASTA setting = {};
    setting.cbSize = sizeof setting;
    return SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof setting, &setting, 0) &&
           (setting.dwFlags & HCF_HIGHCONTRASTON);
}

// Labels are drawn in the system's text colour for the button face, which
// is black in the usual colours and light on a dark face. A high-contrast
// theme is the user's own choice of colours, so there the project name
// takes that text colour too. Red stays the warning as long as it can be
// read on the theme's button face (on black it reaches 5 to 1). Where it
// cannot (on white only 4 to 1), the warning is shown the way the theme
// shows a selection, its highlight text on its highlight colour: every
// high-contrast theme makes that pair readable, and the label still stands
// apart from the others. Outside high contrast the warning is always red.
void ChooseLabelColours(bool highContrast)
{
    textColour = GetSysColor(COLOR_BTNTEXT);
    projectColour = highContrast ? textColour : PROJECT_COLOUR;
    warningOnHighlight = highContrast && ContrastRatio(WARNING_COLOUR, GetSysColor(COLOR_BTNFACE)) <
                                             READABLE_CONTRAST;
}

HBRUSH ColourLabel(HDC dc, LabelKind kind)
{
    if (kind == WARNING_LABEL && warningOnHighlight)
    {
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
        return GetSysColorBrush(COLOR_HIGHLIGHT);
    }
    SetTextColor(dc, kind == WARNING_LABEL   ? WARNING_COLOUR
                     : kind == PROJECT_LABEL ? projectColour
                                             : textColour);
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return BackgroundBrush();
}
