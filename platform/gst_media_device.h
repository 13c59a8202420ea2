// One open sound file over a playbin. All members run on the UI thread
// except onBusMessage, which GStreamer calls on its own threads: it touches
// only the error record and posts queued calls back to this object, so
// nothing posted runs once the device is gone.
//
// Seamless repeat: the device plays in segment mode, so the end of the file
// arrives as a segment-done while the sink still holds the last buffers.
// The completion notice goes out shortly before that tail has played; a
// rewind that comes while it still plays is a non-flushing seek that joins
// the next round to it with no gap, and the play that follows takes it
// over. A rewind with no play behind it stops the joined round unheard.
#pragma once

#include "platform/media_service.h"

#include <gst/gst.h>

#include <QObject>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

namespace platform {

class GstMediaDevice final : public QObject {
public:
    explicit GstMediaDevice(MediaDevice id);
    ~GstMediaDevice() override;
    GstMediaDevice(const GstMediaDevice&) = delete;
    GstMediaDevice& operator=(const GstMediaDevice&) = delete;

    // Takes the floating `sink` (null for playbin's own choice). Prerolls.
    MediaResult open(const QByteArray& localPath, GstElement* sink);
    // Aborts a pending notice; the destructor releases the pipeline.
    void abortNotice() { finish(MediaNotice::Aborted); }

    // A closed device kept for an open of the same file: silent at once.
    void park() { setState(GST_STATE_PAUSED); }
    // Whether a re-open can give exactly what a fresh open gives: nothing
    // failed and the length has stayed what the open read.
    bool reusable();
    // Takes the parked device back under `id`, stopped at the start with
    // volume 1000, as open leaves a new one.
    MediaResult reopen(MediaDevice id);

    MediaResult play(const NoticeTarget& target);
    MediaResult pause();
    MediaResult resume(const NoticeTarget& target);
    MediaResult stop();
    MediaResult seekToStart();
    MediaStatusReply status(MediaStatusItem item);
    MediaResult setVolume(std::uint32_t value);

private:
    struct BusError {
        GQuark domain = 0;
        int code = 0;
    };

    static GstBusSyncReply onBusMessage(GstBus* bus, GstMessage* message, gpointer self);
    void recordError(GstMessage* message);

    MediaResult awaitPreroll(GstStateChangeReturn ret, std::uint64_t errorsBefore);
    MediaResult failureSince(std::uint64_t errorsBefore);
    std::uint64_t errorCount();
    MediaResult setState(GstState state);
    bool seekToZero(bool flush, bool segment);
    MediaResult awaitSeek(std::uint64_t errorsBefore);
    MediaResult flushToStart();
    bool joinNextRound();
    void cancelJoinedRound();

    void onEnd(std::uint64_t round);
    void onPlaybackError(std::uint64_t round);
    void scheduleEnd();
    void completeRound();
    void scheduleSettle();
    void startPlaying(const NoticeTarget& target);
    void arm(const NoticeTarget& target);
    void finish(MediaNotice outcome);

    std::uint32_t lengthMs();
    void awaitLength();
    std::uint32_t positionMs();
    std::int64_t pipelinePositionNs();
    // The pipeline's running time, -1 before it has one.
    std::int64_t runningTimeNs();

    static constexpr std::int64_t kNsPerMs = 1000000;

    MediaDevice id_;
    GstElement* playbin_ = nullptr;

    MediaMode mode_ = MediaMode::Stopped;
    bool segmentMode_ = false; // seeks carry the segment flag; the end is a segment-done
    bool atEnd_ = false;       // reached the end: reports the length as the position
    bool endPending_ = false;  // the stream ran out while paused or stopped before its tail played
    bool draining_ = false;    // at the end, the pipeline still playing the tail
    bool joined_ = false;      // the next round is queued behind the tail, waiting for a play
    std::optional<NoticeTarget> pending_;
    std::optional<std::uint32_t> lengthMs_;
    bool lengthStale_ = false; // the pipeline announced a new duration
    // Set from the bus thread on any duration news once open has read the length.
    std::atomic<bool> durationChanged_{false};
    std::uint32_t volume_ = 1000;

    // Bumped after every flushing seek: bus news from before it is stale.
    std::atomic<std::uint64_t> round_{0};
    // Where a joined round ends, in running time, which runs on across
    // rounds and stands still while paused.
    std::optional<std::int64_t> endRunningNs_;
    // Only the latest scheduled end may complete a round.
    std::uint64_t endTimer_ = 0;

    std::mutex errorMutex_;
    std::condition_variable errorSeen_;
    std::vector<BusError> errors_; // guarded by errorMutex_
};

} // namespace platform
