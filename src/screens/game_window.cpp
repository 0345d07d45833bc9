// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "game_window.h"

#include "rules/best_record.h"
#include "rules/clock.h"
#include "rules/game_state.h"
#include "rules/judging.h"
#include "rules/names.h"
#include "styles.h"

#include <array>

namespace pelindra {
namespace {

using layout::Control;
using layout::ControlType;
using namespace styles;

constexpr Font kDigitFont{.face = "", .pixels = 53};
constexpr Font kPromptFont{.face = "", .pixels = 29};
constexpr Font kHitFont{.face = "华文琥珀", .pixels = 35, .italic = true};

constexpr Control label(std::string_view name, layout::Rect at, std::string_view text)
{
    return textLabel(name, at, text, kWhite, kInfoFont);
}

constexpr Control prompt(std::string_view name, layout::Rect at, std::string_view text)
{
    return textLabel(name, at, text, kMagenta, kPromptFont);
}

// No font of its own: the window's.
constexpr Control alert(std::string_view name, layout::Rect at, std::string_view text)
{
    return textLabel(name, at, text, kRed, std::nullopt, false);
}

// The digit to press: a screen reader says each new one.
constexpr Control live(Control control)
{
    control.live = true;
    return control;
}

constexpr Control inBanner(Control control)
{
    control.parent = "图片框1";
    return control;
}

constexpr Control link(std::string_view name, layout::Rect at, std::string_view text)
{
    return Control{.name = name, .type = ControlType::LinkBox, .geometry = at, .text = text};
}

constexpr Control timer(std::string_view name, std::string_view parent = "")
{
    return Control{.name = name, .type = ControlType::Timer, .parent = parent};
}

constexpr Control cell(std::string_view name, int left, int top)
{
    return Control{.name = name, .type = ControlType::GroupBox, .geometry = {left, top, 56, 56}};
}

constexpr Control digit(std::string_view name, std::string_view cellName)
{
    return Control{.name = name,
                   .type = ControlType::TransparentLabel,
                   .parent = cellName,
                   .geometry = {14, 10, 32, 40},
                   .colour = kWhite,
                   .font = kDigitFont,
                   .handCursor = true};
}

constexpr std::array kControls{
    timer("hit", "图片框1"),
    textLabel("透明标签22", {334, 202, 72, 64}, "中！", kRed, kHitFont, false),
    link("超级链接框3", {312, 344, 96, 24}, "没有这个数字"),
    link("超级链接框1", {288, 144, 96, 24}, "立刻开始！Go"),
    label("透明标签20", {38, 187, 64, 32}, "最佳得分："),
    label("透明标签21", {104, 187, 112, 32}, "0"),
    label("透明标签18", {38, 147, 57, 32}, "最佳时间："),
    label("透明标签19", {104, 148, 128, 32}, "0秒"),
    alert("透明标签17", {184, 368, 200, 24}, "游戏结束"),
    timer("label"),
    alert("透明标签16", {128, 368, 200, 24}, "这个数字就在框框里面！！别放弃哦"),
    timer("game", "图片框1"),
    live(prompt("透明标签15", {256, 394, 120, 32}, "0 ")),
    prompt("透明标签14", {128, 392, 120, 32}, "请按下： "),
    timer("time", "图片框1"),
    label("透明标签13", {104, 168, 112, 32}, "0"),
    label("透明标签12", {64, 168, 40, 32}, "得分："),
    // The grid: columns at 136, 192, 248 and rows at 200, 256, 312. The middle row runs 5, 6, 4.
    digit("透明标签3", "分组框1"),
    cell("分组框1", 136, 200),
    digit("透明标签4", "分组框2"),
    cell("分组框2", 192, 200),
    digit("透明标签5", "分组框3"),
    cell("分组框3", 248, 200),
    digit("透明标签6", "分组框4"),
    cell("分组框4", 248, 256),
    digit("透明标签7", "分组框5"),
    cell("分组框5", 136, 256),
    digit("透明标签8", "分组框6"),
    cell("分组框6", 192, 256),
    digit("透明标签9", "分组框7"),
    cell("分组框7", 136, 312),
    digit("透明标签10", "分组框8"),
    cell("分组框8", 192, 312),
    digit("透明标签11", "分组框9"),
    cell("分组框9", 248, 312),
    Control{
        .name = "超级链接框2", .type = ControlType::LinkText, .geometry = {408, 0, 64, 24}, .text = "返回"},
    inBanner(label("透明标签2", {104, 129, 128, 32}, "0秒")),
    inBanner(label("透明标签1", {64, 128, 40, 32}, "时间：")),
    Control{
        .name = "图片框1", .type = ControlType::PictureBox, .geometry = {0, 0, 456, 176}, .picture = kBanner},
};

constexpr layout::Window kLayout{
    .name = names::kGameWindow,
    .caption = "Pelindra",
    .width = 463,
    .height = 460,
    .visible = false,
    .controls = kControls,
    .firstAction = names::game::kStartLink,
};

} // namespace

const layout::Window& gameLayout()
{
    return kLayout;
}

WindowDefinition gameWindow(Runtime& rt, GameState& state)
{
    using namespace names::game;
    WindowDefinition definition{
        .layout = &kLayout,
        .bindings =
            {
                {names::kWindowItself, Event::Created, [&rt, &state] { showBestRecord(rt, state); }},
                {names::kWindowItself, Event::Closed, [&rt] { rt.ExitProgram(0); }},
                {kStartLink, Event::Clicked, [&rt, &state] { startGame(rt, state); }},
                {kNoDigitLink, Event::Clicked, [&rt, &state] { judgeNoDigitClaim(rt, state); }},
                {kBackLink, Event::Clicked, [&rt, &state] { returnToMenu(rt, state); }},
                {kHitTimer, Event::Tick, [&rt] { hideHitMark(rt); }},
                {kHintTimer, Event::Tick, [&rt] { hideHint(rt); }},
                {kClockTimer, Event::Tick, [&rt, &state] { clockTick(rt, state); }},
            },
    };
    for (const auto box : kBoxes)
        definition.bindings.push_back(
            {box, Event::Clicked, [&rt, &state, box] { judgeBoxClick(rt, state, box); }});
    return definition;
}

} // namespace pelindra
