// TMediaPlayer over the fake media service: what each operation sends, in
// order, what it raises and what it records.
#include "media/sound/media_player.h"
#include "platform/fakes/fake_media_service.h"

#include <gtest/gtest.h>

#include <QCoreApplication>

#include <functional>
#include <string>
#include <vector>

namespace sound {
namespace {

using platform::FakeMediaService;
using platform::MediaMode;
using Log = std::vector<std::string>;

struct Rig {
    platform::ScopedMediaService service;
    FakeMediaService& fake = service.fake;
    TMediaPlayer player;
};

using Step = std::function<void(Rig&)>;

// The starting states: closed, or open on "a.mp3" as device 1 in a mode.
Step closed() { return [](Rig&) {}; }

Step opened(MediaMode mode, std::uint32_t position = 100, std::uint32_t length = 5000)
{
    return [=](Rig& r) {
        r.fake.opened = {position, length, mode, 1000};
        r.player.FileName = QStringLiteral("a.mp3");
        r.player.Open();
    };
}

Step script(Step given, std::string word, std::vector<platform::MediaResult> results)
{
    return [=](Rig& r) {
        given(r);
        r.fake.results[word].assign(results.begin(), results.end());
    };
}

struct Row {
    const char* name;
    Step given;
    std::function<void(TMediaPlayer&)> act;
    Log sent;
    const char* raises; // nullptr: nothing raised
    bool openAfter;
    platform::MediaResult lastResult;
};

void play(TMediaPlayer& p) { p.Play(); }
void pause(TMediaPlayer& p) { p.Pause(); }
void stop(TMediaPlayer& p) { p.Stop(); }
void close(TMediaPlayer& p) { p.Close(); }
void rewind(TMediaPlayer& p) { p.Rewind(); }
void open(TMediaPlayer& p)
{
    p.FileName = QStringLiteral("a.mp3");
    p.Open();
}

constexpr const char* kNoDevice = "No MCI device open";
const Log kRewindAndPlay = {"status 1 position", "status 1 length", "seek 1 start", "play 1"};
const Log kPlayOn = {"status 1 position", "status 1 length", "play 1"};

TEST(MediaPlayerTest, EachOperationSendsItsCommandsFromEachState)
{
    const Row rows[] = {
        {"play while closed", closed(), play, {}, kNoDevice, false, 0},
        {"pause while closed", closed(), pause, {}, kNoDevice, false, 0},
        {"stop while closed", closed(), stop, {}, kNoDevice, false, 0},
        {"rewind while closed", closed(), rewind, {}, kNoDevice, false, 0},
        {"close while closed sends nothing", closed(), close, {}, nullptr, false, 0},
        {"open", closed(), open, {"open a.mp3"}, nullptr, true, 0},
        {"open again closes first", opened(MediaMode::Playing), open, {"close 1", "open a.mp3"}, nullptr, true, 0},
        {"open fails with the device's text", script(closed(), "open", {275}), open, {"open a.mp3"},
         "The file is gone.", false, 275},
        {"open fails with a code that has no text", script(closed(), "open", {999}), open, {"open a.mp3"},
         "Unknown error code", false, 999},
        {"a failed close leaves the old device open", script(script(opened(MediaMode::Stopped), "close", {300}),
                                                            "open", {275}),
         open, {"close 1", "open a.mp3"}, "The file is gone.", true, 275},
        {"play at the end rewinds", opened(MediaMode::Stopped, 5000), play, kRewindAndPlay, nullptr, true, 0},
        {"play inside plays on", opened(MediaMode::Paused, 1200), play, kPlayOn, nullptr, true, 0},
        {"play without auto-rewind",
         [](Rig& r) {
             opened(MediaMode::Stopped, 5000)(r);
             r.player.AutoRewind = false;
         },
         play, {"play 1"}, nullptr, true, 0},
        {"a failed play is recorded", script(opened(MediaMode::Stopped), "play", {290}), play, kPlayOn, nullptr,
         true, 290},
        {"pause while playing", opened(MediaMode::Playing), pause, {"status 1 mode", "pause 1"}, nullptr, true, 0},
        {"pause while paused resumes", opened(MediaMode::Paused), pause,
         {"status 1 mode", "status 1 mode", "resume 1"}, nullptr, true, 0},
        {"a refused resume plays", script(opened(MediaMode::Paused), "resume", {274}), pause,
         {"status 1 mode", "status 1 mode", "resume 1", "status 1 position", "status 1 length", "play 1"}, nullptr,
         true, 0},
        {"pause while stopped does nothing", opened(MediaMode::Stopped), pause, {"status 1 mode", "status 1 mode"},
         nullptr, true, 0},
        {"a failed stop is recorded", script(opened(MediaMode::Playing), "stop", {263}), stop, {"stop 1"}, nullptr,
         true, 263},
        {"close", opened(MediaMode::Playing), close, {"close 1"}, nullptr, false, 0},
        {"a failed close keeps the device", script(opened(MediaMode::Playing), "close", {263}), close, {"close 1"},
         nullptr, true, 263},
        {"a failed rewind is dropped", script(opened(MediaMode::Playing), "seek", {263}), rewind, {"seek 1 start"},
         nullptr, true, 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        Rig rig;
        rig.fake.texts[275] = "The file is gone.";
        row.given(rig);
        rig.fake.log.clear();
        std::string raised;
        try {
            row.act(rig.player);
        } catch (const EMCIDeviceError& e) {
            raised = e.what();
        }
        EXPECT_EQ(rig.fake.log, row.sent);
        EXPECT_EQ(raised, row.raises ? row.raises : "");
        EXPECT_EQ(rig.player.isOpen(), row.openAfter);
        EXPECT_EQ(rig.player.deviceId() != 0, row.openAfter);
        EXPECT_EQ(rig.player.lastResult(), row.lastResult);
    }
}

TEST(MediaPlayerTest, OpenTakesTheNewDeviceAndPlaysItFromTheStart)
{
    Rig rig;
    opened(MediaMode::Playing, 4000)(rig);
    rig.fake.opened.position = 0;
    open(rig.player);
    EXPECT_EQ(rig.player.deviceId(), 2);
    rig.fake.log.clear();
    rig.player.Play();
    EXPECT_EQ(rig.fake.log, (Log{"status 2 position", "status 2 length", "play 2"}));
}

TEST(MediaPlayerTest, NoticesSetTheCompletionResultAndCallOnNotify)
{
    const struct {
        std::uint32_t outcome;
        TMPNotifyValues expected;
    } notices[] = {
        {4, TMPNotifyValues::nvAborted},   {1, TMPNotifyValues::nvSuccessful}, {8, TMPNotifyValues::nvFailure},
        {3, TMPNotifyValues::nvFailure},   {2, TMPNotifyValues::nvSuperseded}, {0, TMPNotifyValues::nvSuperseded},
    };
    Rig rig;
    opened(MediaMode::Stopped)(rig);
    rig.player.Play();
    std::vector<TMPNotifyValues> seen;
    rig.player.OnNotify = [&](TMediaPlayer& sender) { seen.push_back(sender.completion()); };
    std::vector<TMPNotifyValues> expected;
    for (const auto& n : notices) {
        rig.fake.sendNotice(n.outcome);
        EXPECT_EQ(seen.size(), expected.size()) << "the notice is queued, not run at once";
        QCoreApplication::sendPostedEvents();
        expected.push_back(n.expected);
        EXPECT_EQ(rig.player.completion(), n.expected) << "outcome " << n.outcome;
    }
    EXPECT_EQ(seen, expected);
}

TEST(MediaPlayerTest, DestroyingClosesAnOpenDeviceAndDropsLateNotices)
{
    Rig rig;
    {
        TMediaPlayer player;
        player.FileName = QStringLiteral("a.mp3");
        player.Open();
        player.Play();
        player.OnNotify = [](TMediaPlayer&) { ADD_FAILURE() << "a notice reached a destroyed player"; };
        rig.fake.sendNotice(1);
        rig.fake.log.clear();
    }
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(rig.fake.log, Log{"close 1"});

    rig.fake.log.clear();
    { TMediaPlayer never; }
    EXPECT_TRUE(rig.fake.log.empty());
}

} // namespace
} // namespace sound
