#include "popup/cd_audio_device_win.h"

#include "winbase/late_bound.h"
#include "winbase/message_pump.h"

#include <windows.h>
#include <mmsystem.h>

namespace tdx {
namespace {

// Between two attempts of Play, at most this long is spent waiting for input.
constexpr DWORD kRetryPauseMilliseconds = 20;

DWORD_PTR Callback(WindowHandle window) { return reinterpret_cast<DWORD_PTR>(window); }

// The multimedia library is bound at the first CD command: most runs never
// play a CD, and a library the program does not import cannot be planted
// beside it.
std::uint32_t Send(std::uint16_t deviceId, UINT command, DWORD flags, void* parameters) {
    using SendCommand = MCIERROR(WINAPI*)(MCIDEVICEID, UINT, DWORD_PTR, DWORD_PTR);
    static const auto send = LateBound<SendCommand>(L"winmm.dll", "mciSendCommandW");
    if (!send) return MCIERR_CANNOT_LOAD_DRIVER;
    return static_cast<std::uint32_t>(send(deviceId, command, flags, reinterpret_cast<DWORD_PTR>(parameters)));
}

}  // namespace

std::uint32_t MciSendCommandPort::Open(WindowHandle callback, std::uint16_t& deviceId) {
    MCI_OPEN_PARMSW open{};
    open.dwCallback = Callback(callback);
    open.lpstrDeviceType = L"CDAudio";
    const std::uint32_t error =
        Send(0, MCI_OPEN, MCI_OPEN_TYPE | MCI_OPEN_SHAREABLE | MCI_NOTIFY, &open);
    if (error == 0) deviceId = static_cast<std::uint16_t>(open.wDeviceID);
    return error;
}

std::uint32_t MciSendCommandPort::SetTimeFormatMilliseconds(std::uint16_t deviceId) {
    MCI_SET_PARMS set{};
    set.dwTimeFormat = MCI_FORMAT_MILLISECONDS;
    return Send(deviceId, MCI_SET, MCI_SET_TIME_FORMAT, &set);
}

std::uint32_t MciSendCommandPort::Close(std::uint16_t deviceId, WindowHandle callback) {
    MCI_GENERIC_PARMS close{};
    close.dwCallback = Callback(callback);
    return Send(deviceId, MCI_CLOSE, MCI_NOTIFY, &close);
}

std::uint32_t MciSendCommandPort::Status(std::uint16_t deviceId, std::uint32_t item,
                                         std::optional<std::uint32_t> track, std::uint32_t& value) {
    MCI_STATUS_PARMS status{};
    status.dwItem = item;
    DWORD flags = MCI_STATUS_ITEM | MCI_WAIT;
    if (track) {
        status.dwTrack = *track;
        flags |= MCI_TRACK;
    }
    const std::uint32_t error = Send(deviceId, MCI_STATUS, flags, &status);
    value = static_cast<std::uint32_t>(status.dwReturn);
    return error;
}

std::uint32_t MciSendCommandPort::Play(std::uint16_t deviceId, WindowHandle callback,
                                       std::optional<std::uint32_t> from) {
    MCI_PLAY_PARMS play{};
    play.dwCallback = Callback(callback);
    DWORD flags = MCI_NOTIFY;
    if (from) {
        play.dwFrom = *from;
        flags |= MCI_FROM;
    }
    return Send(deviceId, MCI_PLAY, flags, &play);
}

std::uint32_t MciSendCommandPort::Pause(std::uint16_t deviceId, WindowHandle callback) {
    MCI_GENERIC_PARMS pause{};
    pause.dwCallback = Callback(callback);
    return Send(deviceId, MCI_PAUSE, MCI_NOTIFY, &pause);
}

std::uint32_t MciSendCommandPort::SetDoor(std::uint16_t deviceId, WindowHandle callback, bool open) {
    MCI_SET_PARMS set{};
    set.dwCallback = Callback(callback);
    return Send(deviceId, MCI_SET, open ? MCI_SET_DOOR_OPEN : (MCI_SET_DOOR_CLOSED | MCI_WAIT), &set);
}

CdWaitHooks Win32CdWaitHooks() {
    return CdWaitHooks{[] { return static_cast<std::uint32_t>(::GetTickCount()); },
                       [] {
                           ProcessPendingMessages();
                           ::MsgWaitForMultipleObjects(0, nullptr, FALSE, kRetryPauseMilliseconds,
                                                       QS_ALLINPUT);
                       }};
}

}  // namespace tdx
