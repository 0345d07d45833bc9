// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// A long run of random player moves and clock advances against the whole program on the headless
// runtime, with a small model of the game beside it. After every single event the model's prediction
// and the invariants that must always hold are checked. A run is reproduced by its seed:
//
//   PELINDRA_STORM_SEED=<seed> [PELINDRA_STORM_EVENTS=<count>] screens_tests --gtest_filter='EventStorm.*'

#include "rules/game_state.h"
#include "rules/names.h"
#include "runtime/conversions.h"
#include "runtime/headless/headless_runtime.h"
#include "runtime/profile_text.h"
#include "screens/program.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

namespace pelindra {
namespace {

using headless::HeadlessRuntime;
using namespace names;
using namespace names::game;

constexpr std::string_view kDataFile = "/opt/pelindra/data.dat";
constexpr std::string_view kAboutCredits = "透明标签1";
constexpr std::string_view kAboutTimer = "时钟1";
constexpr std::array<std::string_view, 4> kWindows = {kMenuWindow, kGameWindow, kRecordWindow, kAboutWindow};

std::uint64_t numberFromEnvironment(const char* name, std::uint64_t fallback)
{
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 0) : fallback;
}

// What the game state must be once an event has been handled.
struct Prediction
{
    std::int32_t score = 0;
    std::int32_t elapsed = 0;
    bool running = false;
    bool gameOver = false; // a game-over path ran, and with it the record check
    std::int32_t finalScore = 0;
    std::int32_t finalElapsed = 0;
    bool exits = false;
};

struct BestRecord
{
    std::string score;
    std::string time;
};

struct Tally
{
    long events = 0;
    long modalEvents = 0;
    long acceptedClicks = 0;
    long refusedClicks = 0;
    long advances = 0;
    long runs = 0;
    long games = 0;
    long records = 0;
    long aboutOpenings = 0;
    long tamperedFiles = 0;
    std::int32_t bestScoreSeen = 0;
};

class EventStorm : public ::testing::Test
{
protected:
    EventStorm()
        : seed_(numberFromEnvironment("PELINDRA_STORM_SEED", std::random_device{}())),
          target_(static_cast<long>(numberFromEnvironment("PELINDRA_STORM_EVENTS", 200000))), rng_(seed_)
    {}

    void run()
    {
        std::printf("event storm: seed %llu, %ld events (reproduce with PELINDRA_STORM_SEED=%llu)\n",
                    static_cast<unsigned long long>(seed_), target_, static_cast<unsigned long long>(seed_));
        const auto began = std::chrono::steady_clock::now();
        tamper();
        startRun();
        while (tally_.events < target_ && !::testing::Test::HasFailure()) {
            mainEvent();
            if (rt_->exitCode()) {
                files_ = rt_->store.files;
                if (chance(0.6))
                    tamper();
                startRun();
            }
        }
        const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - began).count();
        std::printf("event storm: %ld events (%ld inside modal windows) in %.2f s: %ld clicks taken, %ld "
                    "refused, %ld advances, %ld program runs, %ld games, %ld records (best score %d), %ld "
                    "about windows, %ld data files tampered with\n",
                    tally_.events, tally_.modalEvents, seconds, tally_.acceptedClicks, tally_.refusedClicks,
                    tally_.advances, tally_.runs, tally_.games, tally_.records, tally_.bestScoreSeen,
                    tally_.aboutOpenings, tally_.tamperedFiles);
        // A storm that never reached the parts of the game worth storming proves nothing.
        if (target_ >= 100000 && !::testing::Test::HasFailure()) {
            EXPECT_GT(tally_.records, 20);
            EXPECT_GT(tally_.aboutOpenings, 20);
            EXPECT_GT(tally_.runs, 5);
        }
    }

private:
    bool chance(double p) { return std::bernoulli_distribution(p)(rng_); }
    std::int64_t between(std::int64_t low, std::int64_t high)
    {
        return std::uniform_int_distribution<std::int64_t>(low, high)(rng_);
    }
    template <typename Container> const auto& pick(const Container& items)
    {
        return items[static_cast<std::size_t>(between(0, static_cast<std::int64_t>(items.size()) - 1))];
    }

    // --- Between runs: the data file is all that lasts, and a player may have edited it meanwhile.

