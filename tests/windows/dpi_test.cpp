// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "case_names.h"
#include "runtime/win32/dpi.h"

#include <gtest/gtest.h>
#include <string>

namespace pelindra::win32 {
namespace {

// A Windows of some version, as far as the awareness functions tell it apart. Function pointers cannot
// carry state, so the one Windows being pretended lives here.
struct Pretended
{
    bool acceptsV2 = false;
    bool acceptsPerMonitor = false;
    DPI_AWARENESS_CONTEXT current = DPI_AWARENESS_CONTEXT_UNAWARE;
};
Pretended pretended;

DpiFunctions withContexts()
{
    DpiFunctions f;
    f.setProcessDpiAwarenessContext = [](DPI_AWARENESS_CONTEXT c) -> BOOL {
        const bool accepted = c == DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2 ? pretended.acceptsV2
                              : c == DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE  ? pretended.acceptsPerMonitor
                                                                              : false;
        if (accepted)
            pretended.current = c;
        return accepted;
    };
    f.getThreadDpiAwarenessContext = []() { return pretended.current; };
    f.areDpiAwarenessContextsEqual = [](DPI_AWARENESS_CONTEXT a, DPI_AWARENESS_CONTEXT b) -> BOOL {
        return a == b;
    };
    return f;
}

DpiFunctions windows81()
{
    DpiFunctions f;
    f.setProcessDpiAwareness = [](int level) -> HRESULT { return level == 2 ? S_OK : E_INVALIDARG; };
    return f;
}

DpiFunctions vista()
{
    DpiFunctions f;
    f.setProcessDPIAware = []() -> BOOL { return TRUE; };
    return f;
}

struct Case
{
    std::string name;
    DpiFunctions functions;
    Pretended windows;
    DpiAwareness expected;
};

class EnableDpiAwareness : public testing::TestWithParam<Case>
{};

TEST_P(EnableDpiAwareness, GetsTheFinestThisWindowsHas)
{
    pretended = GetParam().windows;
    EXPECT_EQ(enableDpiAwareness(GetParam().functions), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Windows, EnableDpiAwareness,
    testing::Values(Case{"Windows10Since1703", withContexts(), {true, true}, DpiAwareness::PerMonitorV2},
                    Case{"Windows10Before1703", withContexts(), {false, true}, DpiAwareness::PerMonitor},
                    Case{"AManifestReadFirstDecides",
                         withContexts(),
                         {false, false, DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2},
                         DpiAwareness::PerMonitorV2},
                    Case{"Windows81", windows81(), {}, DpiAwareness::PerMonitor},
                    Case{"VistaAnd7", vista(), {}, DpiAwareness::System},
                    Case{"NothingToAsk", DpiFunctions{}, {}, DpiAwareness::Unaware}),
    fixtures::ByCaseName{});

} // namespace
} // namespace pelindra::win32
