// The modal dialog that enters or edits the main range or one compressed
// range.
#include "RangeDialog.h"

#include "LabelColours.h"
#include "MainWindow.h"
#include "Warnings.h"

#include "NumberText.h"
#include "ProjectState.h"
#include "Vantrel.h"
#include "resource.h"

#include <cstdio>
#include <initializer_list>

// The target of the open dialog: a slot 0 to 4 or MAIN_RANGE_TARGET. Kept
// until the next dialog replaces it.
static int rangeTarget;
// The bold font of its warning labels, for as long as it is open.
static BoldFont rangeBold;

static bool TargetIsSlot()
{
    return rangeTarget >= 0 && rangeTarget < RANGE_SLOTS;
}

static void ShowNumber(HWND dialog, int id, double value)
{
    char text[TEXT_SIZE];
    SetDlgItemTextA(dialog, id, FormatValue(text, value));
}

static double ReadNumber(HWND dialog, int id)
{
    char text[TEXT_SIZE];
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return ParseValue(text);
}

static void InitRangeDialog(HWND dialog, int target)
{
    HANDLE icon = LoadProgramIcon(GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON));
    SendMessageA(dialog, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon));
    MakeNumberBox(GetDlgItem(dialog, IDC_RANGE_LOW));
    MakeNumberBox(GetDlgItem(dialog, IDC_RANGE_HIGH));
    DescribeForReaders(GetDlgItem(dialog, IDC_RANGE_LOW));
    DescribeForReaders(GetDlgItem(dialog, IDC_RANGE_HIGH));
    rangeTarget = target;

    char low[TEXT_SIZE];
    char high[TEXT_SIZE];
    if (TargetIsSlot())
    {
        char help[2 * TEXT_SIZE + 64];
        std::snprintf(help, sizeof help, "Numbers entered should be between %s and %s",
                      FormatValue(low, project.mainLow), FormatValue(high, project.mainHigh));
        SetDlgItemTextA(dialog, IDC_RANGE_HELP, help);
        const CompressedRange& r = project.ranges[target];
        if (!r.inUse)
            return; // a new range starts with empty boxes
        SetDlgItemTextA(dialog, IDC_RANGE_NAME, r.name);
        ShowNumber(dialog, IDC_RANGE_LOW, r.low);
        ShowNumber(dialog, IDC_RANGE_HIGH, r.high);
    }
    else
    {
        EnableWindow(GetDlgItem(dialog, IDC_RANGE_NAME), FALSE);
        SetDlgItemTextA(dialog, IDC_RANGE_NAME, "Main Range");
        SetDlgItemTextA(dialog, IDC_RANGE_HELP,
                        "Set the main value range. The low value should be lower than the high "
                        "value.");
        ShowNumber(dialog, IDC_RANGE_LOW, project.mainLow);
        ShowNumber(dialog, IDC_RANGE_HIGH, project.mainHigh);
    }
}

// The bounds stored are read back from the boxes, so what is stored is what
// was shown: an untouched 0.125 is stored as 0.13.
static void AcceptDialog(HWND dialog)
{
    const double low = ReadNumber(dialog, IDC_RANGE_LOW);
    const double high = ReadNumber(dialog, IDC_RANGE_HIGH);
    if (!(low < high))
    {
        MessageBoxA(dialog, "Low Value must be lower than High Value", "Error",
                    MB_OK | MB_ICONEXCLAMATION);
        return;
    }
    if (TargetIsSlot())
    {
        char name[TEXT_SIZE];
        GetDlgItemTextA(dialog, IDC_RANGE_NAME, name, sizeof name);
        AcceptRange(rangeTarget, name, low, high);
    }
    else
    {
        AcceptRange(MAIN_RANGE_TARGET, nullptr, low, high);
    }
    EndDialog(dialog, 1);
}

// Bound labels warn while a typed bound lies outside the main range; in the
// main-range mode they never do.
static bool BoundWarns(HWND dialog, int labelId)
{
    return TargetIsSlot() &&
           BoundOutsideMain(
               ReadNumber(dialog, labelId == IDC_LOW_LABEL ? IDC_RANGE_LOW : IDC_RANGE_HIGH));
}

static void ShowBoundWarnings(HWND dialog)
{
    for (int id : {IDC_LOW_LABEL, IDC_HIGH_LABEL})
        ShowWarning(dialog, &rangeBold, id, id == IDC_LOW_LABEL ? IDC_RANGE_LOW : IDC_RANGE_HIGH,
                    BoundWarns(dialog, id) ? OUTSIDE_MAIN_RANGE : nullptr);
}

static HBRUSH ColourStatic(HWND dialog, HDC dc, HWND control)
{
    const int id = GetDlgCtrlID(control);
    const bool warning = (id == IDC_LOW_LABEL || id == IDC_HIGH_LABEL) && BoundWarns(dialog, id);
    return ColourLabel(dc, warning ? WARNING_LABEL : PLAIN_LABEL);
}

INT_PTR CALLBACK RangeDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message)
    {
    case WM_INITDIALOG:
        InitRangeDialog(dialog, static_cast<int>(lParam));
        ShowBoundWarnings(dialog);
        return TRUE;

    case WM_DPICHANGED:
        PostMessageA(dialog, WM_SHOW_WARNINGS, 0, 0);
        return FALSE; // the dialog manager scales the font and the controls

    case WM_SHOW_WARNINGS:
        ShowBoundWarnings(dialog);
        return TRUE;

    case WM_DESTROY:
        FreeBoldFont(&rangeBold);
        return FALSE;

    case WM_CTLCOLORSTATIC:
        return reinterpret_cast<INT_PTR>(
            ColourStatic(dialog, reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam)));

    case WM_COMMAND:
        if (HIWORD(wParam) == EN_CHANGE)
        {
            ShowBoundWarnings(dialog);
        }
        else if (LOWORD(wParam) == IDOK)
        {
            AcceptDialog(dialog);
        }
        else if (LOWORD(wParam) == IDCANCEL)
        {
            EndDialog(dialog, 1);
        }
        return TRUE;

    case WM_CLOSE:
        // Ended like Cancel: a modal dialog destroyed any other way would
        // leave its owner disabled.
        EndDialog(dialog, 1);
        return TRUE;
    }
    return FALSE;
}

void OpenRangeDialog(HWND owner, int target)
{
    DialogBoxParamA(appInstance, MAKEINTRESOURCEA(IDD_RANGE), owner, RangeDialogProc, target);
}