    void tamper()
    {
        ++tally_.tamperedFiles;
        const auto n = [this] { return std::to_string(between(0, 40)); };
        const auto t = [this] { return std::to_string(between(0, 15)); };
        std::optional<std::string> contents;
        switch (between(0, 10)) {
        case 0:
            break; // missing: a first run
        case 1:
            contents = "[Mybest]\r\nScore=" + n() + "\r\nTime=" + t() + "\r\n";
            break;
        case 2:
            contents = "[Mybest]\r\nScore=" + n() + "\r\n";
            break;
        case 3:
            contents = "[Mybest]\nTime=" + t() + "\n";
            break;
        case 4:
            contents = "; \xD7\xEE\xBC\xD1\xBC\xC7\xC2\xBC\n[\xC9\xE8\xD6\xC3]\n\xC3\xFB=\xD5\xC5\n\n"
                       "[Mybest]\n  Score =  " +
                       n() + " \n# note\nTime=" + t() + "\n[Tail]\nX=\xFF\xFE";
            break;
        case 5:
            contents = "[Mybest]\r\nScore=-" + n() + "\r\nTime=" + t() + "\r\n";
            break;
        case 6:
            contents = "[Mybest]\r\nScore=" + std::string(pick(std::array{"abc", "7x", " 12 ", "", "+3"})) +
                       "\r\nTime=zz\r\n";
            break;
        case 7:
            contents = "[Mybest]\r\nScore=99999999999999999999\r\nTime=1\r\n";
            break;
        case 8:
            contents =
                "\xEF\xBB\xBF[MYBEST]\rscore=" + n() + "\rSCORE=99\rtime=" + t() + "\r[Mybest]\rScore=98\r";
            break;
        case 9:
            contents = "[Other]\r\nScore=30\r\n";
            break;
        default:
            contents = "[Mybest]\r\nScore=" + std::string(300, '1') + "\r\nTime=" + t() + "\r\n";
            break;
        }
        if (contents)
            files_[std::string(kDataFile)] = *contents;
        else
            files_.erase(std::string(kDataFile));
        tampered_ = true;
    }

    void startRun()
    {
        rt_ = std::make_unique<HeadlessRuntime>();
        state_ = std::make_unique<GameState>();
        rt_->store.files = files_;
        rt_->setRandomFallback([this](std::int32_t low, std::int32_t high) {
            return static_cast<std::int32_t>(between(low, high));
        });
        rt_->setModalDriver([this](std::string_view window) { driveModal(window); });
        const auto it = files_.find(kDataFile);
        if (tampered_) {
            // A first run creates the file with both items 0; otherwise whatever the file holds counts.
            best_ = it == files_.end() ? BestRecord{"0", "0"}
                                       : BestRecord{profile::read(it->second, "Mybest", "Score").value_or(""),
                                                    profile::read(it->second, "Mybest", "Time").value_or("")};
            tampered_ = false;
        }
        startProgram(*rt_, *state_);
        rt_->clearCalls();
        ++tally_.runs;
        SCOPED_TRACE("start-up of run " + std::to_string(tally_.runs));
        EXPECT_EQ(state_->recordFile, kDataFile);
        EXPECT_TRUE(rt_->isShown(kMenuWindow));
        checkInvariants();
    }

    // --- The events.

    bool clickable(std::string_view window, std::string_view control) const
    {
        const auto& modals = rt_->modalStack();
        return !rt_->exitCode() && (modals.empty() || modals.back() == window) &&
               rt_->isShown(window, control);
    }

    std::string_view randomControl(std::string_view window)
    {
        const auto& controls = rt_->layoutOf(window)->controls;
        const auto i = between(0, static_cast<std::int64_t>(controls.size()));
        return i == static_cast<std::int64_t>(controls.size()) ? kWindowItself
                                                               : controls[static_cast<std::size_t>(i)].name;
    }

    std::string_view randomWindow()
    {
        const auto roll = between(0, 9);
        return roll < 5 ? kGameWindow : roll < 8 ? kMenuWindow : roll < 9 ? kRecordWindow : kAboutWindow;
    }

