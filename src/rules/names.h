// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The windows and the game window's controls that the rules address, under their layout names.

#include <array>
#include <string_view>

namespace pelindra::names {

inline constexpr std::string_view kMenuWindow = "MenuWindow";
inline constexpr std::string_view kGameWindow = "GameWindow";
inline constexpr std::string_view kRecordWindow = "RecordWindow";
inline constexpr std::string_view kAboutWindow = "AboutWindow";

// The window itself, where a control name is expected.
inline constexpr std::string_view kWindowItself = "";

namespace game {

inline constexpr std::string_view kClockLabel = "透明标签2";
inline constexpr std::string_view kScoreLabel = "透明标签13";
inline constexpr std::string_view kBestTimeLabel = "透明标签19";
inline constexpr std::string_view kBestScoreLabel = "透明标签21";
inline constexpr std::string_view kPromptLabel = "透明标签15";
inline constexpr std::string_view kHitMark = "透明标签22";
inline constexpr std::string_view kHint = "透明标签16";
inline constexpr std::string_view kGameOverNotice = "透明标签17";
inline constexpr std::string_view kStartLink = "超级链接框1";
inline constexpr std::string_view kNoDigitLink = "超级链接框3";
inline constexpr std::string_view kBackLink = "超级链接框2";
inline constexpr std::string_view kHitTimer = "hit";
inline constexpr std::string_view kHintTimer = "label";
inline constexpr std::string_view kClockTimer = "time";
inline constexpr std::string_view kIdleTimer = "game"; // never started

// Boxes 1 to 9 in reading order. The middle row's labels are not numbered in that order.
inline constexpr std::array<std::string_view, 9> kBoxes = {
    "透明标签3", "透明标签4", "透明标签5",  "透明标签7",  "透明标签8",
    "透明标签6", "透明标签9", "透明标签10", "透明标签11",
};
// The order in which a deal fills the boxes: 1, 2, 3, 4, 6, 5, 7, 8, 9.
inline constexpr std::array<std::string_view, 9> kDealOrder = {
    "透明标签3", "透明标签4", "透明标签5",  "透明标签7",  "透明标签6",
    "透明标签8", "透明标签9", "透明标签10", "透明标签11",
};
// The order in which a "no such digit" claim looks at the boxes: by the labels' numbers.
inline constexpr std::array<std::string_view, 9> kClaimOrder = {
    "透明标签3", "透明标签4", "透明标签5",  "透明标签6",  "透明标签7",
    "透明标签8", "透明标签9", "透明标签10", "透明标签11",
};

} // namespace game

namespace record {
inline constexpr std::string_view kTimeLabel = "透明标签2";
inline constexpr std::string_view kScoreLabel = "透明标签13";
inline constexpr std::string_view kBackButton = "按钮2";
} // namespace record

} // namespace pelindra::names
