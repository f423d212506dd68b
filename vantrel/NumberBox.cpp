// Number boxes: an edit control subclassed so that keys and pastes that would
// put anything but a number's characters into it are refused with a beep.
// Text the program sets (WM_SETTEXT, EM_REPLACESEL) is never filtered.
#include "Vantrel.h"

namespace
{

// Holds the edit control's own window procedure while the box is a number
// box; its presence is what IsNumberBox asks about.
const char EDIT_PROC_PROPERTY[] = "Vantrel.EditProc";

bool IsNumberChar(WPARAM c)
{
    return (c >= '0' && c <= '9') || c == '+' || c == '-' || c == '.' || c == 'e' || c == 'E' ||
           c == 'd' || c == 'D';
}

bool IsMultiLine(HWND edit)
{
    return (GetWindowLongPtrA(edit, GWL_STYLE) & ES_MULTILINE) != 0;
}

// Control characters are the edit control's own commands (Backspace, and
// Ctrl+A, C, V, X, Z) and insert nothing into a one-line box; a multi-line
// box would insert Tab and line ends, so those are refused there. Every other
// character, including Ctrl+Backspace's DEL, must be a number's.
bool AdmitsChar(HWND edit, WPARAM c)
{
    if (IsNumberChar(c))
        return true;
    if (c >= 0x20)
        return false;
    if (IsMultiLine(edit))
        return c != '\t' && c != '\r' && c != '\n';
    return true;
}

// Whether the text on the clipboard is all number characters. A one-line edit
// control pastes only the first line, so its line end and what follows do not
// count there. An empty clipboard is admitted: pasting it changes nothing.
bool ClipboardHoldsNumber(HWND edit)
{
    if (!OpenClipboard(edit))
        return false;
    bool admitted = true;
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (data)
    {
        const WCHAR* text = static_cast<const WCHAR*>(GlobalLock(data));
        if (text)
        {
            // The terminator is normally there, but the block's size is the
            // bound another program cannot get wrong.
            SIZE_T count = GlobalSize(data) / sizeof(WCHAR);
            bool oneLine = !IsMultiLine(edit);
            for (SIZE_T i = 0; i < count && text[i]; i++)
            {
                if (oneLine &&
                    (text[i] == '\n' || (text[i] == '\r' && i + 1 < count && text[i + 1] == '\n')))
                    break;
                if (!IsNumberChar(text[i]))
                {
                    admitted = false;
                    break;
                }
            }
            GlobalUnlock(data);
        }
        else
        {
            admitted = false;
        }
    }
    CloseClipboard();
    return admitted;
}

LRESULT CallEditProc(WNDPROC editProc, bool unicode, HWND edit, UINT message, WPARAM wParam,
                     LPARAM lParam)
{
    return unicode ? CallWindowProcW(editProc, edit, message, wParam, lParam)
                   : CallWindowProcA(editProc, edit, message, wParam, lParam);
}

// The procedure of a number box. A window keeps the character set it was
// made with, so the box is hooked with the A or W call that matches the edit
// control, and its own procedure is called back the same way.
LRESULT CALLBACK NumberBoxProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam)
{
    bool unicode = IsWindowUnicode(edit) != FALSE;
    WNDPROC editProc = reinterpret_cast<WNDPROC>(GetPropA(edit, EDIT_PROC_PROPERTY));
    if (!editProc)
        return unicode ? DefWindowProcW(edit, message, wParam, lParam)
                       : DefWindowProcA(edit, message, wParam, lParam);

    switch (message)
    {
    case WM_CHAR:
    case WM_IME_CHAR:
        if (!AdmitsChar(edit, wParam))
        {
            MessageBeep(MB_OK);
            return 0;
        }
        break;
    case WM_KEYDOWN:
        // Ctrl+A selects the whole text, which the older edit control
        // leaves undone. Ctrl with Alt is AltGr, which types characters.
        if (wParam == 'A' && GetKeyState(VK_CONTROL) < 0 && GetKeyState(VK_MENU) >= 0)
        {
            CallEditProc(editProc, unicode, edit, EM_SETSEL, 0, -1);
            return 0;
        }
        // Shift+Insert pastes inside the edit control without a WM_PASTE;
        // send one, so that this paste is checked like all the others.
        if (wParam == VK_INSERT && GetKeyState(VK_SHIFT) < 0)
        {
            if (unicode)
                SendMessageW(edit, WM_PASTE, 0, 0);
            else
                SendMessageA(edit, WM_PASTE, 0, 0);
            return 0;
        }
        break;
    case WM_PASTE:
        // Ctrl+V, Shift+Insert and the context menu's Paste all come here.
        if (!(GetWindowLongPtrA(edit, GWL_STYLE) & ES_READONLY) && !ClipboardHoldsNumber(edit))
        {
            MessageBeep(MB_OK);
            return 0;
        }
        break;
    case WM_NCDESTROY:
        // The last message: unhook, so that no property outlives the window.
        // A procedure that subclassed the box after us still chains back
        // here, so ours is only replaced when it is still the one in place.
        if (unicode)
        {
            if (GetWindowLongPtrW(edit, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(NumberBoxProc))
                SetWindowLongPtrW(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc));
        }
        else if (GetWindowLongPtrA(edit, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(NumberBoxProc))
        {
            SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(editProc));
        }
        RemovePropA(edit, EDIT_PROC_PROPERTY);
        break;
    }
    return CallEditProc(editProc, unicode, edit, message, wParam, lParam);
}

bool IsEditControl(HWND window)
{
    // Room for "Edit" and its terminator, and for telling longer names apart.
    char name[8];
    if (GetClassNameA(window, name, sizeof name) && lstrcmpiA(name, "Edit") == 0)
        return true;
    // A superclass of the edit control is an edit control too.
    return RealGetWindowClassA(window, name, sizeof name) && lstrcmpiA(name, "Edit") == 0;
}

} // namespace

BOOL WINAPI IsNumberBox(HWND edit)
{
    return edit && IsWindow(edit) && GetPropA(edit, EDIT_PROC_PROPERTY) != nullptr;
}

BOOL WINAPI MakeNumberBox(HWND edit)
{
    if (!edit || !IsWindow(edit) || !IsEditControl(edit))
        return FALSE;
    if (IsNumberBox(edit))
        return TRUE;
    // Another process's window procedure cannot be replaced from here.
    DWORD process = 0;
    GetWindowThreadProcessId(edit, &process);
    if (process != GetCurrentProcessId())
        return FALSE;

    bool unicode = IsWindowUnicode(edit) != FALSE;
    LONG_PTR editProc =
        unicode ? GetWindowLongPtrW(edit, GWLP_WNDPROC) : GetWindowLongPtrA(edit, GWLP_WNDPROC);
    // The property is in place before the first message can reach the box.
    if (!editProc || !SetPropA(edit, EDIT_PROC_PROPERTY, reinterpret_cast<HANDLE>(editProc)))
        return FALSE;
    LONG_PTR numberBoxProc = reinterpret_cast<LONG_PTR>(NumberBoxProc);
    if (!(unicode ? SetWindowLongPtrW(edit, GWLP_WNDPROC, numberBoxProc)
                  : SetWindowLongPtrA(edit, GWLP_WNDPROC, numberBoxProc)))
    {
        RemovePropA(edit, EDIT_PROC_PROPERTY);
        return FALSE;
    }

    // The box now calls into this library until it is destroyed, so the
    // library must stay loaded even if a caller frees it.
    HMODULE self;
    GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCSTR>(NumberBoxProc), &self);
    return TRUE;
}
