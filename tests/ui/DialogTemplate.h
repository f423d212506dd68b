// Reads a dialog template (DLGTEMPLATEEX) out of this program's own
// resources, so tests can check the templates exactly as they were built.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

struct TemplateItem
{
    int id;
    std::string windowClass; // "Button", "Edit", "Static", ... or a class name
    std::string text;
    short x, y, cx, cy;
    DWORD style;
    DWORD exStyle;
};

struct DialogTemplate
{
    bool found;
    DWORD style;
    DWORD exStyle;
    short x, y, cx, cy;
    int menu; // 0 when there is none
    std::string title;
    int pointSize;
    std::string font;
    std::vector<TemplateItem> items;
};

DialogTemplate ReadDialogTemplate(int id);
