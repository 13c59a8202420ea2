#include "platform/media_service.h"

#include "platform/gst_media_service.h"

#include <QMetaObject>

#include <array>
#include <memory>
#include <utility>

namespace platform {

namespace {

MediaService* installed = nullptr;

struct ErrorText {
    MediaResult code;
    const char* text;
};

constexpr ErrorText kErrorTexts[] = {
    {media_error::kInvalidDevice, "The sound device is not open."},
    {media_error::kNoFileName, "No sound file name was given."},
    {media_error::kUnknownExtension,
     "No sound device plays files of this kind. Use a .mp3, .wav, .wma, .ogg, .flac or .mid file."},
    {media_error::kFileNotFound, "The sound file cannot be found. Check its folder and name."},
    {media_error::kCannotReadFile, "The sound file cannot be read."},
    {media_error::kCannotDecode, "The sound file is damaged or is not in the format its name says."},
    {media_error::kNoDecoder, "No decoder for this kind of sound is installed."},
    {media_error::kOutputFailed, "The sound output device cannot be used."},
    {media_error::kNoAnswer, "The sound device did not answer in time."},
    {media_error::kNotPaused, "The sound device is not paused."},
    {media_error::kVolumeOutOfRange, "The volume must lie between 0 and 1000."},
    {media_error::kNoSoundSystem, "The sound system cannot be started."},
};

} // namespace

void postNotice(const NoticeTarget& target, std::uint32_t outcome, MediaDevice device)
{
    if (!target.context || !target.handler)
        return;
    QMetaObject::invokeMethod(
        target.context.data(), [handler = target.handler, outcome, device] { handler(outcome, device); },
        Qt::QueuedConnection);
}

std::optional<std::string> mediaErrorText(MediaResult code)
{
    for (const ErrorText& e : kErrorTexts)
        if (e.code == code)
            return std::string(e.text);
    return std::nullopt;
}

bool hasSoundExtension(const QString& fileName)
{
    static const std::array<QLatin1String, 12> kExtensions = {
        QLatin1String("wav"), QLatin1String("mp3"), QLatin1String("wma"),  QLatin1String("mid"),
        QLatin1String("midi"), QLatin1String("rmi"), QLatin1String("ogg"), QLatin1String("oga"),
        QLatin1String("opus"), QLatin1String("flac"), QLatin1String("m4a"), QLatin1String("aac"),
    };
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0 || fileName.indexOf(QLatin1Char('/'), dot) >= 0)
        return false;
    const QString extension = fileName.mid(dot + 1);
    for (const QLatin1String& known : kExtensions)
        if (extension.compare(known, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

MediaService& mediaService()
{
    if (installed)
        return *installed;
    static const std::unique_ptr<MediaService> real = makeGstMediaService();
    return *real;
}

void installMediaService(MediaService* fake) { installed = fake; }

} // namespace platform
