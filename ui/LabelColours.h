// The colours the labels of both windows are drawn in.
#pragma once

#include <windows.h>

// Colours of the labels where the system's colours leave the choice to the
// program: the project name, and a value out of its range.
constexpr COLORREF PROJECT_COLOUR = RGB(0, 0, 100);
constexpr COLORREF WARNING_COLOUR = RGB(255, 0, 0);

// What a static control shows, for its colours.
enum LabelKind
{
    PLAIN_LABEL,
    PROJECT_LABEL,
    WARNING_LABEL
};

// The button-face brush for the colour queries; the system's own until the
// program's brush exists, never an invalid one.
HBRUSH BackgroundBrush();
// Sets the colours a static control of either window paints in and answers
// its background brush.
HBRUSH ColourLabel(HDC dc, LabelKind kind);
// Whether the system's high-contrast setting is on.
bool HighContrastOn();
// Chooses the label colours from the system's colours: on start-up, and
// again whenever the system's colours or the high-contrast setting change.
void ChooseLabelColours(bool highContrast);
