// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "record_window.h"

#include "rules/game_state.h"
#include "rules/names.h"
#include "styles.h"

#include <array>

namespace pelindra {
namespace {

using layout::Control;
using layout::ControlType;
using namespace styles;

constexpr Control info(std::string_view name, layout::Rect at, std::string_view text)
{
    return textLabel(name, at, text, kWhite, kInfoFont);
}

constexpr std::array kControls{
    Control{.name = names::record::kBackButton,
            .type = ControlType::LinkBox,
            .geometry = {232, 184, 96, 24},
            .text = "返回"},
    Control{
        .name = "超级链接框2", .type = ControlType::LinkBox, .geometry = {40, 184, 96, 24}, .text = "炫耀"},
    info("透明标签1", {128, 88, 40, 32}, "时间："),
    info(names::record::kTimeLabel, {168, 89, 128, 32}, "0秒"),
    info("透明标签12", {128, 128, 40, 32}, "得分："),
    info(names::record::kScoreLabel, {168, 128, 112, 32}, "0"),
    Control{.name = "标签1",
            .type = ControlType::Label,
            .geometry = {24, 16, 336, 48},
            .text = "新记录，恭喜你",
            .colour = kGrey,
            .font = Font{.face = "华文彩云", .pixels = 48}},
};

constexpr layout::Window kLayout{
    .name = names::kRecordWindow,
    .caption = "你破记录了！！！",
    .width = 380,
    .height = 250,
    .visible = true,
    .controls = kControls,
    .firstAction = names::record::kBackButton,
};

} // namespace

const layout::Window& recordLayout()
{
    return kLayout;
}

void showNewRecord(Runtime& rt, const GameState& state)
{
    using namespace names;
    rt.SetProperty(kRecordWindow, record::kTimeLabel, Property::Caption, state.bestTime + "秒");
    rt.SetProperty(kRecordWindow, record::kScoreLabel, Property::Caption, state.bestScore);
    rt.SetProperty(kGameWindow, kWindowItself, Property::Visible, std::int32_t{0});
}

void leaveRecordWindow(Runtime& rt)
{
    rt.SetProperty(names::kGameWindow, names::kWindowItself, Property::Visible, std::int32_t{1});
    rt.CloseWindow(names::kRecordWindow);
}

WindowDefinition recordWindow(Runtime& rt, GameState& state)
{
    return WindowDefinition{
        .layout = &kLayout,
        .bindings =
            {
                {names::kWindowItself, Event::Created, [&rt, &state] { showNewRecord(rt, state); }},
                {names::record::kBackButton, Event::Clicked, [&rt] { leaveRecordWindow(rt); }},
                // The caption bar's close button, and Escape, must not strand the player without a window.
                {names::kWindowItself, Event::Closed, [&rt] { leaveRecordWindow(rt); }},
            },
    };
}

} // namespace pelindra
