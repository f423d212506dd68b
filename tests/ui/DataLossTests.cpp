// The real values.exe on the ways a run could lose the user's data: a
// "Values.dat" it could not read at start is kept however the run ends, and
// a project handed over while a dialog is open is not dropped in silence.
#include "ProgramFixture.h"
#include "resource.h"

#include <gtest/gtest.h>

namespace
{

// Started while another program holds "Values.dat", Continue at the
// question; then a log-off, which cannot ask, or Enter at the close's
// question whether to replace the file, whose default is No.
TEST_F(Program, AStateFileValuesCouldNotReadIsKept)
{
    const std::vector<unsigned char> image = WriteState(Path("Values.dat"), 5, true);
    for (const bool logOff : {true, false})
    {
        HANDLE held = CreateFileA(Path("Values.dat").c_str(), GENERIC_READ, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        HWND question = Start();
        ASSERT_TRUE(question);
        Press(question, IDCONTINUE);
        ASSERT_TRUE(WaitUntil([question] { return !IsWindow(question); }));
        CloseHandle(held);
        HWND window = WaitForWindow(process.dwProcessId, "Values");
        ASSERT_TRUE(window);
        SetItemText(window, IDC_LOCAL_VALUE, "9");
        DWORD_PTR answer = 0;
        if (logOff)
            SendMessageTimeoutA(window, WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF, SMTO_ABORTIFHUNG,
                                5000, &answer);
        else
        {
            PostMessageA(window, WM_CLOSE, 0, 0);
            question = WaitForWindow(process.dwProcessId, "Values", window);
            ASSERT_TRUE(question);
            PostMessageA(question, WM_KEYDOWN, VK_RETURN, 0);
        }
        EXPECT_EQ(WaitForExit(), 0u);
        EXPECT_EQ(ReadBytes(Path("Values.dat")), image) << (logOff ? "log-off" : "Enter");
    }
}

// The folder's window has the range dialog open: a second start with a
// project says it could not open it, and ends with 1; the window opens
// nothing.
TEST_F(Program, ASecondStartWithAProjectWhileADialogIsOpenSaysSo)
{
    WriteState(Path("other.prj"), 5, false);
    HWND window = Start();
    ASSERT_TRUE(window);
    Press(window, IDM_NEW_MAIN);
    HWND dialog = WaitForWindow(process.dwProcessId, "Compressed Value Range", window);
    ASSERT_TRUE(dialog);
    const PROCESS_INFORMATION second = StartAnother(folder, "\"" + Path("other.prj") + "\"");
    HWND box = WaitForWindow(second.dwProcessId, "Values");
    ASSERT_TRUE(box);
    EXPECT_NE(ItemText(box, 0xFFFF).find("has a dialog or a question open"), std::string::npos);
    Press(box, IDOK);
    EXPECT_EQ(WaitForExitCode(second.hProcess), 1u);
    Press(dialog, IDCANCEL);
    ASSERT_TRUE(WaitUntil([dialog] { return !IsWindow(dialog); }));
    Sleep(300);
    EXPECT_EQ(ItemText(window, IDC_LOCAL_VALUE), "0") << "the project was opened";
    PostMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_EQ(WaitForExit(), 0u);
}

} // namespace
