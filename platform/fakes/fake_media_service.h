// A media service for tests: records every command as a line of text
// ("open ambience.mp3", "status 1 position", "play 1"...), plays a pretend
// device whose position, length and mode the test sets, and answers from a
// script of result codes. Notices go out only when the test sends them.
#pragma once

#include "platform/media_service.h"

#include <deque>
#include <map>
#include <string>
#include <vector>

namespace platform {

class FakeMediaService final : public MediaService {
public:
    struct Device {
        std::uint32_t position = 0;
        std::uint32_t length = 10000;
        MediaMode mode = MediaMode::Stopped;
        std::uint32_t volume = 1000;
    };

    MediaOpenReply open(const QString& fileName) override;
    MediaResult close(MediaDevice device) override;
    MediaResult play(MediaDevice device, const NoticeTarget& target) override;
    MediaResult pause(MediaDevice device) override;
    MediaResult resume(MediaDevice device, const NoticeTarget& target) override;
    MediaResult stop(MediaDevice device) override;
    MediaResult seekToStart(MediaDevice device) override;
    MediaStatusReply status(MediaDevice device, MediaStatusItem item) override;
    MediaResult setVolume(MediaDevice device, std::uint32_t value) override;
    std::optional<std::string> errorText(MediaResult code) const override;

    // Posts `outcome` to the target of the latest play or resume, as the
    // device would at the end of the sound (queued: run the event loop).
    void sendNotice(std::uint32_t outcome);
    // The open device the test looks at: the latest one opened.
    Device* current();

    // The recorded commands, in order.
    std::vector<std::string> log;
    // Results to give, per command word ("open", "play", "status"...), one
    // per call; 0 once a word's script runs out. A failed command changes
    // nothing on the pretend device.
    std::map<std::string, std::deque<MediaResult>> results;
    // errorText's answers; a code missing here has no text.
    std::map<MediaResult, std::string> texts;
    // What a newly opened device starts as.
    Device opened;

    std::map<MediaDevice, Device> devices;

private:
    MediaResult next(const std::string& word);
    Device* find(MediaDevice device);
    MediaResult command(const std::string& word, MediaDevice device, const std::string& detail = {});

    MediaDevice nextId_ = 1;
    NoticeTarget noticeTarget_;
    MediaDevice noticeDevice_ = 0;
    MediaDevice latest_ = 0;
};

// Installs a fake for the lifetime of a test scope.
class ScopedMediaService {
public:
    ScopedMediaService() { installMediaService(&fake); }
    ~ScopedMediaService() { installMediaService(nullptr); }
    FakeMediaService fake;
};

} // namespace platform
