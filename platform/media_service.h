// The media service: opens one sound file per device, plays, pauses, stops
// and seeks it, answers position, length, mode and volume queries, and posts
// a completion notice when a play ends. Every command returns a result code
// (0 for success) with a text per failure; nothing here throws. Tests
// install a fake that records every command.
#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace platform {

// 0 names no device; the service never hands it out.
using MediaDevice = std::uint16_t;
using MediaResult = std::uint32_t;

// Failure codes of every implementation; each has a text (mediaErrorText).
namespace media_error {
inline constexpr MediaResult kInvalidDevice = 257;
inline constexpr MediaResult kNoFileName = 258;
inline constexpr MediaResult kUnknownExtension = 259;
inline constexpr MediaResult kFileNotFound = 260;
inline constexpr MediaResult kCannotReadFile = 261;
inline constexpr MediaResult kCannotDecode = 262;
inline constexpr MediaResult kNoDecoder = 263;
inline constexpr MediaResult kOutputFailed = 264;
inline constexpr MediaResult kNoAnswer = 265;
inline constexpr MediaResult kNotPaused = 266;
inline constexpr MediaResult kVolumeOutOfRange = 267;
inline constexpr MediaResult kNoSoundSystem = 268;
} // namespace media_error

enum class MediaStatusItem : std::uint32_t { Length = 1, Position = 2, Mode = 4, Volume = 0x4019 };

// Replies to a Mode query.
enum class MediaMode : std::uint32_t {
    NotReady = 524,
    Stopped = 525,
    Playing = 526,
    Recording = 527,
    Seeking = 528,
    Paused = 529,
    Open = 530,
};

// Outcomes a completion notice carries.
enum class MediaNotice : std::uint32_t { Successful = 1, Superseded = 2, Aborted = 4, Failure = 8 };

struct MediaOpenReply {
    MediaResult result = 0;
    MediaDevice device = 0; // valid only when result is 0
};

struct MediaStatusReply {
    MediaResult result = 0;
    std::uint32_t value = 0; // milliseconds, a MediaMode, or a volume 0..1000
};

// Where a device posts the completion of a play or resume: `handler` runs
// queued on the thread of `context` (the UI thread), never once `context`
// is gone, whatever thread the device finished on.
struct NoticeTarget {
    QPointer<QObject> context;
    std::function<void(std::uint32_t outcome, MediaDevice device)> handler;
};

void postNotice(const NoticeTarget& target, std::uint32_t outcome, MediaDevice device);

class MediaService {
public:
    virtual ~MediaService() = default;

    // Opens and prerolls `fileName` (absolute, or relative to the working
    // directory), choosing the device from its extension. Returns when the
    // device is ready or has failed; the new device is stopped at the start
    // with volume 1000.
    virtual MediaOpenReply open(const QString& fileName) = 0;
    virtual MediaResult close(MediaDevice device) = 0;

    // Plays from the current position to the end; `target` hears the
    // outcome. A later play or resume supersedes a pending notice; pause,
    // stop, seek and close abort it.
    virtual MediaResult play(MediaDevice device, const NoticeTarget& target) = 0;
    virtual MediaResult pause(MediaDevice device) = 0;
    // Fails with kNotPaused unless the device is paused.
    virtual MediaResult resume(MediaDevice device, const NoticeTarget& target) = 0;
    // Halts where it is; the device stays open.
    virtual MediaResult stop(MediaDevice device) = 0;
    // Stops and moves to the start.
    virtual MediaResult seekToStart(MediaDevice device) = 0;

    virtual MediaStatusReply status(MediaDevice device, MediaStatusItem item) = 0;
    // 0 is silent, 1000 full, on a perceptual curve; a value above 1000 is
    // refused and the volume kept.
    virtual MediaResult setVolume(MediaDevice device, std::uint32_t value) = 0;

    // The message for a failure code; nothing for a code it does not know.
    virtual std::optional<std::string> errorText(MediaResult code) const = 0;
};

// The texts of the media_error codes, in UTF-8.
std::optional<std::string> mediaErrorText(MediaResult code);
// Whether the service has a device for the name's extension (any case).
bool hasSoundExtension(const QString& fileName);

// The installed service: the one over GStreamer unless a test installed
// another. Create and use it on the UI thread.
MediaService& mediaService();
// Installs `fake` (not owned); nullptr puts the real service back.
void installMediaService(MediaService* fake);

} // namespace platform
