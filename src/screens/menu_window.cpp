// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "menu_window.h"

#include "rules/best_record.h"
#include "rules/game_state.h"
#include "rules/names.h"
#include "styles.h"

#include <array>

namespace pelindra {
namespace {

using layout::ControlType;
using namespace styles;

constexpr std::string_view kInstructions = "游戏操作非常简单但是却很考研耐心！\r\n\r\n"
                                           "点击【进入游戏】后按下开始就能启动游戏, \r\n\r\n"
                                           "显示在下面的是你需要点击的数字, "
                                           "在9个方框内如果你找到了和需要点击数字一样话就按下去！\r\n\r\n"
                                           "按对会加分,\r\n\r\n"
                                           "按错游戏就会结束。\r\n\r\n"
                                           "时间限制为15秒, 在期间只要不按错就可以一直玩下去！\r\n";

constexpr std::array kControls{
    layout::Control{.name = "超级链接框4",
                    .type = ControlType::LinkBox,
                    .parent = "分组框2",
                    .geometry = {328, 147, 96, 24},
                    .text = "我懂了！"},
    layout::Control{.name = "透明标签2",
                    .type = ControlType::TransparentLabel,
                    .parent = "分组框2",
                    .geometry = {5, 8, 416, 168},
                    .text = kInstructions,
                    .colour = kWhite,
                    .font = kInfoFont,
                    .wordWrap = true},
    layout::Control{
        .name = "分组框2", .type = ControlType::GroupBox, .geometry = {3, 0, 432, 184}, .visible = false},
    layout::Control{.name = "透明标签1",
                    .type = ControlType::TransparentLabel,
                    .parent = "图片框2",
                    .geometry = {280, 136, 128, 24},
                    .text = "Studio",
                    .colour = kWhite,
                    .font = Font{.face = "华文琥珀", .pixels = 16, .weight = 700, .italic = true}},
    layout::Control{
        .name = "图片框2", .type = ControlType::PictureBox, .geometry = {8, 0, 432, 184}, .picture = kBanner},
    layout::Control{.name = "超级链接框3",
                    .type = ControlType::LinkBox,
                    .parent = "分组框1",
                    .geometry = {248, 72, 96, 24},
                    .text = "操作说明"},
    layout::Control{.name = "超级链接框2",
                    .type = ControlType::LinkBox,
                    .geometry = {280, 304, 96, 24},
                    .text = "关于我们"},
    layout::Control{.name = "超级链接框1",
                    .type = ControlType::LinkBox,
                    .parent = "分组框1",
                    .geometry = {248, 32, 96, 24},
                    .text = "开始游戏"},
    layout::Control{.name = "图片框1",
                    .type = ControlType::PictureBox,
                    .parent = "分组框1",
                    .geometry = {24, 16, 160, 136},
                    .picture = kBlock},
    layout::Control{.name = "分组框1", .type = ControlType::GroupBox, .geometry = {32, 192, 376, 160}},
};

constexpr layout::Window kLayout{
    .name = names::kMenuWindow,
    .caption = "Pelindra  鼠游板",
    .width = 445,
    .height = 399,
    .visible = true,
    .icon = kProgramIcon,
    .controls = kControls,
    .firstAction = "超级链接框1",
};

} // namespace

const layout::Window& menuLayout()
{
    return kLayout;
}

WindowDefinition menuWindow(Runtime& rt, GameState& state)
{
    using names::kGameWindow;
    using names::kMenuWindow;
    using names::kWindowItself;
    auto setVisible = [&rt](std::string_view window, std::string_view control, bool visible) {
        rt.SetProperty(window, control, Property::Visible, std::int32_t{visible ? 1 : 0});
    };
    return WindowDefinition{
        .layout = &kLayout,
        .bindings =
            {
                {kWindowItself, Event::Created,
                 [&rt, &state] {
                     rt.LoadWindow(kGameWindow, false, {});
                     loadBestRecord(rt, state);
                 }},
                {kWindowItself, Event::Closed, [&rt] { rt.ExitProgram(0); }},
                {"超级链接框1", Event::Clicked,
                 [setVisible] {
                     setVisible(kGameWindow, kWindowItself, true);
                     setVisible(kMenuWindow, kWindowItself, false);
                 }},
                {"超级链接框3", Event::Clicked, [setVisible] { setVisible(kMenuWindow, "分组框2", true); }},
                {"超级链接框4", Event::Clicked, [setVisible] { setVisible(kMenuWindow, "分组框2", false); }},
                {"超级链接框2", Event::Clicked, [&rt] { rt.LoadWindow(names::kAboutWindow, true, {}); }},
            },
    };
}

} // namespace pelindra
