// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <gtest/gtest.h>
#include <string>

namespace pelindra::fixtures {

// Names each case of a parameterised test after its own `name` member, a CamelCase word such as
// "LeadingZeros". GoogleTest's own names print the parameter's bytes, which nobody can read and which
// change from build to build where a case holds a pointer.
struct ByCaseName
{
    template <class Case> std::string operator()(const testing::TestParamInfo<Case>& info) const
    {
        return info.param.name;
    }
};

} // namespace pelindra::fixtures
