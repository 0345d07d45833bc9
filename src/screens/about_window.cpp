// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "about_window.h"

#include "rules/names.h"
#include "styles.h"

#include <array>

namespace pelindra {
namespace {

using layout::Control;
using layout::ControlType;
using namespace styles;

constexpr std::string_view kCredits = "\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n\r\n"
                                      "*******关于信息********\r\n\r\n"
                                      "游戏作者：Pelindra Studio\r\n\r\n"
                                      "代码编译：Pelindra Studio\r\n\r\n"
                                      "赞助链接：无\r\n\r\n"
                                      "游戏原名：Pelindra\r\n\r\n"
                                      "作者QQ：无\r\n\r\n"
                                      "作者邮箱：pelindra@example.org\r\n\r\n"
                                      "*如果没有BUG等的事发现,请勿乱加好友。\r\n"
                                      "*目前正在制作联机版,想知道更多关于我们的工程请联系@E-mail\r\n";

constexpr std::string_view kCreditsLabel = "透明标签1";
constexpr std::string_view kCreditsTimer = "时钟1";

constexpr std::array kControls{
    Control{
        .name = "超级链接框1", .type = ControlType::LinkBox, .geometry = {16, 184, 96, 24}, .text = "返回"},
    Control{.name = kCreditsTimer, .type = ControlType::Timer, .interval = 300},
    Control{.name = kCreditsLabel,
            .type = ControlType::TransparentLabel,
            .geometry = {112, 112, 248, 328},
            .text = kCredits,
            .colour = kGreen,
            .wordWrap = true,
            .align = layout::Align::Centre},
    Control{.name = "图片框1",
            .type = ControlType::PictureBox,
            .geometry = {48, 32, 32, 32},
            .picture = kAboutPicture,
            .fit = layout::Fit::Natural},
};

constexpr layout::Window kLayout{
    .name = names::kAboutWindow,
    .caption = "关于",
    .width = 380,
    .height = 250,
    .visible = true,
    .controls = kControls,
    .firstAction = "超级链接框1",
};

constexpr std::int32_t kLastTop = -112;

} // namespace

const layout::Window& aboutLayout()
{
    return kLayout;
}

void scrollCredits(Runtime& rt)
{
    const auto top = [&rt] {
        return integerOf(rt.GetProperty(names::kAboutWindow, kCreditsLabel, Property::Top));
    };
    if (top() > kLastTop) {
        // The step is taken in floating point and truncated toward zero, as the credits always moved.
        const auto next = static_cast<std::int32_t>(static_cast<double>(top()) - 10.0);
        rt.SetProperty(names::kAboutWindow, kCreditsLabel, Property::Top, next);
        return;
    }
    if (top() <= kLastTop)
        rt.SetProperty(names::kAboutWindow, kCreditsTimer, Property::Interval, std::int32_t{0});
}

WindowDefinition aboutWindow(Runtime& rt)
{
    return WindowDefinition{
        .layout = &kLayout,
        .bindings =
            {
                {kCreditsTimer, Event::Tick, [&rt] { scrollCredits(rt); }},
                {"超级链接框1", Event::Clicked, [&rt] { rt.CloseWindow(names::kAboutWindow); }},
            },
    };
}

} // namespace pelindra
