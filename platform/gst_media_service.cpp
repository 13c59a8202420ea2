#include "platform/gst_media_service.h"

#include "platform/gst_media_device.h"

#include <QFile>
#include <QFileInfo>

#include <map>
#include <memory>
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

class GstMediaService final : public MediaService {
public:
    explicit GstMediaService(AudioSinkFactory makeSink) : makeSink_(std::move(makeSink)), started_(startGStreamer())
    {
    }

    ~GstMediaService() override
    {
        for (auto& [id, device] : devices_)
            device->abortNotice();
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
        const MediaDevice id = freeId();
        auto device = std::make_unique<GstMediaDevice>(id);
        GstElement* sink = makeSink_ ? makeSink_() : gst_element_factory_make("autoaudiosink", nullptr);
        if (const MediaResult r = device->open(QFile::encodeName(file.absoluteFilePath()), sink))
            return {r, 0};
        devices_.emplace(id, std::move(device));
        return {0, id};
    }

    MediaResult close(MediaDevice id) override
    {
        const auto it = devices_.find(id);
        if (it == devices_.end())
            return kInvalidDevice;
        it->second->abortNotice();
        devices_.erase(it);
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
        return it == devices_.end() ? nullptr : it->second.get();
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
    std::map<MediaDevice, std::unique_ptr<GstMediaDevice>> devices_;
    MediaDevice nextId_ = 1;
};

} // namespace

std::unique_ptr<MediaService> makeGstMediaService(AudioSinkFactory makeSink)
{
    return std::make_unique<GstMediaService>(std::move(makeSink));
}

} // namespace platform
