// The MCI commands of the CD device, sent with mciSendCommandW, and the waiting
// that Play does while the drive becomes ready.
#pragma once

#include "popup/cd_audio_device.h"

namespace tdx {

class MciSendCommandPort : public MciPort {
public:
    std::uint32_t Open(WindowHandle callback, std::uint16_t& deviceId) override;
    std::uint32_t SetTimeFormatMilliseconds(std::uint16_t deviceId) override;
    std::uint32_t Close(std::uint16_t deviceId, WindowHandle callback) override;
    std::uint32_t Status(std::uint16_t deviceId, std::uint32_t item,
                         std::optional<std::uint32_t> track, std::uint32_t& value) override;
    std::uint32_t Play(std::uint16_t deviceId, WindowHandle callback,
                       std::optional<std::uint32_t> from) override;
    std::uint32_t Pause(std::uint16_t deviceId, WindowHandle callback) override;
    std::uint32_t SetDoor(std::uint16_t deviceId, WindowHandle callback, bool open) override;
};

// GetTickCount, and a pause between retries of Play that lets the message loop
// handle what is pending and then waits briefly for more, so the user interface
// stays alive without spinning the processor.
CdWaitHooks Win32CdWaitHooks();

}  // namespace tdx
