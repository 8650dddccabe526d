// The one audio-CD device of the program, behind the System tray's "CD Player"
// entry and the CD items of the popup menu. The MCI commands go through MciPort,
// whose real implementation calls mciSendCommandW; nothing here needs Windows.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>

#include "settings/launch_item.h"

namespace tdx {

namespace CdMode {
inline constexpr std::uint32_t Playing = 526;   // MCI_MODE_PLAY
inline constexpr std::uint32_t DoorOpen = 530;  // MCI_MODE_OPEN
}  // namespace CdMode

// The MCI status items the device asks for.
namespace CdStatusItem {
inline constexpr std::uint32_t Length = 1;        // MCI_STATUS_LENGTH
inline constexpr std::uint32_t Position = 2;      // MCI_STATUS_POSITION
inline constexpr std::uint32_t Mode = 4;          // MCI_STATUS_MODE
inline constexpr std::uint32_t CurrentTrack = 8;  // MCI_STATUS_CURRENT_TRACK
}  // namespace CdStatusItem

// One method per MCI command the device sends; each returns the MCI error code
// (0 = success). `callback` is the window named for notifications.
class MciPort {
public:
    virtual ~MciPort() = default;
    // MCI_OPEN of type "CDAudio", shareable, with notification.
    virtual std::uint32_t Open(WindowHandle callback, std::uint16_t& deviceId) = 0;
    // MCI_SET of the time format to milliseconds.
    virtual std::uint32_t SetTimeFormatMilliseconds(std::uint16_t deviceId) = 0;
    virtual std::uint32_t Close(std::uint16_t deviceId, WindowHandle callback) = 0;
    // MCI_STATUS with wait; with a track, MCI_TRACK as well.
    virtual std::uint32_t Status(std::uint16_t deviceId, std::uint32_t item,
                                 std::optional<std::uint32_t> track, std::uint32_t& value) = 0;
    // MCI_PLAY with notification; with a position, MCI_FROM as well.
    virtual std::uint32_t Play(std::uint16_t deviceId, WindowHandle callback,
                               std::optional<std::uint32_t> from) = 0;
    virtual std::uint32_t Pause(std::uint16_t deviceId, WindowHandle callback) = 0;
    // MCI_SET_DOOR_OPEN, or MCI_SET_DOOR_CLOSED with wait.
    virtual std::uint32_t SetDoor(std::uint16_t deviceId, WindowHandle callback, bool open) = 0;
};

// What Play needs from the rest of the program while it waits for the drive.
struct CdWaitHooks {
    std::function<std::uint32_t()> tickCount;  // milliseconds, wrapping at 2^32
    std::function<void()> processMessages;     // lets the message loop run once
};

class CdAudioDevice {
public:
    // How long Play keeps retrying while the drive becomes ready.
    static constexpr std::uint32_t kPlayRetryMilliseconds = 5000;

    CdAudioDevice(MciPort& mci, CdWaitHooks hooks) : mci_(mci), hooks_(std::move(hooks)) {}
    CdAudioDevice(const CdAudioDevice&) = delete;
    CdAudioDevice& operator=(const CdAudioDevice&) = delete;

    // Opens the device unless one is open; true when this call opened it.
    bool Open(WindowHandle window);
    void SetTimeFormat();
    // Closes an open device and forgets its id.
    void Close(WindowHandle window);
    std::uint32_t Mode();
    std::uint32_t Length();
    std::uint32_t Position();
    std::uint32_t TrackStart(std::uint32_t track);
    std::uint32_t CurrentTrack();
    // Plays from the current position, or from the start of startTrack when it
    // is above 0 or the disc is at its end (then from track 1 at least). Closes
    // an open door first and retries for up to kPlayRetryMilliseconds.
    void Play(WindowHandle window, std::int32_t startTrack);
    void Pause(WindowHandle window);
    void NextTrack();
    void PreviousTrack();
    void Eject(WindowHandle window);
    void CloseDoor(WindowHandle window);

    std::uint16_t DeviceId() const noexcept { return deviceId_; }
    bool IsOpen() const noexcept { return deviceId_ != 0; }
    std::uint32_t LastError() const noexcept { return lastError_; }

private:
    std::uint32_t StatusOf(std::uint32_t item, std::optional<std::uint32_t> track = std::nullopt);
    void PlayFromTrack(std::uint32_t track);

    MciPort& mci_;
    CdWaitHooks hooks_;
    std::uint16_t deviceId_ = 0;
    std::uint32_t lastError_ = 0;
};

}  // namespace tdx
