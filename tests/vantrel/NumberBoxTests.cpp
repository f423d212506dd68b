// Number boxes driven the way a user drives them: key and character messages
// sent through the window, the clipboard's shortcuts and pastes, and the
// program's own writes, on real edit controls in a real top-level window.
#include "Vantrel.h"

#include <gtest/gtest.h>

#include <cstring>

namespace
{

const int EDIT_ID = 100;

int changeCount; // EN_CHANGE notifications the parent has received

LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && LOWORD(wParam) == EDIT_ID && HIWORD(wParam) == EN_CHANGE)
        changeCount++;
    return DefWindowProcA(window, message, wParam, lParam);
}

HWND CreateParent()
{
    static ATOM parentClass;
    if (!parentClass)
    {
        WNDCLASSA wc = {};
        wc.lpfnWndProc = ParentProc;
        wc.hInstance = GetModuleHandleA(nullptr);
        wc.lpszClassName = "NumberBoxTestParent";
        parentClass = RegisterClassA(&wc);
    }
    return CreateWindowExA(0, "NumberBoxTestParent", "Number box test", WS_OVERLAPPEDWINDOW, 0, 0,
                           300, 200, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
}

HWND CreateEdit(HWND parent, DWORD extraStyle = 0)
{
    return CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                           WS_CHILD | WS_VISIBLE | WS_TABSTOP | ES_AUTOHSCROLL | extraStyle, 10, 10,
                           120, 24, parent, reinterpret_cast<HMENU>(EDIT_ID),
                           GetModuleHandleA(nullptr), nullptr);
}

// Holds a modifier key down (or lets it go) in this thread's keyboard state,
// which is what the edit control asks GetKeyState about.
void SetKeyDown(int vk, bool down)
{
    BYTE keys[256];
    GetKeyboardState(keys);
    keys[vk] = down ? 0x80 : 0;
    SetKeyboardState(keys);
}

// One key stroke as TranslateMessage would deliver it: the key going down,
// its character if it has one, the key coming up.
void Press(HWND edit, UINT vk, WPARAM ch = 0)
{
    SendMessageA(edit, WM_KEYDOWN, vk, 1);
    if (ch)
        SendMessageA(edit, WM_CHAR, ch, 1);
    SendMessageA(edit, WM_KEYUP, vk, 0xC0000001);
}

void Type(HWND edit, const char* text)
{
    for (const char* c = text; *c; c++)
        Press(edit, VkKeyScanA(*c) & 0xFF, static_cast<unsigned char>(*c));
}

void PressWithControl(HWND edit, char letter)
{
    SetKeyDown(VK_CONTROL, true);
    Press(edit, letter, letter - 'A' + 1);
    SetKeyDown(VK_CONTROL, false);
}

bool SetClipboardText(HWND owner, const char* text)
{
    if (!OpenClipboard(owner))
        return false;
    EmptyClipboard();
    size_t size = std::strlen(text) + 1;
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    std::memcpy(GlobalLock(block), text, size);
    GlobalUnlock(block);
    bool placed = SetClipboardData(CF_TEXT, block) != nullptr;
    CloseClipboard();
    return placed;
}

void GetClipboardText(HWND owner, char* out, size_t size)
{
    out[0] = '\0';
    if (!OpenClipboard(owner))
        return;
    if (HANDLE data = GetClipboardData(CF_TEXT))
    {
        const char* text = static_cast<const char*>(GlobalLock(data));
        lstrcpynA(out, text, static_cast<int>(size));
        GlobalUnlock(data);
    }
    CloseClipboard();
}

class NumberBox : public ::testing::Test
{
  protected:
    HWND parent = nullptr;
    HWND edit = nullptr;
    char text[128] = {};

    void SetUp() override
    {
        parent = CreateParent();
        ASSERT_NE(parent, nullptr);
        edit = CreateEdit(parent);
        ASSERT_NE(edit, nullptr);
        ASSERT_TRUE(MakeNumberBox(edit));
        changeCount = 0;
    }

    void TearDown() override
    {
        if (parent)
            DestroyWindow(parent);
    }

    const char* Text()
    {
        GetWindowTextA(edit, text, sizeof text);
        return text;
    }

    void Paste(const char* clipboard)
    {
        ASSERT_TRUE(SetClipboardText(parent, clipboard));
        PressWithControl(edit, 'V');
    }
};

