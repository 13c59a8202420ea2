// TMediaPlayer, the writing window's hidden sound player: one sound file at
// a time through the media service, with the designed operations, their
// result bookkeeping and the completion notice. Only Open raises a device's
// failure; the playback commands record theirs.
#pragma once

#include "base/exception.h"
#include "platform/media_service.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <memory>

class QObject;

QUELMAR_EXCEPTION(EMCIDeviceError, base::Exception);

namespace sound {

enum class TMPNotifyValues { nvSuccessful, nvSuperseded, nvAborted, nvFailure };

class TMediaPlayer {
public:
    TMediaPlayer();
    // Closes an open device; the close is complete when this returns.
    ~TMediaPlayer();
    TMediaPlayer(const TMediaPlayer&) = delete;
    TMediaPlayer& operator=(const TMediaPlayer&) = delete;

    // The file the next Open opens, handed to the service unchanged.
    QString FileName;
    // A Play that finds the position at the length rewinds first.
    bool AutoRewind = true;
    // Runs after every completion notice, on the UI thread.
    std::function<void(TMediaPlayer& sender)> OnNotify;

    void Open();
    void Play();
    // Pauses a playing device, resumes a paused one, else does nothing.
    void Pause();
    void Stop();
    void Close();
    void Rewind();

    // Queries in milliseconds; the Mode reply is a platform::MediaMode.
    std::uint32_t position();
    std::uint32_t length();
    std::uint32_t mode();

    bool isOpen() const { return open_; }
    platform::MediaDevice deviceId() const { return deviceId_; }
    platform::MediaResult lastResult() const { return lastResult_; }
    TMPNotifyValues completion() const { return completion_; }

private:
    void requireOpen() const;
    std::uint32_t query(platform::MediaStatusItem item);
    const platform::NoticeTarget& notificationWindow();
    void onNotice(std::uint32_t outcome);

    bool open_ = false;
    platform::MediaDevice deviceId_ = 0;
    platform::MediaResult lastResult_ = 0;
    TMPNotifyValues completion_ = TMPNotifyValues::nvSuccessful;
    // Notices are queued to this object, so none arrives after the player.
    std::unique_ptr<QObject> window_;
    platform::NoticeTarget target_;
};

} // namespace sound
