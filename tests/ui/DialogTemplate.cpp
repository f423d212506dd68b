#include "DialogTemplate.h"

#include <cstring>

namespace
{

struct Reader
{
    const BYTE* at;

    WORD Word()
    {
        WORD value;
        std::memcpy(&value, at, sizeof value);
        at += sizeof value;
        return value;
    }

    DWORD Dword()
    {
        DWORD value;
        std::memcpy(&value, at, sizeof value);
        at += sizeof value;
        return value;
    }

    std::string Text()
    {
        std::string text;
        while (WORD c = Word())
            text += static_cast<char>(c);
        return text;
    }

    // A string, an ordinal (0xFFFF then a number) or nothing (0).
    std::string TextOrOrdinal(int* ordinal)
    {
        *ordinal = 0;
        WORD first;
        std::memcpy(&first, at, sizeof first);
        if (first == 0)
        {
            at += 2;
            return "";
        }
        if (first == 0xFFFF)
        {
            at += 2;
            *ordinal = Word();
            return "";
        }
        return Text();
    }

    void AlignDword(const BYTE* start)
    {
        while ((at - start) % 4)
            at++;
    }
};

std::string ClassOfOrdinal(int ordinal)
{
    switch (ordinal)
    {
    case 0x80:
        return "Button";
    case 0x81:
        return "Edit";
    case 0x82:
        return "Static";
    case 0x83:
        return "ListBox";
    case 0x84:
        return "ScrollBar";
    case 0x85:
        return "ComboBox";
    }
    return "?";
}

} // namespace

DialogTemplate ReadDialogTemplate(int id)
{
    DialogTemplate dialog = {};
    HRSRC resource = FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(5)); // RT_DIALOG
    if (!resource)
        return dialog;
    const BYTE* start = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, resource)));
    Reader in = {start};
    if (in.Word() != 1 || in.Word() != 0xFFFF)
        return dialog; // not an extended template
    dialog.found = true;
    in.Dword(); // help id
    dialog.exStyle = in.Dword();
    dialog.style = in.Dword();
    const int count = in.Word();
    dialog.x = static_cast<short>(in.Word());
    dialog.y = static_cast<short>(in.Word());
    dialog.cx = static_cast<short>(in.Word());
    dialog.cy = static_cast<short>(in.Word());
    in.TextOrOrdinal(&dialog.menu);
    int classOrdinal;
    in.TextOrOrdinal(&classOrdinal);
    dialog.title = in.Text();
    if (dialog.style & (DS_SETFONT | DS_SHELLFONT))
    {
        dialog.pointSize = in.Word();
        in.Word(); // weight
        in.Word(); // italic, character set
        dialog.font = in.Text();
    }
    for (int i = 0; i < count; i++)
    {
        in.AlignDword(start);
        TemplateItem item = {};
        in.Dword(); // help id
        item.exStyle = in.Dword();
        item.style = in.Dword();
        item.x = static_cast<short>(in.Word());
        item.y = static_cast<short>(in.Word());
        item.cx = static_cast<short>(in.Word());
        item.cy = static_cast<short>(in.Word());
        item.id = static_cast<int>(in.Dword());
        int ordinal;
        item.windowClass = in.TextOrOrdinal(&ordinal);
        if (ordinal)
            item.windowClass = ClassOfOrdinal(ordinal);
        int textOrdinal;
        item.text = in.TextOrOrdinal(&textOrdinal);
        in.at += in.Word(); // creation data
        dialog.items.push_back(item);
    }
    return dialog;
}
