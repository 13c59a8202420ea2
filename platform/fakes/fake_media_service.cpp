#include "platform/fakes/fake_media_service.h"

namespace platform {

namespace {

const char* itemName(MediaStatusItem item)
{
    switch (item) {
    case MediaStatusItem::Length: return "length";
    case MediaStatusItem::Position: return "position";
    case MediaStatusItem::Mode: return "mode";
    case MediaStatusItem::Volume: return "volume";
    }
    return "?";
}

std::uint32_t itemValue(const FakeMediaService::Device& d, MediaStatusItem item)
{
    switch (item) {
    case MediaStatusItem::Length: return d.length;
    case MediaStatusItem::Position: return d.position;
    case MediaStatusItem::Mode: return static_cast<std::uint32_t>(d.mode);
    case MediaStatusItem::Volume: return d.volume;
    }
    return 0;
}

} // namespace

MediaOpenReply FakeMediaService::open(const QString& fileName)
{
    log.push_back("open " + fileName.toStdString());
    if (const MediaResult r = next("open"))
        return {r, 0};
    const MediaDevice id = nextId_++;
    devices[id] = opened;
    latest_ = id;
    return {0, id};
}

MediaResult FakeMediaService::close(MediaDevice device)
{
    const MediaResult r = command("close", device);
    if (r == 0)
        devices.erase(device);
    return r;
}

MediaResult FakeMediaService::play(MediaDevice device, const NoticeTarget& target)
{
    const MediaResult r = command("play", device);
    if (r == 0) {
        find(device)->mode = MediaMode::Playing;
        noticeTarget_ = target;
        noticeDevice_ = device;
    }
    return r;
}

MediaResult FakeMediaService::pause(MediaDevice device)
{
    const MediaResult r = command("pause", device);
    if (r == 0 && find(device)->mode == MediaMode::Playing)
        find(device)->mode = MediaMode::Paused;
    return r;
}

MediaResult FakeMediaService::resume(MediaDevice device, const NoticeTarget& target)
{
    MediaResult r = command("resume", device);
    if (r == 0 && find(device)->mode != MediaMode::Paused)
        r = media_error::kNotPaused;
    if (r == 0) {
        find(device)->mode = MediaMode::Playing;
        noticeTarget_ = target;
        noticeDevice_ = device;
    }
    return r;
}

MediaResult FakeMediaService::stop(MediaDevice device)
{
    const MediaResult r = command("stop", device);
    if (r == 0)
        find(device)->mode = MediaMode::Stopped;
    return r;
}

MediaResult FakeMediaService::seekToStart(MediaDevice device)
{
    const MediaResult r = command("seek", device, "start");
    if (r == 0) {
        find(device)->position = 0;
        find(device)->mode = MediaMode::Stopped;
    }
    return r;
}

MediaStatusReply FakeMediaService::status(MediaDevice device, MediaStatusItem item)
{
    const MediaResult r = command("status", device, itemName(item));
    return r == 0 ? MediaStatusReply{0, itemValue(*find(device), item)} : MediaStatusReply{r, 0};
}

MediaResult FakeMediaService::setVolume(MediaDevice device, std::uint32_t value)
{
    MediaResult r = command("setaudio", device, "volume " + std::to_string(value));
    if (r == 0 && value > 1000)
        r = media_error::kVolumeOutOfRange;
    if (r == 0)
        find(device)->volume = value;
    return r;
}

std::optional<std::string> FakeMediaService::errorText(MediaResult code) const
{
    const auto it = texts.find(code);
    return it == texts.end() ? std::nullopt : std::optional<std::string>(it->second);
}

void FakeMediaService::sendNotice(std::uint32_t outcome) { postNotice(noticeTarget_, outcome, noticeDevice_); }

FakeMediaService::Device* FakeMediaService::current() { return find(latest_); }

MediaResult FakeMediaService::next(const std::string& word)
{
    auto& script = results[word];
    if (script.empty())
        return 0;
    const MediaResult r = script.front();
    script.pop_front();
    return r;
}

FakeMediaService::Device* FakeMediaService::find(MediaDevice device)
{
    const auto it = devices.find(device);
    return it == devices.end() ? nullptr : &it->second;
}

MediaResult FakeMediaService::command(const std::string& word, MediaDevice device, const std::string& detail)
{
    log.push_back(word + " " + std::to_string(device) + (detail.empty() ? "" : " " + detail));
    if (const MediaResult r = next(word))
        return r;
    return find(device) ? 0 : media_error::kInvalidDevice;
}

} // namespace platform
