#include "MainWindowFixture.h"

#include "ModalDriver.h"

#include "ProjectState.h"
#include "StartFolder.h"
#include "StateCodec.h"
#include "MainWindow.h"
#include "WindowSettings.h"

#include <cstring>
#include <vector>

void MainWindowTest::SetUp()
{
    InTestFolder::SetUp();
    std::memset(&project, 0, sizeof project);
    windowSettings.flags = 0;
    // The row icons are read from the working directory, as at a real start.
    char exe[MAX_PATH];
    GetModuleFileNameA(nullptr, exe, MAX_PATH);
    std::strrchr(exe, '\\')[1] = '\0';
    for (const char* icon : {"edit.ico", "delete.ico"})
        CopyFileA((std::string(exe) + icon).c_str(), Path(icon).c_str(), FALSE);
}

void MainWindowTest::TearDown()
{
    if (IsWindow(window))
        DestroyWindow(window);
    DestroyIcon(editIcon);
    DestroyIcon(deleteIcon);
    editIcon = nullptr;
    deleteIcon = nullptr;
    DeleteObject(buttonFaceBrush);
    buttonFaceBrush = nullptr;
    // The window's destruction posts the quit message; left in the queue it
    // would end the next test's modal loops at once.
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
    }
    InTestFolder::TearDown();
}

void MainWindowTest::Open()
{
    TakeStartFolder();
    window = OpenMainWindow(GetModuleHandleA(nullptr));
    ASSERT_TRUE(window);
    Pump();
}

void MainWindowTest::CloseForRestart()
{
    SendMessageA(window, WM_CLOSE, 0, 0);
    ASSERT_FALSE(IsWindow(window));
    Pump();
    MSG quit;
    PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
    DeleteObject(buttonFaceBrush);
    buttonFaceBrush = nullptr;
}

void MainWindowTest::Pump()
{
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
    {
        if (message.message == WM_QUIT)
        {
            PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        if (!TranslateMainWindowMessage(&message))
        {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

bool MainWindowTest::PumpUntil(const std::function<bool()>& done, DWORD backstop)
{
    const DWORD start = GetTickCount();
    while (!done())
    {
        if (GetTickCount() - start > backstop)
            return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
        Pump();
    }
    return true;
}

HWND MainWindowTest::Item(int id) const
{
    return GetDlgItem(window, id);
}

std::string MainWindowTest::Text(int id) const
{
    char text[512] = {};
    GetDlgItemTextA(window, id, text, sizeof text);
    return text;
}

bool MainWindowTest::Enabled(int id) const
{
    return IsWindowEnabled(Item(id)) != FALSE;
}

void MainWindowTest::Focus(int id) const
{
    SetForegroundWindow(window);
    SetFocus(Item(id));
    ASSERT_EQ(GetFocus(), Item(id)) << "focus did not reach control " << id;
}

void MainWindowTest::Type(int id, const char* text) const
{
    ASSERT_EQ(GetFocus(), Item(id));
    SendMessageA(Item(id), EM_SETSEL, 0, -1);
    if (!*text)
        SendMessageA(Item(id), WM_CHAR, VK_BACK, 0);
    for (const char* c = text; *c; c++)
        SendMessageA(Item(id), WM_CHAR, static_cast<unsigned char>(*c), 0);
}

void MainWindowTest::Command(int id) const
{
    SendMessageA(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), 0);
}

// Asks the window's colour query about a control on a real device context
// of that control, which starts with colours the query would never choose.
static HBRUSH QueryColours(HWND window, HWND control, COLORREF* text, COLORREF* background)
{
    HDC dc = GetDC(control);
    SetTextColor(dc, RGB(1, 2, 3));
    SetBkColor(dc, RGB(1, 2, 3));
    const LRESULT brush = SendMessageA(window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                       reinterpret_cast<LPARAM>(control));
    *text = GetTextColor(dc);
    *background = GetBkColor(dc);
    ReleaseDC(control, dc);
    return reinterpret_cast<HBRUSH>(brush);
}

COLORREF StaticTextColour(HWND window, int id)
{
    COLORREF text, background;
    QueryColours(window, GetDlgItem(window, id), &text, &background);
    return text;
}

COLORREF MainWindowTest::TextColour(int id) const
{
    return StaticTextColour(window, id);
}

COLORREF MainWindowTest::BackgroundColour(int id) const
{
    COLORREF text, background;
    QueryColours(window, Item(id), &text, &background);
    return background;
}

HBRUSH MainWindowTest::Background(int id) const
{
    COLORREF text, background;
    return QueryColours(window, Item(id), &text, &background);
}

std::vector<std::string> FileMenu(HWND window)
{
    HMENU file = GetSubMenu(GetMenu(window), 0);
    SendMessageA(window, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(file), 0);
    std::vector<std::string> items;
    for (int i = 0; i < GetMenuItemCount(file); i++)
    {
        char text[512] = {};
        GetMenuStringA(file, i, text, sizeof text, MF_BYPOSITION);
        items.push_back(GetMenuState(file, i, MF_BYPOSITION) & MF_SEPARATOR ? "-" : text);
    }
    return items;
}

void PutRange(int k, const char* name, double low, double high)
{
    const bool modified = project.modified;
    AcceptRange(k, name, low, high);
    project.modified = modified;
}

void WriteStateFile(const std::string& path)
{
    std::vector<unsigned char> image(STATE_IMAGE_SIZE);
    EncodeState(project, true, image.data());
    WriteBytes(path, image);
}

void DrivenWindowTest::OpenDriven()
{
    Open();
    StartModalDriver();
}

void InUseWindowTest::SetUp()
{
    DrivenWindowTest::SetUp();
    project.mainLow = 0;
    project.mainHigh = 100;
    project.localValue = 50;
    PutRange(0, "Alpha", 10, 20);
    PutRange(1, "Beta", 0, 1);
    OpenDriven();
}

void DrivenWindowTest::TearDown()
{
    EXPECT_EQ(StopModalDriver(), 0) << "a modal window nobody expected";
    EXPECT_EQ(StepsLeft(), 0) << "an expected modal window never came";
    MainWindowTest::TearDown();
}
