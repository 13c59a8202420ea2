#include "platform/fakes/sound_fixtures.h"

#include <gst/gst.h>

#include <QFile>

#include <cmath>
#include <cstdlib>
#include <mutex>
#include <numbers>
#include <string>

namespace platform {

namespace {

constexpr int kRate = 44100;

void putLe(QByteArray& out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out.append(static_cast<char>((value >> (8 * i)) & 0xFF));
}

} // namespace

bool writeToneWav(const QString& path, int ms)
{
    const std::uint32_t samples = static_cast<std::uint32_t>(kRate) * static_cast<std::uint32_t>(ms) / 1000;
    const std::uint32_t dataBytes = samples * 2;
    QByteArray wav("RIFF");
    putLe(wav, 36 + dataBytes, 4);
    wav.append("WAVEfmt ");
    putLe(wav, 16, 4);
    putLe(wav, 1, 2); // PCM
    putLe(wav, 1, 2); // mono
    putLe(wav, kRate, 4);
    putLe(wav, kRate * 2, 4);
    putLe(wav, 2, 2);
    putLe(wav, 16, 2);
    wav.append("data");
    putLe(wav, dataBytes, 4);
    for (std::uint32_t i = 0; i < samples; ++i) {
        const double v = std::sin(2 * std::numbers::pi * 440.0 * i / kRate) * 12000.0;
        putLe(wav, static_cast<std::uint16_t>(static_cast<std::int16_t>(v)), 2);
    }
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(wav) == wav.size();
}

bool writeToneMp3(const QString& path, int ms)
{
    if (!gst_init_check(nullptr, nullptr, nullptr))
        return false;
    GstElementFactory* encoder = gst_element_factory_find("lamemp3enc");
    if (!encoder)
        return false;
    gst_object_unref(encoder);
    // A header with the frame count, as real encoders write, gives the
    // length at once; without it a parser estimates it only while playing.
    GstElementFactory* header = gst_element_factory_find("xingmux");
    const char* withHeader = header ? " ! xingmux" : "";
    if (header)
        gst_object_unref(header);
    // Buffers of 10 ms; the escaped location keeps spaces in the path.
    gchar* location = g_strescape(QFile::encodeName(path).constData(), nullptr);
    const std::string description = "audiotestsrc wave=sine num-buffers=" + std::to_string(ms / 10) +
                                    " samplesperbuffer=441 ! audio/x-raw,rate=44100,channels=1 ! "
                                    "lamemp3enc target=bitrate cbr=true bitrate=64" + std::string(withHeader) +
                                    " ! filesink location=\"" + location + "\"";
    g_free(location);
    GstElement* pipeline = gst_parse_launch(description.c_str(), nullptr);
    if (!pipeline)
        return false;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* last = gst_bus_timed_pop_filtered(bus, 600 * GST_SECOND,
                                                  static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool done = last && GST_MESSAGE_TYPE(last) == GST_MESSAGE_EOS;
    if (last)
        gst_message_unref(last);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return done;
}

struct RecordingSink::Record {
    mutable std::mutex mutex;
    std::vector<Span> spans;
};

namespace {

GstPadProbeReturn recordBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer data)
{
    auto* record = static_cast<std::shared_ptr<RecordingSink::Record>*>(data)->get();
    GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
    GstEvent* event = gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0);
    if (!event || !GST_BUFFER_PTS_IS_VALID(buffer) || !GST_BUFFER_DURATION_IS_VALID(buffer)) {
        if (event)
            gst_event_unref(event);
        return GST_PAD_PROBE_OK;
    }
    const GstSegment* segment = nullptr;
    gst_event_parse_segment(event, &segment);
    const GstClockTime pts = GST_BUFFER_PTS(buffer);
    const auto start = static_cast<std::int64_t>(gst_segment_to_running_time(segment, GST_FORMAT_TIME, pts));
    const auto end = start + static_cast<std::int64_t>(GST_BUFFER_DURATION(buffer));
    gst_event_unref(event);
    const std::lock_guard lock(record->mutex);
    record->spans.push_back({start, end});
    return GST_PAD_PROBE_OK;
}

void dropRecord(gpointer data) { delete static_cast<std::shared_ptr<RecordingSink::Record>*>(data); }

} // namespace

RecordingSink::RecordingSink() : record_(std::make_shared<Record>()) { gst_init_check(nullptr, nullptr, nullptr); }

AudioSinkFactory RecordingSink::factory() const
{
    return [record = record_]() -> GstElement* {
        GstElement* bin = gst_parse_bin_from_description(
            "queue max-size-buffers=0 max-size-bytes=0 max-size-time=200000000 ! fakesink name=out sync=true", TRUE,
            nullptr);
        if (!bin)
            return nullptr;
        GstElement* out = gst_bin_get_by_name(GST_BIN(bin), "out");
        GstPad* pad = gst_element_get_static_pad(out, "sink");
        gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &recordBuffer, new std::shared_ptr<Record>(record),
                          &dropRecord);
        gst_object_unref(pad);
        gst_object_unref(out);
        return bin;
    };
}

std::vector<RecordingSink::Span> RecordingSink::spans() const
{
    const std::lock_guard lock(record_->mutex);
    return record_->spans;
}

void RecordingSink::clear()
{
    const std::lock_guard lock(record_->mutex);
    record_->spans.clear();
}

std::int64_t RecordingSink::largestJumpNs() const
{
    const std::vector<Span> all = spans();
    std::int64_t largest = 0;
    for (size_t i = 1; i < all.size(); ++i)
        largest = std::max(largest, std::abs(all[i].startNs - all[i - 1].endNs));
    return largest;
}

} // namespace platform