    // A move that plays the game as a good player would: the box with the target, or the claim when no
    // box holds it; and the way into a game from wherever the player stands.
    std::pair<std::string_view, std::string_view> goodMove() const
    {
        if (rt_->isShown(kMenuWindow))
            return {kMenuWindow, "超级链接框1"};
        if (!state_->gameRunning)
            return {kGameWindow, kStartLink};
        for (const auto box : kBoxes)
            if (rt_->peekText(kGameWindow, box, Property::Caption) == state_->targetDigit)
                return {kGameWindow, box};
        return {kGameWindow, kNoDigitLink};
    }

    std::int64_t randomAdvance()
    {
        const auto roll = between(0, 99);
        if (roll < 60)
            return between(0, 200);
        if (roll < 92)
            return between(200, 2000);
        return between(2000, 40000);
    }

    void mainEvent()
    {
        const auto roll = between(0, 9999);
        if (roll < 8) {
            closeByUser(chance(0.5) ? kMenuWindow : kGameWindow);
        } else if (roll < 100) {
            closeByUser(chance(0.5) ? kRecordWindow : kAboutWindow);
        } else if (roll < 3600) {
            advance(randomAdvance());
        } else if (chance(skill_)) {
            const auto [window, control] = goodMove();
            click(window, control);
        } else {
            const auto window = randomWindow();
            click(window, randomControl(window));
        }
    }

    // Inside a modal window, which has to be closed by one of these events before the program goes on.
    void driveModal(std::string_view window)
    {
        const auto openedAt = rt_->now();
        const bool record = window == kRecordWindow;
        if (record) {
            ++tally_.records;
            ++recordOpenings_;
            SCOPED_TRACE("the record window has just opened");
            EXPECT_EQ(rt_->peekText(kRecordWindow, record::kScoreLabel, Property::Caption),
                      toText(state_->score));
            EXPECT_EQ(rt_->peekText(kRecordWindow, record::kTimeLabel, Property::Caption),
                      toText(state_->elapsedSeconds) + "秒");
            EXPECT_EQ(storedRecord().score, best_.score) << "the record is saved only once its window closed";
            pendingBest_ = BestRecord{toText(state_->score), toText(state_->elapsedSeconds)};
            tally_.bestScoreSeen = std::max(tally_.bestScoreSeen, state_->score);
        } else {
            ++tally_.aboutOpenings;
        }
        for (int moves = 0; rt_->isOpen(window) && !::testing::Test::HasFailure(); ++moves) {
            ++tally_.modalEvents;
            const auto roll = between(0, 99);
            if (moves >= 200)
                closeByUser(window);
            else if (roll < 45)
                click(window, randomControl(window));
            else if (roll < 55) {
                const auto other = pick(kWindows);
                click(other, randomControl(other));
            } else if (roll < 85)
                advance(randomAdvance() / 4);
            else if (roll < 93)
                closeByUser(window);
            else
                closeByUser(pick(kWindows));
            if (!record && rt_->isOpen(kAboutWindow)) {
                // The credits rise 10 px every 300 ms, 23 times, and then the timer stops.
                const auto ticks = (rt_->now() - openedAt) / 300;
                SCOPED_TRACE("about window, " + std::to_string(ticks) + " ticks after opening");
                EXPECT_EQ(rt_->peekInteger(kAboutWindow, kAboutCredits, Property::Top),
                          112 - 10 * std::min<std::int64_t>(ticks, 23));
                EXPECT_EQ(rt_->peekInteger(kAboutWindow, kAboutTimer, Property::Interval) > 0, ticks < 24);
            }
        }
    }

    Prediction unchanged() const
    {
        return Prediction{
            .score = state_->score, .elapsed = state_->elapsedSeconds, .running = state_->gameRunning};
    }

    Prediction gameOver(std::int32_t score, std::int32_t elapsed) const
    {
        return Prediction{.score = score,
                          .elapsed = elapsed,
                          .gameOver = true,
                          .finalScore = score,
                          .finalElapsed = elapsed};
    }

