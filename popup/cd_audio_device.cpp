#include "popup/cd_audio_device.h"

namespace tdx {

bool CdAudioDevice::Open(WindowHandle window) {
    if (deviceId_ != 0) return false;
    std::uint16_t id = 0;
    lastError_ = mci_.Open(window, id);
    if (lastError_ != 0) return false;
    deviceId_ = id;
    SetTimeFormat();
    return true;
}

void CdAudioDevice::SetTimeFormat() { lastError_ = mci_.SetTimeFormatMilliseconds(deviceId_); }

void CdAudioDevice::Close(WindowHandle window) {
    if (deviceId_ == 0) return;
    lastError_ = mci_.Close(deviceId_, window);
    deviceId_ = 0;
}

std::uint32_t CdAudioDevice::StatusOf(std::uint32_t item, std::optional<std::uint32_t> track) {
    std::uint32_t value = 0;
    lastError_ = mci_.Status(deviceId_, item, track, value);
    return lastError_ == 0 ? value : 0;
}

std::uint32_t CdAudioDevice::Mode() { return StatusOf(CdStatusItem::Mode); }
std::uint32_t CdAudioDevice::Length() { return StatusOf(CdStatusItem::Length); }
std::uint32_t CdAudioDevice::Position() { return StatusOf(CdStatusItem::Position); }
std::uint32_t CdAudioDevice::TrackStart(std::uint32_t track) {
    return StatusOf(CdStatusItem::Position, track);
}
std::uint32_t CdAudioDevice::CurrentTrack() { return StatusOf(CdStatusItem::CurrentTrack); }

void CdAudioDevice::Play(WindowHandle window, std::int32_t startTrack) {
    if (Mode() == CdMode::DoorOpen) CloseDoor(window);

    const std::uint32_t deadline = hooks_.tickCount() + kPlayRetryMilliseconds;
    for (;;) {
        std::optional<std::uint32_t> from;
        if (Position() >= Length() || startTrack > 0) {
            if (startTrack < 1) startTrack = 1;  // chosen once, kept for the next attempts
            from = TrackStart(static_cast<std::uint32_t>(startTrack));
        }
        lastError_ = mci_.Play(deviceId_, window, from);
        hooks_.processMessages();
        if (lastError_ == 0) break;
        // Compared as a signed distance, so a tick count that wraps around
        // during the wait neither ends it early nor makes it endless.
        if (static_cast<std::int32_t>(hooks_.tickCount() - deadline) > 0) break;
    }
}

void CdAudioDevice::Pause(WindowHandle window) { lastError_ = mci_.Pause(deviceId_, window); }

void CdAudioDevice::PlayFromTrack(std::uint32_t track) {
    const std::uint32_t from = TrackStart(track);
    lastError_ = mci_.Play(deviceId_, nullptr, from);
}

void CdAudioDevice::NextTrack() { PlayFromTrack(CurrentTrack() + 1); }
void CdAudioDevice::PreviousTrack() { PlayFromTrack(CurrentTrack() - 1); }

// The door commands are fire-and-forget: their results are not the last error.
void CdAudioDevice::Eject(WindowHandle window) { mci_.SetDoor(deviceId_, window, true); }
void CdAudioDevice::CloseDoor(WindowHandle window) { mci_.SetDoor(deviceId_, window, false); }

}  // namespace tdx