TEST_F(NumberBox, AdmitsOnlyWhatANumberCanContain)
{
    Type(edit, "a1b2 ,.x5e-3Dd+E!zZ");
    EXPECT_STREQ(Text(), "12.5e-3Dd+E");
    EXPECT_EQ(changeCount, 11) << "one change notification per admitted character";

    // Letters beyond the exponent's, DEL (Ctrl+Backspace) and characters
    // outside ASCII that an ANSI box receives as single bytes.
    SetWindowTextA(edit, "");
    changeCount = 0;
    Press(edit, 'F', 'f');
    Press(edit, VK_BACK, 0x7F);
    Press(edit, 0, 0xE9);
    Press(edit, 0, 0xB2); // superscript two is not a digit
    EXPECT_STREQ(Text(), "");
    EXPECT_EQ(changeCount, 0);
}

TEST_F(NumberBox, EditingKeysStillWork)
{
    Type(edit, "12345");
    Press(edit, VK_HOME);
    Press(edit, VK_RIGHT);
    Press(edit, VK_DELETE);
    EXPECT_STREQ(Text(), "1345");
    Press(edit, VK_END);
    Press(edit, VK_BACK, '\b');
    EXPECT_STREQ(Text(), "134");
    Press(edit, VK_LEFT);
    Type(edit, "9");
    EXPECT_STREQ(Text(), "1394");
}

TEST_F(NumberBox, ClipboardShortcutsStillWork)
{
    Type(edit, "12.5");
    PressWithControl(edit, 'A');
    DWORD start = 0, end = 0;
    SendMessageA(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 4u) << "Ctrl+A selects the whole text";

    char clipboard[128];
    ASSERT_TRUE(SetClipboardText(parent, "other"));
    PressWithControl(edit, 'C');
    GetClipboardText(parent, clipboard, sizeof clipboard);
    EXPECT_STREQ(clipboard, "12.5");

    ASSERT_TRUE(SetClipboardText(parent, "other"));
    PressWithControl(edit, 'X');
    EXPECT_STREQ(Text(), "");
    GetClipboardText(parent, clipboard, sizeof clipboard);
    EXPECT_STREQ(clipboard, "12.5");

    PressWithControl(edit, 'V');
    EXPECT_STREQ(Text(), "12.5");

    Type(edit, "7");
    PressWithControl(edit, 'Z');
    EXPECT_STREQ(Text(), "12.5") << "Ctrl+Z takes back the last typing";
}

TEST_F(NumberBox, PasteAdmitsANumberAndRefusesTextAsAWhole)
{
    Paste("-1.5e3");
    EXPECT_STREQ(Text(), "-1.5e3");

    SetWindowTextA(edit, "4");
    int changes = changeCount;
    Paste("abc");
    EXPECT_STREQ(Text(), "4");
    Paste("12a");
    EXPECT_STREQ(Text(), "4") << "one wrong character refuses the whole paste";
    Paste("1 2");
    EXPECT_STREQ(Text(), "4");
    EXPECT_EQ(changeCount, changes) << "a refused paste changes nothing";

    // A one-line box pastes only the first line, so a copied cell's line end
    // does not spoil the number; what follows it is never pasted.
    SetWindowTextA(edit, "");
    Paste("7\r\n");
    EXPECT_STREQ(Text(), "7");
}

TEST_F(NumberBox, EveryWayToPasteIsChecked)
{
    // Shift+Insert pastes inside the edit control without a WM_PASTE.
    ASSERT_TRUE(SetClipboardText(parent, "abc"));
    SetKeyDown(VK_SHIFT, true);
    Press(edit, VK_INSERT);
    SetKeyDown(VK_SHIFT, false);
    EXPECT_STREQ(Text(), "");

    ASSERT_TRUE(SetClipboardText(parent, "8"));
    SetKeyDown(VK_SHIFT, true);
    Press(edit, VK_INSERT);
    SetKeyDown(VK_SHIFT, false);
    EXPECT_STREQ(Text(), "8");

    // The context menu's Paste sends WM_PASTE.
    ASSERT_TRUE(SetClipboardText(parent, "x"));
    SendMessageA(edit, WM_PASTE, 0, 0);
    EXPECT_STREQ(Text(), "8");
}

TEST_F(NumberBox, TextSetByTheProgramIsKeptWholeAndNotified)
{
    EXPECT_TRUE(SetWindowTextA(edit, "not a number, 12"));
    EXPECT_STREQ(Text(), "not a number, 12");
    EXPECT_EQ(changeCount, 1);

    SendMessageA(edit, EM_SETSEL, 0, -1);
    SendMessageA(edit, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>("xyz"));
    EXPECT_STREQ(Text(), "xyz");
    EXPECT_EQ(changeCount, 2);

    SetDlgItemTextA(parent, EDIT_ID, "3.14");
    char read[128];
    GetDlgItemTextA(parent, EDIT_ID, read, sizeof read);
    EXPECT_STREQ(read, "3.14");
    EXPECT_EQ(changeCount, 3);
}

