// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// localStorage keeps UTF-16 text, and data.dat is bytes, whatever a desktop file may hold. The page
// stores them one character per byte, U+0000 to U+00FF, and reads them back the same way.

#include <string>
#include <string_view>

namespace pelindra::web {

std::u16string storedFormOf(std::string_view bytes);

// The bytes a stored value stands for. A value that holds a character above U+00FF cannot be in the
// form above: an older page or a hand edit put it there as text, which stands for its UTF-8, read so
// once; the next write stores it in the form above. A lone surrogate reads as U+FFFD.
std::string bytesOfStored(std::u16string_view stored);

} // namespace pelindra::web
