// The CD device with the real MCI layer. The test bed has no audio-CD drive, so
// what can be checked is that failures are recorded and leave no device behind.
#include <windows.h>

#include <gtest/gtest.h>

#include "popup/cd_audio_device_win.h"
#include "winbase/message_pump.h"

namespace tdx {
namespace {

TEST(Win32CdAudioDevice, WithoutADriveNothingOpensAndFailuresAreRecorded) {
    MciSendCommandPort mci;
    std::uint32_t now = 0;
    int pumps = 0;
    // A clock that runs a second per reading keeps Play's retries short.
    CdAudioDevice device{mci, CdWaitHooks{[&] { return now += 1000; }, [&] { ++pumps; }}};

    EXPECT_FALSE(device.Open(nullptr));
    EXPECT_FALSE(device.IsOpen());
    EXPECT_NE(device.LastError(), 0u);

    EXPECT_EQ(device.Mode(), 0u);
    EXPECT_NE(device.LastError(), 0u);

    device.Play(nullptr, 0);
    EXPECT_NE(device.LastError(), 0u);
    EXPECT_GE(pumps, 1);
    EXPECT_LE(pumps, 6);

    device.Close(nullptr);  // nothing open: nothing to close
    EXPECT_FALSE(device.IsOpen());
}

TEST(Win32CdAudioDevice, PendingMessagesAreHandledAndQuitIsKept) {
    MSG msg;
    ::PeekMessageW(&msg, nullptr, 0, 0, PM_NOREMOVE);  // give the thread a queue
    ::PostThreadMessageW(::GetCurrentThreadId(), WM_APP, 0, 0);
    ProcessPendingMessages();
    EXPECT_FALSE(::PeekMessageW(&msg, nullptr, WM_APP, WM_APP, PM_REMOVE));

    ::PostQuitMessage(3);
    ProcessPendingMessages();
    ASSERT_TRUE(::PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 3u);
}

}  // namespace
}  // namespace tdx