TEST_F(NumberBox, IsNumberBoxTellsBoxesFromOtherWindows)
{
    HWND plain = CreateEdit(parent);
    EXPECT_FALSE(IsNumberBox(plain));
    EXPECT_TRUE(MakeNumberBox(plain));
    EXPECT_TRUE(IsNumberBox(plain));
    EXPECT_TRUE(MakeNumberBox(plain)) << "a second call is harmless";
    Type(plain, "x5");
    EXPECT_EQ(GetWindowTextLengthA(plain), 1);

    EXPECT_FALSE(MakeNumberBox(nullptr));
    EXPECT_FALSE(IsNumberBox(nullptr));
    EXPECT_FALSE(MakeNumberBox(parent));
    HWND button = CreateWindowExA(0, "BUTTON", "OK", WS_CHILD, 0, 0, 10, 10, parent, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    HWND label = CreateWindowExA(0, "STATIC", "Edit", WS_CHILD, 0, 0, 10, 10, parent, nullptr,
                                 GetModuleHandleA(nullptr), nullptr);
    EXPECT_FALSE(MakeNumberBox(button));
    EXPECT_FALSE(MakeNumberBox(label));
    EXPECT_FALSE(IsNumberBox(button));

    DestroyWindow(plain);
    EXPECT_FALSE(IsNumberBox(plain)) << "a destroyed window is no box";
    EXPECT_FALSE(MakeNumberBox(plain));
}

// Watches a box's destruction from underneath: the edit control's procedure
// as it was before MakeNumberBox, which sees WM_NCDESTROY last.
WNDPROC plainEditProc;
bool sawNcDestroy;
BOOL boxAtNcDestroy;
LONG_PTR procAtNcDestroy;

LRESULT CALLBACK WatchingProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCDESTROY)
    {
        sawNcDestroy = true;
        boxAtNcDestroy = IsNumberBox(edit);
        procAtNcDestroy = GetWindowLongPtrA(edit, GWLP_WNDPROC);
    }
    return CallWindowProcA(plainEditProc, edit, message, wParam, lParam);
}

TEST_F(NumberBox, DestroyingTheBoxUndoesTheSubclass)
{
    HWND watched = CreateEdit(parent);
    plainEditProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(watched, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(WatchingProc)));
    ASSERT_TRUE(MakeNumberBox(watched));
    EXPECT_NE(GetWindowLongPtrA(watched, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(WatchingProc));
    sawNcDestroy = false;

    DestroyWindow(watched);
    ASSERT_TRUE(sawNcDestroy);
    EXPECT_FALSE(boxAtNcDestroy) << "the property is gone before the window";
    EXPECT_EQ(procAtNcDestroy, reinterpret_cast<LONG_PTR>(WatchingProc))
        << "the procedure underneath is back in place";
}

TEST_F(NumberBox, UnicodeBoxStaysUnicode)
{
    HWND wide = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | ES_AUTOHSCROLL, 0, 0, 100, 20, parent,
                                nullptr, GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(IsWindowUnicode(wide));
    ASSERT_TRUE(MakeNumberBox(wide));
    EXPECT_TRUE(IsWindowUnicode(wide));

    const WCHAR typed[] = {L'7', L'x', 0x00E9, 0x0662 /* Arabic-Indic two */, L'.', L'5', 0};
    for (const WCHAR* c = typed; *c; c++)
        SendMessageW(wide, WM_CHAR, *c, 1);
    WCHAR wideText[32];
    GetWindowTextW(wide, wideText, 32);
    EXPECT_EQ(lstrcmpW(wideText, L"7.5"), 0);
}

TEST_F(NumberBox, MultiLineBoxRefusesLineEndsAndTabs)
{
    HWND multi = CreateEdit(parent, ES_MULTILINE | ES_WANTRETURN);
    ASSERT_TRUE(MakeNumberBox(multi));
    Type(multi, "1");
    Press(multi, VK_RETURN, '\r');
    Press(multi, VK_TAB, '\t');
    Type(multi, "2");
    char read[32];
    GetWindowTextA(multi, read, sizeof read);
    EXPECT_STREQ(read, "12");

    ASSERT_TRUE(SetClipboardText(parent, "3\r\n4"));
    SendMessageA(multi, WM_PASTE, 0, 0);
    GetWindowTextA(multi, read, sizeof read);
    EXPECT_STREQ(read, "12") << "a multi-line box would paste both lines";
}

} // namespace