    Prediction predictClick(std::string_view window, std::string_view control) const
    {
        auto next = unchanged();
        if (!clickable(window, control) || window != kGameWindow)
            return next;
        const auto& s = *state_;
        if (control == kStartLink)
            return Prediction{.running = true};
        if (control == kBackLink)
            return gameOver(0, 0);
        if (!s.gameRunning)
            return next;
        if (std::find(kBoxes.begin(), kBoxes.end(), control) != kBoxes.end()) {
            if (rt_->peekText(kGameWindow, control, Property::Caption) == s.targetDigit)
                ++next.score;
            else
                next = gameOver(s.score, s.elapsedSeconds);
        } else if (control == kNoDigitLink) {
            if (s.score < 0)
                return gameOver(s.score, s.elapsedSeconds);
            const bool onBoard = std::any_of(kBoxes.begin(), kBoxes.end(), [&](std::string_view box) {
                return rt_->peekText(kGameWindow, box, Property::Caption) == s.targetDigit;
            });
            next.score += onBoard ? -1 : 1;
        }
        return next;
    }

    Prediction predictAdvance(std::int64_t milliseconds) const
    {
        if (!state_->gameRunning)
            return unchanged();
        const auto end = rt_->now() + milliseconds;
        if (end - startedAt_ >= 15000)
            return gameOver(state_->score, 15);
        auto next = unchanged();
        next.elapsed = static_cast<std::int32_t>((end - startedAt_) / 1000);
        return next;
    }

    void click(std::string_view window, std::string_view control)
    {
        const auto prediction = predictClick(window, control);
        const bool expectTaken = clickable(window, control);
        const bool starts = expectTaken && window == kGameWindow && control == kStartLink;
        if (starts) {
            startedAt_ = rt_->now();
            skill_ = pick(std::array{0.05, 0.3, 0.6, 0.95});
            ++tally_.games;
        }
        const auto what = "click on " + std::string(window) + "." + std::string(control);
        happen(what, prediction, [&] {
            // A click that the player could not make is refused; one they could is taken, handler or not.
            const bool ran = rt_->click(window, control);
            EXPECT_TRUE(ran || !expectTaken || !hasClickHandler(window, control)) << what;
            EXPECT_FALSE(ran && !expectTaken) << what << " was taken although it could not be made";
            ++(expectTaken ? tally_.acceptedClicks : tally_.refusedClicks);
        });
    }

    bool hasClickHandler(std::string_view window, std::string_view control) const
    {
        if (window == kGameWindow)
            return control == kStartLink || control == kBackLink || control == kNoDigitLink ||
                   std::find(kBoxes.begin(), kBoxes.end(), control) != kBoxes.end();
        if (window == kMenuWindow)
            return control == "超级链接框1" || control == "超级链接框2" || control == "超级链接框3" ||
                   control == "超级链接框4";
        return control == (window == kRecordWindow ? record::kBackButton : std::string_view("超级链接框1"));
    }

    void advance(std::int64_t milliseconds)
    {
        ++tally_.advances;
        happen("advance by " + std::to_string(milliseconds) + " ms", predictAdvance(milliseconds),
               [&] { rt_->advance(milliseconds); });
    }

    void closeByUser(std::string_view window)
    {
        auto prediction = unchanged();
        const bool taken = clickable(window, kWindowItself);
        prediction.exits = taken && (window == kMenuWindow || window == kGameWindow);
        const auto what = "closing " + std::string(window);
        happen(what, prediction, [&] { EXPECT_EQ(rt_->closeByUser(window), taken) << what; });
    }

    // Runs one event and checks what it left behind.
    template <typename Action>
    void happen(const std::string& what, const Prediction& prediction, Action action)
    {
        ++tally_.events;
        const auto event = tally_.events;
        const auto openingsBefore = recordOpenings_;
        const bool recordDue = prediction.gameOver && prediction.finalScore > toInteger(best_.score);
        action();
        // Only now: while the record window is open the file still holds the old record.
        if (pendingBest_ && !rt_->isOpen(kRecordWindow)) {
            best_ = *pendingBest_;
            pendingBest_.reset();
        }
        SCOPED_TRACE("event " + std::to_string(event) + ": " + what + " (seed " + std::to_string(seed_) +
                     ")");
        if (prediction.exits) {
            EXPECT_EQ(rt_->exitCode(), 0);
            return;
        }
        ASSERT_FALSE(rt_->exitCode()) << "the program ended";
        const auto& s = *state_;
        EXPECT_EQ(s.score, prediction.score);
        EXPECT_EQ(s.gameRunning, prediction.running);
        if (prediction.running || prediction.gameOver) {
            EXPECT_EQ(s.elapsedSeconds, prediction.elapsed);
        }
        EXPECT_EQ(recordOpenings_ - openingsBefore, recordDue ? 1 : 0) << "record window openings";
        checkInvariants();
        rt_->clearCalls();
    }

