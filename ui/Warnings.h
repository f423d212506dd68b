// A warning is not shown by colour alone: while a label warns, it is drawn
// in the bold weight of its dialog's font (made once per dialog font), and
// the box after it carries why as its accessible description. why is one of
// the texts below, or null when the label does not warn.
#pragma once

#include <windows.h>

struct BoldFont
{
    HFONT from; // the dialog's font it was made from
    HFONT bold;
};
extern const char OUTSIDE_MAIN_RANGE[];
extern const char RANGE_OUTSIDE_MAIN[];
// DescribeForReaders makes a box answer a screen reader with its description,
// once, when its dialog is made.
void DescribeForReaders(HWND box);
void ShowWarning(HWND dialog, BoldFont* font, int labelId, int boxId, const char* why);
void FreeBoldFont(BoldFont* font);
