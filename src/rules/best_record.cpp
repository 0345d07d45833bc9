// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "best_record.h"

#include "display.h"
#include "game_state.h"
#include "names.h"

#include <chrono>
#include <optional>
#include <utility>
#include <vector>

namespace pelindra {

using namespace names;
using namespace names::game;
using namespace datafile;
using display::setText;

namespace {

constexpr std::string_view kKeptInMemory = "it is kept only while the program runs";

// The first window waits for the start-up read; the save, with the record window gone, can wait longer.
constexpr std::chrono::milliseconds kStartupLockWait{200};

std::string fileIn(Runtime& rt, const std::string& directory)
{
    return directory.empty() ? std::string() : rt.JoinPath(directory, kFileName);
}

std::string userFile(Runtime& rt)
{
    return fileIn(rt, rt.GetUserDataDirectory());
}

const std::string& recordFile(Runtime& rt, GameState& state)
{
    if (state.recordFile.empty())
        state.recordFile = chooseRecordFile(rt);
    return state.recordFile;
}

std::string besideProgram(Runtime& rt)
{
    return fileIn(rt, rt.GetProgramDirectory());
}

// A record that an earlier run could keep only in the other place still counts.
void adoptHigherRecord(Runtime& rt, GameState& state, const std::string& other)
{
    if (other.empty() || other == state.recordFile)
        return;
    const auto found = rt.ReadConfigFile(other).snapshot;
    const auto score = found.item(kSection, kScoreItem);
    if (score.empty() || rt.ToInteger(score) <= rt.ToInteger(state.bestScore))
        return;
    state.bestScore = score;
    state.bestTime = found.item(kSection, kTimeItem);
}

// What the file holds when the locked read could not be had, and a line that says so.
ConfigSnapshot readWithoutLock(Runtime& rt, const std::string& path, const std::string& why)
{
    auto plain = rt.ReadConfigFile(path);
    if (!plain.ok) {
        rt.ReportProblem("pelindra: could not read the best record from " + path + ": " + plain.reason);
        return {};
    }
    rt.ReportProblem("pelindra: could not read the best record from " + path + " under its lock: " + why +
                     "; read it without the lock instead");
    return std::move(plain.snapshot);
}

} // namespace

std::string chooseRecordFile(Runtime& rt)
{
    const auto beside = besideProgram(rt);
    const auto own = userFile(rt);
    if (beside.empty())
        return own;
    const auto check = rt.CheckConfigFile(beside);
    switch (check.verdict) {
    case FileCheck::Verdict::Usable:
        return beside;
    case FileCheck::Verdict::Unwritable:
        // With nowhere else to go it is tried all the same; a save that fails there says so.
        if (own.empty())
            return beside;
        if (rt.Store().tellOfReadOnlyProgramDirectory)
            rt.ReportProblem("pelindra: cannot keep the record in " + beside + ": " + check.reason +
                             "; keeping it in " + own + " instead");
        return own;
    case FileCheck::Verdict::Refused:
        rt.ReportProblem(
            "pelindra: not using " + beside + ": " + check.reason + "; " +
            (own.empty() ? std::string(kKeptInMemory) : "keeping the record in " + own + " instead"));
        return own;
    }
    return own;
}

void loadBestRecord(Runtime& rt, GameState& state)
{
    const auto path = recordFile(rt, state);
    ConfigSnapshot found;
    if (!path.empty()) {
        // Read and, on a first run, created in one step, so that a copy starting at the same moment
        // cannot slip its own file in between. A first file that cannot be made is no loss: the save
        // makes it, or says why it cannot.
        bool read = false;
        const auto result = rt.UpdateConfigItems(
            path,
            [&found, &read](const ConfigSnapshot& now) {
                found = now;
                read = true;
                if (now.exists)
                    return std::vector<ConfigItem>{};
                return std::vector<ConfigItem>{{kSection, kTimeItem, "0"}, {kSection, kScoreItem, "0"}};
            },
            kStartupLockWait);
        if (!read)
            found = readWithoutLock(rt, path, result.reason);
    }
    if (found.exists) {
        state.bestTime = found.item(kSection, kTimeItem);
        state.bestScore = found.item(kSection, kScoreItem);
    } else {
        // As values, not assignments from a literal: those trip a false -Wrestrict in GCC 12's Release
        // builds.
        state.bestTime = std::string(1, '0');
        state.bestScore = std::string(1, '0');
    }
    const auto beside = besideProgram(rt);
    adoptHigherRecord(rt, state, path == beside ? userFile(rt) : beside);
}

void showBestRecord(Runtime& rt, const GameState& state)
{
    setText(rt, kBestScoreLabel, state.bestScore.empty() ? std::string("0") : state.bestScore);
    setText(rt, kBestTimeLabel, state.bestTime.empty() ? std::string("0秒") : state.bestTime + "秒");
}

void checkNewRecord(Runtime& rt, GameState& state, Handler then)
{
    if (state.score <= rt.ToInteger(state.bestScore)) {
        if (then)
            then();
        return;
    }
    state.bestScore = rt.ToText(state.score);
    state.bestTime = rt.ToText(state.elapsedSeconds);
    state.recordOnScreen = true;
    rt.LoadWindow(kRecordWindow, true, [&rt, &state, then = std::move(then)] {
        saveRecordOnScreen(rt, state);
        if (then)
            then();
    });
}

void saveRecordOnScreen(Runtime& rt, GameState& state)
{
    if (!state.recordOnScreen)
        return;
    state.recordOnScreen = false;
    saveBestRecord(rt, state);
}

void saveBestRecord(Runtime& rt, GameState& state)
{
    const auto score = rt.ToText(state.score);
    const auto time = rt.ToText(state.elapsedSeconds);
    // What the file holds when it turns out to be at least as good as this game.
    std::optional<std::pair<std::string, std::string>> held;
    const UpdateDecision decide = [&](const ConfigSnapshot& now) {
        const auto stored = now.item(kSection, kScoreItem);
        if (!stored.empty() && rt.ToInteger(stored) >= state.score) {
            held.emplace(stored, now.item(kSection, kTimeItem));
            return std::vector<ConfigItem>{};
        }
        return std::vector<ConfigItem>{{kSection, kScoreItem, score}, {kSection, kTimeItem, time}};
    };

    const auto& path = recordFile(rt, state);
    auto result = path.empty() ? UpdateResult{UpdateResult::Outcome::Failed, "there is no place for it"}
                               : rt.UpdateConfigItems(path, decide);
    // Once told that the record lives only as long as the program, the player hears nothing more of
    // saves that keep failing, until one succeeds again.
    const bool told = state.recordUnsaved;
    const auto report = [&rt, told](const std::string& line) {
        if (!told)
            rt.ReportProblem(line);
    };
    if (result.outcome == UpdateResult::Outcome::Failed) {
        const auto own = userFile(rt);
        const auto failed = "pelindra: could not save the best record to " + path + ": " + result.reason;
        if (own.empty() || own == path) {
            report(failed + "; " + std::string(kKeptInMemory));
        } else {
            report(failed + "; saving it to " + own + " instead");
            state.recordFile = own;
            result = rt.UpdateConfigItems(own, decide);
            if (result.outcome == UpdateResult::Outcome::Failed)
                report("pelindra: could not save the best record to " + own + " either: " + result.reason +
                       "; " + std::string(kKeptInMemory));
        }
    }
    state.recordUnsaved = result.outcome == UpdateResult::Outcome::Failed;

    if (held) {
        state.bestScore = held->first;
        state.bestTime = held->second;
    } else {
        state.bestScore = score;
        state.bestTime = time;
    }
    setText(rt, kBestScoreLabel, state.bestScore);
    setText(rt, kBestTimeLabel, state.bestTime + "秒");
}

} // namespace pelindra
