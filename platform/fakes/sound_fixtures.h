// Sound files made on the spot for tests and benchmarks, and an audio sink
// that keeps real time while recording what it is given.
#pragma once

#include "platform/gst_media_service.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

namespace platform {

// A 440 Hz sine, 16-bit mono at 44.1 kHz, `ms` long. False when the file
// cannot be written.
bool writeToneWav(const QString& path, int ms);

// The same tone as a constant-bitrate mp3, encoded by GStreamer. False when
// no mp3 encoder is installed or the encoding fails.
bool writeToneMp3(const QString& path, int ms);

// Each sink it makes is a fake sink that syncs to the clock behind a 200 ms
// queue, the buffer a sound card gives. Every buffer that reaches a sink is
// recorded as the span of running time it covers, so a test can see a gap
// (or a restart from a flush) between one buffer and the next.
class RecordingSink {
public:
    struct Span {
        std::int64_t startNs;
        std::int64_t endNs;
    };

    RecordingSink();
    AudioSinkFactory factory() const;
    std::vector<Span> spans() const;
    void clear();
    // The largest distance, either way, between a buffer's start and the
    // previous buffer's end over the spans recorded so far.
    std::int64_t largestJumpNs() const;

    struct Record;

private:
    std::shared_ptr<Record> record_;
};

} // namespace platform
