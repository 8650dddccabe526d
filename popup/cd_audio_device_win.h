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

// Lets the message loop handle what is pending, then waits briefly for more, so
// that the retries of Play keep the user interface alive without spinning the
// processor. A WM_QUIT met here is posted again for the main loop.
void ProcessPendingMessages();

// GetTickCount and ProcessPendingMessages.
CdWaitHooks Win32CdWaitHooks();

}  // namespace tdx
