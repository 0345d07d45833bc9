// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "best_record.h"

#include "game_state.h"
#include "names.h"
#include "runtime/runtime.h"

namespace pelindra {

using namespace names;
using namespace names::game;
using namespace datafile;

namespace {

void setText(Runtime& rt, std::string_view control, std::string text)
{
    rt.SetProperty(kGameWindow, control, Property::Caption, std::move(text));
}

const std::string& recordFile(Runtime& rt, GameState& state)
{
    if (state.recordFile.empty())
        state.recordFile = chooseRecordFile(rt);
    return state.recordFile;
}

} // namespace

std::string chooseRecordFile(Runtime& rt)
{
    const std::string name = std::string("/") + kFileName;
    const auto beside = rt.GetProgramDirectory() + name;
    if (rt.CanWriteFile(beside))
        return beside;
    const auto own = rt.GetUserDataDirectory() + name;
    // A record kept beside the program before its directory became read-only moves along once.
    if (!rt.FileExists(own) && rt.FileExists(beside)) {
        const auto time = rt.ReadConfigItem(beside, kSection, kTimeItem);
        const auto score = rt.ReadConfigItem(beside, kSection, kScoreItem);
        if (!time.empty() || !score.empty()) {
            rt.WriteConfigItem(own, kSection, kTimeItem, time);
            rt.WriteConfigItem(own, kSection, kScoreItem, score);
        }
    }
    return own;
}

void loadBestRecord(Runtime& rt, GameState& state)
{
    const auto& path = recordFile(rt, state);
    if (rt.FileExists(path)) {
        state.bestTime = rt.ReadConfigItem(path, kSection, kTimeItem);
        state.bestScore = rt.ReadConfigItem(path, kSection, kScoreItem);
        return;
    }
    rt.WriteConfigItem(path, kSection, kTimeItem, "0");
    rt.WriteConfigItem(path, kSection, kScoreItem, "0");
    state.bestTime = "0";
    state.bestScore = "0";
}

void showBestRecord(Runtime& rt, const GameState& state)
{
    setText(rt, kBestScoreLabel, state.bestScore.empty() ? std::string("0") : state.bestScore);
    setText(rt, kBestTimeLabel, state.bestTime.empty() ? std::string("0秒") : state.bestTime + "秒");
}

void checkNewRecord(Runtime& rt, GameState& state)
{
    if (state.score <= rt.ToInteger(state.bestScore))
        return;
    state.bestScore = rt.ToText(state.score);
    state.bestTime = rt.ToText(state.elapsedSeconds);
    rt.LoadWindow(kRecordWindow, true);
    saveBestRecord(rt, state);
}

void saveBestRecord(Runtime& rt, GameState& state)
{
    const auto& path = recordFile(rt, state);
    rt.WriteConfigItem(path, kSection, kScoreItem, rt.ToText(state.score));
    rt.WriteConfigItem(path, kSection, kTimeItem, rt.ToText(state.elapsedSeconds));
    state.bestScore = rt.ToText(state.score);
    setText(rt, kBestScoreLabel, state.bestScore);
    state.bestTime = rt.ToText(state.elapsedSeconds);
    setText(rt, kBestTimeLabel, state.bestTime + "秒");
}

} // namespace pelindra
