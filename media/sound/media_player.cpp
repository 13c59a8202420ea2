#include "media/sound/media_player.h"

#include <QObject>

namespace sound {

namespace {

using platform::MediaMode;
using platform::MediaNotice;
using platform::MediaStatusItem;

platform::MediaService& service() { return platform::mediaService(); }

std::string errorText(platform::MediaResult code)
{
    return service().errorText(code).value_or("Unknown error code");
}

} // namespace

TMediaPlayer::TMediaPlayer() = default;

TMediaPlayer::~TMediaPlayer()
{
    if (deviceId_ != 0)
        service().close(deviceId_);
}

void TMediaPlayer::Open()
{
    if (open_)
        Close();
    const platform::MediaOpenReply reply = service().open(FileName);
    lastResult_ = reply.result;
    if (reply.result != 0)
        throw EMCIDeviceError(errorText(reply.result));
    open_ = true;
    deviceId_ = reply.device;
}

void TMediaPlayer::Play()
{
    requireOpen();
    if (AutoRewind && position() == length())
        Rewind();
    lastResult_ = service().play(deviceId_, notificationWindow());
}

void TMediaPlayer::Pause()
{
    requireOpen();
    if (mode() == static_cast<std::uint32_t>(MediaMode::Playing)) {
        lastResult_ = service().pause(deviceId_);
        return;
    }
    if (mode() != static_cast<std::uint32_t>(MediaMode::Paused))
        return;
    lastResult_ = service().resume(deviceId_, notificationWindow());
    if (lastResult_ != 0)
        Play();
}

void TMediaPlayer::Stop()
{
    requireOpen();
    lastResult_ = service().stop(deviceId_);
}

// A failed close leaves the player counting as open with the old device.
void TMediaPlayer::Close()
{
    if (deviceId_ == 0)
        return;
    lastResult_ = service().close(deviceId_);
    if (lastResult_ == 0) {
        open_ = false;
        deviceId_ = 0;
    }
}

void TMediaPlayer::Rewind()
{
    requireOpen();
    service().seekToStart(deviceId_);
}

std::uint32_t TMediaPlayer::position() { return query(MediaStatusItem::Position); }
std::uint32_t TMediaPlayer::length() { return query(MediaStatusItem::Length); }
std::uint32_t TMediaPlayer::mode() { return query(MediaStatusItem::Mode); }

void TMediaPlayer::requireOpen() const
{
    if (!open_)
        throw EMCIDeviceError("No MCI device open");
}

std::uint32_t TMediaPlayer::query(MediaStatusItem item)
{
    const platform::MediaStatusReply reply = service().status(deviceId_, item);
    lastResult_ = reply.result;
    return reply.value;
}

const platform::NoticeTarget& TMediaPlayer::notificationWindow()
{
    if (!window_) {
        window_ = std::make_unique<QObject>();
        target_.context = window_.get();
        target_.handler = [this](std::uint32_t outcome, platform::MediaDevice) { onNotice(outcome); };
    }
    return target_;
}

void TMediaPlayer::onNotice(std::uint32_t outcome)
{
    switch (static_cast<MediaNotice>(outcome)) {
    case MediaNotice::Successful: completion_ = TMPNotifyValues::nvSuccessful; break;
    case MediaNotice::Superseded: completion_ = TMPNotifyValues::nvSuperseded; break;
    case MediaNotice::Aborted: completion_ = TMPNotifyValues::nvAborted; break;
    case MediaNotice::Failure: completion_ = TMPNotifyValues::nvFailure; break;
    }
    if (OnNotify)
        OnNotify(*this);
}

} // namespace sound
