#include "platform/gst_media_service.h"

#include "platform/gst_media_device.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>

#include <sys/stat.h>

#include <ctime>

#include <map>
#include <memory>
#include <optional>
#include <tuple>
#include <utility>

namespace platform {

namespace {

using namespace media_error;

bool startGStreamer()
{
    static const bool started = [] {
        if (!gst_init_check(nullptr, nullptr, nullptr))
            return false;
        // The mp3 decoders share one rank and the libav one sorts first;
        // loading it makes the first mp3 open about 120 ms slower.
        if (GstPluginFeature* mpg123 = gst_registry_lookup_feature(gst_registry_get(), "mpg123audiodec")) {
            gst_plugin_feature_set_rank(mpg123, GST_RANK_PRIMARY);
            gst_object_unref(mpg123);
        }
        return true;
    }();
    return started;
}

// What tells one state of a file from another: a file rewritten in place
// changes its times, one replaced changes its inode.
struct FileIdentity {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec modified{}, changed{};

    bool operator==(const FileIdentity& o) const
    {
        return std::tie(device, inode, size, modified.tv_sec, modified.tv_nsec, changed.tv_sec, changed.tv_nsec) ==
               std::tie(o.device, o.inode, o.size, o.modified.tv_sec, o.modified.tv_nsec, o.changed.tv_sec,
                        o.changed.tv_nsec);
    }
};

std::optional<FileIdentity> identityOf(const QByteArray& localPath)
{
    struct stat st {};
    if (::stat(localPath.constData(), &st) != 0)
        return std::nullopt;
    return FileIdentity{st.st_dev, st.st_ino, st.st_size, st.st_mtim, st.st_ctim};
}

// Timestamps are coarse (a clock tick; two seconds on FAT), so a file
// modified just before it was opened could change again unseen: only a
// file older than this counts as known.
constexpr time_t kSettledSeconds = 3;

std::optional<FileIdentity> settledIdentityOf(const QByteArray& localPath)
{
    std::optional<FileIdentity> identity = identityOf(localPath);
    timespec now{};
    if (!identity || clock_gettime(CLOCK_REALTIME, &now) != 0 || identity->modified.tv_sec > now.tv_sec - kSettledSeconds)
        return std::nullopt;
    return identity;
}

struct OpenDevice {
    std::unique_ptr<GstMediaDevice> device;
    std::optional<FileIdentity> file;
};

class GstMediaService final : public MediaService {
public:
    explicit GstMediaService(AudioSinkFactory makeSink) : makeSink_(std::move(makeSink)), started_(startGStreamer())
    {
    }

    ~GstMediaService() override
    {
        for (auto& [id, open] : devices_)
            open.device->abortNotice();
    }

    MediaOpenReply open(const QString& fileName) override
    {
        if (fileName.isEmpty())
            return {kNoFileName, 0};
        if (!hasSoundExtension(fileName))
            return {kUnknownExtension, 0};
        const QFileInfo file(fileName);
        if (!file.exists())
            return {kFileNotFound, 0};
        if (!file.isFile() || !file.isReadable())
            return {kCannotReadFile, 0};
        if (!started_)
            return {kNoSoundSystem, 0};
        const QByteArray localPath = QFile::encodeName(file.absoluteFilePath());
        const MediaDevice id = freeId();
        if (std::optional<OpenDevice> parked = takeParked(identityOf(localPath))) {
            if (parked->device->reopen(id) == 0) {
                devices_.emplace(id, std::move(*parked));
                return {0, id};
            }
        }
        auto device = std::make_unique<GstMediaDevice>(id);
        GstElement* sink = makeSink_ ? makeSink_() : gst_element_factory_make("autoaudiosink", nullptr);
        if (const MediaResult r = device->open(localPath, sink))
            return {r, 0};
        devices_.emplace(id, OpenDevice{std::move(device), settledIdentityOf(localPath)});
        return {0, id};
    }

    // Closing and opening the same file again (the player's Open does both)
    // would rebuild and preroll the whole pipeline; the closed device is
    // kept, silent, until the event loop next runs, for such an open.
    MediaResult close(MediaDevice id) override
    {
        const auto it = devices_.find(id);
        if (it == devices_.end())
            return kInvalidDevice;
        OpenDevice closed = std::move(it->second);
        devices_.erase(it);
        closed.device->abortNotice();
        parked_.reset();
        if (closed.file && closed.device->reusable()) {
            closed.device->park();
            parked_ = std::move(closed);
            QTimer::singleShot(0, &releaser_, [this] { parked_.reset(); });
        }
        return 0;
    }

    MediaResult play(MediaDevice id, const NoticeTarget& target) override
    {
        GstMediaDevice* device = find(id);
        return device ? device->play(target) : kInvalidDevice;
    }

    MediaResult pause(MediaDevice id) override
    {
        GstMediaDevice* device = find(id);
        return device ? device->pause() : kInvalidDevice;
    }

    MediaResult resume(MediaDevice id, const NoticeTarget& target) override
    {
        GstMediaDevice* device = find(id);
        return device ? device->resume(target) : kInvalidDevice;
    }

    MediaResult stop(MediaDevice id) override
    {
        GstMediaDevice* device = find(id);
        return device ? device->stop() : kInvalidDevice;
    }

    MediaResult seekToStart(MediaDevice id) override
    {
        GstMediaDevice* device = find(id);
        return device ? device->seekToStart() : kInvalidDevice;
    }

    MediaStatusReply status(MediaDevice id, MediaStatusItem item) override
    {
        GstMediaDevice* device = find(id);
        return device ? device->status(item) : MediaStatusReply{kInvalidDevice, 0};
    }

    MediaResult setVolume(MediaDevice id, std::uint32_t value) override
    {
        GstMediaDevice* device = find(id);
        return device ? device->setVolume(value) : kInvalidDevice;
    }

    std::optional<std::string> errorText(MediaResult code) const override { return mediaErrorText(code); }

private:
    GstMediaDevice* find(MediaDevice id)
    {
        const auto it = devices_.find(id);
        return it == devices_.end() ? nullptr : it->second.device.get();
    }

    // The parked device when it holds the file as it is now; any other is
    // released first, so a fresh open never runs beside it.
    std::optional<OpenDevice> takeParked(const std::optional<FileIdentity>& identity)
    {
        std::optional<OpenDevice> parked = std::move(parked_);
        parked_.reset();
        if (parked && !(identity && parked->file == identity))
            parked.reset();
        return parked;
    }

    // Identifiers run on before they are reused, so a notice still queued
    // for a closed device cannot be mistaken for a new one's.
    MediaDevice freeId()
    {
        while (nextId_ == 0 || devices_.count(nextId_))
            ++nextId_;
        return nextId_++;
    }

    AudioSinkFactory makeSink_;
    bool started_;
    std::map<MediaDevice, OpenDevice> devices_;
    MediaDevice nextId_ = 1;
    std::optional<OpenDevice> parked_;
    // The context of the parked device's release; gone with the service.
    QObject releaser_;
};

} // namespace

std::unique_ptr<MediaService> makeGstMediaService(AudioSinkFactory makeSink)
{
    return std::make_unique<GstMediaService>(std::move(makeSink));
}

} // namespace platform
