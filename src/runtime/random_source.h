// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <random>

namespace pelindra {

// The game reseeds before every single draw, ten times within microseconds, so every seed has to come
// from the operating system's entropy rather than from a clock.
class RandomSource
{
public:
    RandomSource();

    void reseed();
    // Both bounds included; reversed bounds are taken in the right order.
    std::int32_t between(std::int32_t min, std::int32_t max);

private:
    std::random_device entropy_;
    std::mt19937_64 engine_;
};

} // namespace pelindra
