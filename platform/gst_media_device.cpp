// The pipeline of one device: open and preroll, what its bus reports, seeks
// and the queries behind the status items.
#include "platform/gst_media_device.h"

#include <gst/audio/streamvolume.h>

#include <QMetaObject>

#include <algorithm>
#include <chrono>

namespace platform {

namespace {

using namespace media_error;

constexpr int kPlayFlagAudio = 0x2;
// Without it playbin ignores its volume property.
constexpr int kPlayFlagSoftVolume = 0x10;
constexpr GstClockTime kPrerollTimeout = 10 * GST_SECOND;
// A failed state change can return before its error reaches the bus.
constexpr auto kErrorMessageWait = std::chrono::seconds(1);
// Each failure posts a few errors; a device that keeps failing stops
// recording them once this many are in, and then reports as unreadable.
constexpr size_t kErrorsKept = 64;

MediaResult classify(GQuark domain, int code)
{
    if (domain == GST_RESOURCE_ERROR) {
        switch (code) {
        case GST_RESOURCE_ERROR_NOT_FOUND: return kFileNotFound;
        case GST_RESOURCE_ERROR_OPEN_READ:
        case GST_RESOURCE_ERROR_READ:
        case GST_RESOURCE_ERROR_OPEN_READ_WRITE:
        case GST_RESOURCE_ERROR_NOT_AUTHORIZED: return kCannotReadFile;
        default: return kOutputFailed;
        }
    }
    if (domain == GST_STREAM_ERROR)
        return code == GST_STREAM_ERROR_CODEC_NOT_FOUND ? kNoDecoder : kCannotDecode;
    if (domain == GST_CORE_ERROR && code == GST_CORE_ERROR_MISSING_PLUGIN)
        return kNoDecoder;
    return kOutputFailed;
}

GstSeekFlags seekFlags(bool flush, bool segment)
{
    int flags = GST_SEEK_FLAG_ACCURATE;
    if (flush)
        flags |= GST_SEEK_FLAG_FLUSH;
    if (segment)
        flags |= GST_SEEK_FLAG_SEGMENT;
    return static_cast<GstSeekFlags>(flags);
}

} // namespace

GstMediaDevice::GstMediaDevice(MediaDevice id) : id_(id) {}

GstMediaDevice::~GstMediaDevice()
{
    if (!playbin_)
        return;
    // NULL joins the streaming threads, so the bus handler is idle after it.
    gst_element_set_state(playbin_, GST_STATE_NULL);
    GstBus* bus = gst_element_get_bus(playbin_);
    gst_bus_set_sync_handler(bus, nullptr, nullptr, nullptr);
    gst_object_unref(bus);
    gst_object_unref(playbin_);
}

MediaResult GstMediaDevice::open(const QByteArray& localPath, GstElement* sink)
{
    playbin_ = gst_element_factory_make("playbin", nullptr);
    if (!playbin_) {
        if (sink)
            gst_object_unref(gst_object_ref_sink(sink));
        return kNoSoundSystem;
    }
    gst_object_ref_sink(playbin_);
    gchar* uri = gst_filename_to_uri(localPath.constData(), nullptr);
    if (!uri)
        return kFileNotFound;
    g_object_set(playbin_, "uri", uri, "flags", kPlayFlagAudio | kPlayFlagSoftVolume, nullptr);
    g_free(uri);
    if (sink)
        g_object_set(playbin_, "audio-sink", sink, nullptr);
    gst_stream_volume_set_volume(GST_STREAM_VOLUME(playbin_), GST_STREAM_VOLUME_FORMAT_CUBIC, 1.0);

    GstBus* bus = gst_element_get_bus(playbin_);
    gst_bus_set_sync_handler(bus, &GstMediaDevice::onBusMessage, this, nullptr);
    gst_object_unref(bus);

    const std::uint64_t errorsBefore = errorCount();
    if (const MediaResult r = awaitPreroll(gst_element_set_state(playbin_, GST_STATE_PAUSED), errorsBefore))
        return r;
    awaitLength();
    // A source that cannot seek in segments ends with a plain end of stream;
    // it still plays, only its repeats are not seamless.
    segmentMode_ = seekToZero(true, true);
    const MediaResult r = segmentMode_ ? awaitSeek(errorsBefore) : 0;
    durationChanged_ = false;
    return r;
}

bool GstMediaDevice::reusable() { return segmentMode_ && !durationChanged_ && errorCount() == 0; }

MediaResult GstMediaDevice::reopen(MediaDevice id)
{
    id_ = id;
    mode_ = MediaMode::Stopped;
    setVolume(1000);
    return flushToStart();
}

// A parser may learn the length a few milliseconds after preroll, and a
// seek made before that can leave it unknown until the sound plays. An mp3
// without a frame-count header has none until then: not worth a long wait.
void GstMediaDevice::awaitLength()
{
    for (int tries = 0; tries < 50 && lengthMs() == 0; ++tries)
        g_usleep(1000);
}

GstBusSyncReply GstMediaDevice::onBusMessage(GstBus*, GstMessage* message, gpointer data)
{
    auto* self = static_cast<GstMediaDevice*>(data);
    const std::uint64_t round = self->round_.load();
    const bool fromPipeline = GST_MESSAGE_SRC(message) == GST_OBJECT(self->playbin_);
    switch (GST_MESSAGE_TYPE(message)) {
    case GST_MESSAGE_ERROR:
        self->recordError(message);
        QMetaObject::invokeMethod(self, [self, round] { self->onPlaybackError(round); }, Qt::QueuedConnection);
        break;
    case GST_MESSAGE_SEGMENT_DONE:
    case GST_MESSAGE_EOS:
        if (fromPipeline)
            QMetaObject::invokeMethod(self, [self, round] { self->onEnd(round); }, Qt::QueuedConnection);
        break;
    case GST_MESSAGE_DURATION_CHANGED:
        self->durationChanged_ = true;
        QMetaObject::invokeMethod(self, [self] { self->lengthStale_ = true; }, Qt::QueuedConnection);
        break;
    default:
        break;
    }
    return GST_BUS_DROP;
}

void GstMediaDevice::recordError(GstMessage* message)
{
    GError* error = nullptr;
    gst_message_parse_error(message, &error, nullptr);
    {
        const std::lock_guard lock(errorMutex_);
        if (errors_.size() < kErrorsKept)
            errors_.push_back({error ? error->domain : 0, error ? error->code : 0});
    }
    g_clear_error(&error);
    errorSeen_.notify_all();
}

std::uint64_t GstMediaDevice::errorCount()
{
    const std::lock_guard lock(errorMutex_);
    return errors_.size();
}

MediaResult GstMediaDevice::failureSince(std::uint64_t errorsBefore)
{
    std::unique_lock lock(errorMutex_);
    if (!errorSeen_.wait_for(lock, kErrorMessageWait, [&] { return errors_.size() > errorsBefore; }))
        return kCannotDecode;
    // The first error names the cause; the ones after it are its echoes
    // ("internal data stream error").
    const BusError& first = errors_[errorsBefore];
    return classify(first.domain, first.code);
}

MediaResult GstMediaDevice::awaitPreroll(GstStateChangeReturn ret, std::uint64_t errorsBefore)
{
    if (ret == GST_STATE_CHANGE_ASYNC)
        ret = gst_element_get_state(playbin_, nullptr, nullptr, kPrerollTimeout);
    if (ret == GST_STATE_CHANGE_FAILURE)
        return failureSince(errorsBefore);
    return ret == GST_STATE_CHANGE_ASYNC ? kNoAnswer : 0;
}

// Pausing may leave the sink waiting for a buffer that never comes (at the
// end of a segment), so state changes other than preroll do not wait.
MediaResult GstMediaDevice::setState(GstState state)
{
    return gst_element_set_state(playbin_, state) == GST_STATE_CHANGE_FAILURE ? kOutputFailed : 0;
}

bool GstMediaDevice::seekToZero(bool flush, bool segment)
{
    // The new stream may end before the seek returns, so its round starts
    // first. An end of the old stream posted in between is taken for the
    // new one's, which costs nothing: the end goes by the clock anyway.
    if (flush)
        ++round_;
    const bool done = gst_element_seek(playbin_, 1.0, GST_FORMAT_TIME, seekFlags(flush, segment), GST_SEEK_TYPE_SET,
                                       0, GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE);
    if (done && flush) {
        endRunningNs_.reset();
        atEnd_ = endPending_ = draining_ = joined_ = false;
    }
    return done;
}

// A flushing seek prerolls again before the position is good.
MediaResult GstMediaDevice::awaitSeek(std::uint64_t errorsBefore)
{
    return awaitPreroll(gst_element_get_state(playbin_, nullptr, nullptr, kPrerollTimeout), errorsBefore);
}

MediaResult GstMediaDevice::flushToStart()
{
    const std::uint64_t errorsBefore = errorCount();
    if (!seekToZero(true, segmentMode_))
        return kCannotDecode;
    return awaitSeek(errorsBefore);
}

// A length once known is kept until a new one can be read.
std::uint32_t GstMediaDevice::lengthMs()
{
    if (!lengthMs_ || lengthStale_) {
        gint64 ns = 0;
        if (gst_element_query_duration(playbin_, GST_FORMAT_TIME, &ns) && ns >= 0) {
            lengthMs_ = static_cast<std::uint32_t>(ns / kNsPerMs);
            lengthStale_ = false;
        }
    }
    return lengthMs_.value_or(0);
}

std::uint32_t GstMediaDevice::positionMs()
{
    if (atEnd_)
        return lengthMs();
    if (joined_)
        return 0;
    const std::int64_t ns = std::max<std::int64_t>(pipelinePositionNs(), 0);
    return std::min(static_cast<std::uint32_t>(ns / kNsPerMs), lengthMs());
}

std::int64_t GstMediaDevice::runningTimeNs()
{
    const GstClockTime now = gst_element_get_current_running_time(playbin_);
    return GST_CLOCK_TIME_IS_VALID(now) ? static_cast<std::int64_t>(now) : -1;
}

std::int64_t GstMediaDevice::pipelinePositionNs()
{
    gint64 ns = 0;
    return gst_element_query_position(playbin_, GST_FORMAT_TIME, &ns) ? ns : 0;
}

} // namespace platform
