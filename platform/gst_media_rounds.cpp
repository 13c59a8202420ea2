// The commands of a device and the rounds of its sound: when a round
// counts as complete, and how the next one joins it without a gap.
#include "platform/gst_media_device.h"

#include <gst/audio/streamvolume.h>

#include <QTimer>

#include <algorithm>

namespace platform {

namespace {

using namespace media_error;

// How long before the last sample is heard the completion goes out: the
// time a rewind from the notice has to join the next round seamlessly.
constexpr std::int64_t kJoinMarginMs = 50;
// The most a sink buffers; a longer tail is a wrong length estimate.
constexpr std::int64_t kLongestTailMs = 2000;

} // namespace

// The tail of the last round still plays: a non-flushing segment seek
// queues the next round right behind it, so its first sample follows the
// last one with no gap.
bool GstMediaDevice::joinNextRound()
{
    // The sink still plays the last round, so its position gives the tail.
    const std::int64_t now = runningTimeNs();
    const std::int64_t lengthNs = static_cast<std::int64_t>(lengthMs()) * kNsPerMs;
    const std::int64_t tailNs = std::max<std::int64_t>(lengthNs - pipelinePositionNs(), 0);
    if (!seekToZero(false, true))
        return false;
    endRunningNs_.reset();
    if (now >= 0)
        endRunningNs_ = now + tailNs + lengthNs;
    atEnd_ = draining_ = false;
    joined_ = true;
    // Only a play in the same pass of the event loop takes the round over.
    QTimer::singleShot(0, this, [this] { cancelJoinedRound(); });
    return true;
}

void GstMediaDevice::cancelJoinedRound()
{
    if (!joined_)
        return;
    setState(GST_STATE_PAUSED);
    flushToStart();
}

MediaResult GstMediaDevice::play(const NoticeTarget& target)
{
    if (joined_) {
        joined_ = false;
        startPlaying(target);
        return 0;
    }
    if (atEnd_) {
        // Playing from the end completes at once.
        arm(target);
        finish(MediaNotice::Successful);
        return 0;
    }
    if (mode_ == MediaMode::Playing) {
        arm(target);
        return 0;
    }
    if (const MediaResult r = setState(GST_STATE_PLAYING))
        return r;
    startPlaying(target);
    return 0;
}

MediaResult GstMediaDevice::resume(const NoticeTarget& target)
{
    cancelJoinedRound();
    if (mode_ != MediaMode::Paused)
        return kNotPaused;
    if (const MediaResult r = setState(GST_STATE_PLAYING))
        return r;
    startPlaying(target);
    return 0;
}

void GstMediaDevice::startPlaying(const NoticeTarget& target)
{
    mode_ = MediaMode::Playing;
    arm(target);
    if (endPending_)
        scheduleEnd();
}

MediaResult GstMediaDevice::pause()
{
    cancelJoinedRound();
    if (mode_ != MediaMode::Playing)
        return 0;
    if (const MediaResult r = setState(GST_STATE_PAUSED))
        return r;
    mode_ = MediaMode::Paused;
    finish(MediaNotice::Aborted);
    return 0;
}

MediaResult GstMediaDevice::stop()
{
    cancelJoinedRound();
    if (mode_ == MediaMode::Playing || mode_ == MediaMode::Paused || draining_)
        if (const MediaResult r = setState(GST_STATE_PAUSED))
            return r;
    draining_ = false;
    mode_ = MediaMode::Stopped;
    finish(MediaNotice::Aborted);
    return 0;
}

MediaResult GstMediaDevice::seekToStart()
{
    if (joined_)
        return 0;
    if (atEnd_ && draining_ && segmentMode_ && joinNextRound())
        return 0;
    finish(MediaNotice::Aborted);
    // Also after a plain end of stream, which leaves the pipeline playing.
    setState(GST_STATE_PAUSED);
    mode_ = MediaMode::Stopped;
    return flushToStart();
}

MediaStatusReply GstMediaDevice::status(MediaStatusItem item)
{
    switch (item) {
    case MediaStatusItem::Length: return {0, lengthMs()};
    case MediaStatusItem::Position: return {0, positionMs()};
    case MediaStatusItem::Mode: return {0, static_cast<std::uint32_t>(mode_)};
    case MediaStatusItem::Volume: return {0, volume_};
    }
    return {kInvalidDevice, 0};
}

MediaResult GstMediaDevice::setVolume(std::uint32_t value)
{
    if (value > 1000)
        return kVolumeOutOfRange;
    gst_stream_volume_set_volume(GST_STREAM_VOLUME(playbin_), GST_STREAM_VOLUME_FORMAT_CUBIC, value / 1000.0);
    volume_ = value;
    return 0;
}

void GstMediaDevice::onEnd(std::uint64_t round)
{
    if (round != round_)
        return;
    // Paused or stopped before the tail played: the play that follows
    // finishes it by the clock, since no second end will come.
    endPending_ = true;
    if (mode_ == MediaMode::Playing)
        scheduleEnd();
}

// The round counts as complete a little before its tail has played, so a
// rewind from the notice still finds the tail playing and joins it. A
// joined round's end is known in running time; otherwise the sink's
// position says what is left.
void GstMediaDevice::scheduleEnd()
{
    const std::int64_t now = runningTimeNs();
    std::int64_t tailNs = static_cast<std::int64_t>(lengthMs()) * kNsPerMs - pipelinePositionNs();
    if (endRunningNs_ && now >= 0)
        tailNs = *endRunningNs_ - now;
    const int waitMs = static_cast<int>(std::clamp<std::int64_t>(tailNs / kNsPerMs - kJoinMarginMs, 0, kLongestTailMs));
    QTimer::singleShot(waitMs, this, [this, round = round_.load(), serial = ++endTimer_] {
        if (round == round_ && serial == endTimer_ && endPending_ && mode_ == MediaMode::Playing)
            completeRound();
    });
}

void GstMediaDevice::completeRound()
{
    endPending_ = false;
    atEnd_ = true;
    draining_ = segmentMode_;
    mode_ = MediaMode::Stopped;
    finish(MediaNotice::Successful);
    if (draining_)
        scheduleSettle();
}

void GstMediaDevice::onPlaybackError(std::uint64_t round)
{
    if (round != round_ || mode_ != MediaMode::Playing)
        return;
    setState(GST_STATE_PAUSED);
    mode_ = MediaMode::Stopped;
    finish(MediaNotice::Failure);
}

// Once the tail has played, park the pipeline so an idle device renders
// nothing; a rewind from then on flushes.
void GstMediaDevice::scheduleSettle()
{
    QTimer::singleShot(kJoinMarginMs + 100, this, [this, round = round_.load()] {
        if (round != round_ || !draining_)
            return;
        setState(GST_STATE_PAUSED);
        draining_ = false;
    });
}

void GstMediaDevice::arm(const NoticeTarget& target)
{
    finish(MediaNotice::Superseded);
    pending_ = target;
}

void GstMediaDevice::finish(MediaNotice outcome)
{
    if (!pending_)
        return;
    const NoticeTarget target = std::move(*pending_);
    pending_.reset();
    postNotice(target, static_cast<std::uint32_t>(outcome), id_);
}

} // namespace platform
