// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "random_source.h"

#include <utility>

namespace pelindra {

RandomSource::RandomSource()
#ifdef _WIN32
    // MinGW's standard library would rather ask the processor (RDRAND), which some firmware leaves
    // answering one value for ever; the system's own generator behind rand_s has no such fault.
    : entropy_("rand_s")
#endif
{
    reseed();
}

void RandomSource::reseed()
{
    const std::uint64_t high = entropy_();
    const std::uint64_t low = entropy_();
    engine_.seed((high << 32) ^ low);
}

std::int32_t RandomSource::between(std::int32_t min, std::int32_t max)
{
    if (min > max)
        std::swap(min, max);
    return std::uniform_int_distribution<std::int32_t>(min, max)(engine_);
}

} // namespace pelindra
