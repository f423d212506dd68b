// The files kept while values runs, in-process: a slow disk holds up the
// writer thread, never the window, and failed writes are retried after ever
// longer pauses. The system calls the keeping makes go through this
// program's import table, where the tests put stand-ins.
#include "ImportSlot.h"
#include "MainWindowFixture.h"
#include "ProjectState.h"
#include "StateCodec.h"
#include "KeepFiles.h"
#include "MainWindow.h"
#include "resource.h"

#include <utility>
#include <vector>

namespace
{

// The first flush once armed takes two seconds, as on a share that answers
// late; every later one says whether it came after the slow one had ended.
decltype(&FlushFileBuffers) realFlush;
volatile LONG slowArmed;
volatile LONG slowDone;
volatile LONG flushedMeanwhile;
DWORD slowThread;
HANDLE slowStarted;

BOOL WINAPI SlowFlush(HANDLE file)
{
    if (InterlockedCompareExchange(&slowArmed, 0, 1) == 1)
    {
        slowThread = GetCurrentThreadId();
        SetEvent(slowStarted);
        Sleep(2000); // the disk, not the test, takes its time
        const BOOL flushed = realFlush(file);
        InterlockedExchange(&slowDone, 1);
        return flushed;
    }
    if (!slowDone)
        InterlockedExchange(&flushedMeanwhile, 1);
    return realFlush(file);
}

class KeepingFiles : public MainWindowTest
{
  protected:
    bool Holds(double localValue)
    {
        const std::vector<unsigned char> image = ReadBytes(Path("Values.dat"));
        ProjectState state = {};
        return DecodeState(image.data(), image.size(), true, state) &&
               state.localValue == localValue;
    }
};

TEST_F(KeepingFiles, ASlowWriteHoldsUpNothingButTheCloseWaitsForIt)
{
    Open();
    void** slot = ImportSlot("kernel32.dll", "FlushFileBuffers");
    ASSERT_NE(slot, nullptr);
    realFlush = reinterpret_cast<decltype(&FlushFileBuffers)>(*slot);
    slowStarted = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    slowDone = flushedMeanwhile = 0;
    slowArmed = 1;
    PutInSlot(slot, reinterpret_cast<void*>(SlowFlush));

    Focus(IDC_LOCAL_VALUE);
    Type(IDC_LOCAL_VALUE, "7");
    const DWORD start = GetTickCount();
    SendMessageA(window, WM_TIMER, KEEP_QUIET_TIMER, 0); // the write comes due
    EXPECT_EQ(WaitForSingleObject(slowStarted, 10000), WAIT_OBJECT_0);
    PostMessageA(window, WM_NULL, 0, 0); // a round trip through the queue
    Pump();
    Type(IDC_LOCAL_VALUE, "8");
    const DWORD roundTrip = GetTickCount() - start;
    EXPECT_LT(roundTrip, 100u) << "the window waited for the disk";
    EXPECT_FALSE(slowDone) << "measured while the write runs";
    EXPECT_NE(slowThread, GetCurrentThreadId());

    SendMessageA(window, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(window));
    PutInSlot(slot, reinterpret_cast<void*>(realFlush));
    CloseHandle(slowStarted);
    EXPECT_TRUE(slowDone);
    EXPECT_FALSE(flushedMeanwhile) << "the close wrote before the write under way had ended";
    EXPECT_TRUE(Holds(8));
}

// The keeping's timers, set on the main window, are recorded rather than
// set: the test brings each write on itself.
decltype(&SetTimer) realSetTimer;
std::vector<std::pair<UINT_PTR, UINT>> keepTimers;

UINT_PTR WINAPI RecordTimer(HWND window, UINT_PTR id, UINT interval, TIMERPROC call)
{
    if (!window || window != mainWindow || (id != KEEP_QUIET_TIMER && id != KEEP_LATEST_TIMER))
        return realSetTimer(window, id, interval, call);
    keepTimers.push_back({id, interval});
    return id;
}

// A state file that cannot be written is tried again after 5 s, then twice
// as long after each failure, up to a minute; a change meanwhile brings
// nothing forward. A write that succeeds starts the count again.
TEST_F(KeepingFiles, FailedWritesAreRetriedAfterEverLongerPauses)
{
    WriteStateFile(Path("Values.dat"));
    SetFileAttributesA(Path("Values.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    Open();
    void** slot = ImportSlot("user32.dll", "SetTimer");
    ASSERT_NE(slot, nullptr);
    realSetTimer = reinterpret_cast<decltype(&SetTimer)>(*slot);
    PutInSlot(slot, reinterpret_cast<void*>(RecordTimer));
    Focus(IDC_LOCAL_VALUE);
    Type(IDC_LOCAL_VALUE, "7");
    EXPECT_EQ(keepTimers, (std::vector<std::pair<UINT_PTR, UINT>>{{KEEP_QUIET_TIMER, 1000},
                                                                  {KEEP_LATEST_TIMER, 5000}}));
    // Each write fails, and names when the next comes.
    const auto Retry = [this]()
    {
        keepTimers.clear();
        SendMessageA(window, WM_TIMER, KEEP_LATEST_TIMER, 0);
        EXPECT_TRUE(PumpUntil([] { return !keepTimers.empty(); }));
        return keepTimers.empty() || keepTimers.back().first != KEEP_LATEST_TIMER
                   ? 0u
                   : keepTimers.back().second;
    };
    std::vector<UINT> pauses;
    for (int failure = 0; failure < 6; failure++)
        pauses.push_back(Retry());
    EXPECT_EQ(pauses, (std::vector<UINT>{5000, 10000, 20000, 40000, 60000, 60000}));
    keepTimers.clear();
    Type(IDC_LOCAL_VALUE, "8");
    EXPECT_TRUE(keepTimers.empty()) << "a change brought the retry forward";

    SetFileAttributesA(Path("Values.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
    SendMessageA(window, WM_TIMER, KEEP_LATEST_TIMER, 0);
    EXPECT_TRUE(PumpUntil([this] { return Holds(8); }));
    SetFileAttributesA(Path("Values.dat").c_str(), FILE_ATTRIBUTE_READONLY);
    Type(IDC_LOCAL_VALUE, "9");
    EXPECT_EQ(Retry(), 5000u) << "after a write that succeeded";

    PutInSlot(slot, reinterpret_cast<void*>(realSetTimer));
    SetFileAttributesA(Path("Values.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
}

} // namespace