    BestRecord storedRecord() const
    {
        const auto it = rt_->store.files.find(state_->recordFile);
        if (it == rt_->store.files.end())
            return {"<no file>", "<no file>"};
        return {profile::read(it->second, "Mybest", "Score").value_or(""),
                profile::read(it->second, "Mybest", "Time").value_or("")};
    }

    void checkInvariants() const
    {
        const auto& s = *state_;
        const auto& rt = *rt_;
        EXPECT_EQ(rt.peekText(kGameWindow, kScoreLabel, Property::Caption), toText(s.score));
        EXPECT_GE(s.elapsedSeconds, 0);
        EXPECT_LE(s.elapsedSeconds, 15);
        EXPECT_EQ(rt.peekInteger(kGameWindow, kClockTimer, Property::Interval) > 0, s.gameRunning);
        EXPECT_EQ(rt.peekInteger(kGameWindow, kIdleTimer, Property::Interval), 0);
        EXPECT_EQ(rt.peekInteger(kGameWindow, kStartLink, Property::Visible) != 0, !s.gameRunning);
        EXPECT_EQ(rt.peekInteger(kGameWindow, kHitMark, Property::Visible),
                  rt.peekInteger(kGameWindow, kHitTimer, Property::Interval) > 0 ? 1 : 0);
        EXPECT_EQ(rt.peekInteger(kGameWindow, kHint, Property::Visible),
                  rt.peekInteger(kGameWindow, kHintTimer, Property::Interval) > 0 ? 1 : 0);
        const int shown = rt.isShown(kMenuWindow) + rt.isShown(kGameWindow) + rt.isShown(kRecordWindow);
        EXPECT_EQ(shown, 1) << "menu " << rt.isShown(kMenuWindow) << ", game " << rt.isShown(kGameWindow)
                            << ", record " << rt.isShown(kRecordWindow);
        if (rt.isOpen(kAboutWindow)) {
            EXPECT_EQ(rt.modalStack().back(), kAboutWindow);
            EXPECT_TRUE(rt.isShown(kMenuWindow)) << "the about window stands over the menu";
        }
        const auto isDigit = [](const std::string& text) {
            return text.size() == 1 && text[0] >= '0' && text[0] <= '9';
        };
        if (s.gameRunning) {
            EXPECT_TRUE(isDigit(s.targetDigit)) << '"' << s.targetDigit << '"';
            EXPECT_EQ(rt.peekText(kGameWindow, kPromptLabel, Property::Caption), s.targetDigit);
        } else {
            EXPECT_EQ(s.targetDigit, "");
        }
        for (const auto box : kBoxes) {
            const auto caption = rt.peekText(kGameWindow, box, Property::Caption);
            EXPECT_TRUE(s.gameRunning ? isDigit(caption) : caption.empty()) << box << " \"" << caption << '"';
        }
        // The record is saved as soon as the record window's modal load has returned, before any other
        // event: until then the file still holds the previous one.
        const auto& modals = rt.modalStack();
        if (std::find(modals.begin(), modals.end(), kRecordWindow) == modals.end()) {
            const auto stored = storedRecord();
            EXPECT_EQ(stored.score, s.bestScore) << "stored Score";
            EXPECT_EQ(stored.time, s.bestTime) << "stored Time";
            EXPECT_EQ(s.bestScore, best_.score) << "best score of the model";
            EXPECT_EQ(s.bestTime, best_.time) << "best time of the model";
        }
    }

    const std::uint64_t seed_;
    const long target_;
    std::mt19937_64 rng_;
    std::map<std::string, std::string, std::less<>> files_;
    bool tampered_ = false;
    std::unique_ptr<HeadlessRuntime> rt_;
    std::unique_ptr<GameState> state_;
    BestRecord best_;
    std::optional<BestRecord> pendingBest_; // announced in the record window, saved once it closes
    std::int64_t startedAt_ = 0;
    double skill_ = 0.5;
    long recordOpenings_ = 0;
    Tally tally_;
};

TEST_F(EventStorm, KeepsEveryInvariantThroughLongRandomSessions)
{
    run();
}

} // namespace
} // namespace pelindra
