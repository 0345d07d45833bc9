// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "conversions.h"
#include "random_source.h"
#include "window_model.h"

namespace pelindra {

// The part of a real runtime that is the same on every platform: the window model, decimal conversions
// and random numbers from the system's entropy. The test runtime scripts its numbers instead.
class StandardRuntime : public ModelRuntime
{
public:
    using ModelRuntime::ModelRuntime;
    std::string ToText(std::int32_t number) override { return toText(number); }
    std::int32_t ToInteger(std::string_view text) override { return toInteger(text); }
    void SeedRandom() override { random_.reseed(); }
    std::int32_t RandomInt(std::int32_t min, std::int32_t max) override { return random_.between(min, max); }

private:
    RandomSource random_;
};

} // namespace pelindra
