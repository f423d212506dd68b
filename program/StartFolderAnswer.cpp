// The setup program of values closes values before an update and starts it
// again afterwards, in the folder it had started in: the restart manager,
// which would tell it the command line values registered, is not there on
// every system (Wine has none), so values tells the folder itself.
#include "StartFolderAnswer.h"

#include "StartFolder.h"
#include "StartFolderQuestion.h"

#include <cstring>

UINT startFolderQuestion;

// Any program may send the question, naming any window: the answer goes
// only to a window of another process, with nothing but the folder, and
// waits a little at most.
BOOL AnswerStartFolder(HWND window, HWND asker)
{
    DWORD process = 0;
    if (!IsWindow(asker) || !GetWindowThreadProcessId(asker, &process) ||
        process == GetCurrentProcessId() || std::strcmp(startFolder, ".") == 0)
        return FALSE;
    wchar_t folder[START_FOLDER_SIZE];
    const int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, startFolder, -1, folder,
                                           START_FOLDER_SIZE);
    if (length <= 1)
        return FALSE;
    COPYDATASTRUCT data = {};
    data.dwData = START_FOLDER_ANSWER;
    data.cbData = static_cast<DWORD>(length * sizeof(wchar_t));
    data.lpData = folder;
    DWORD_PTR taken = 0;
    return SendMessageTimeoutW(asker, WM_COPYDATA, reinterpret_cast<WPARAM>(window),
                               reinterpret_cast<LPARAM>(&data), SMTO_ABORTIFHUNG, 2000, &taken) &&
           taken;
}
