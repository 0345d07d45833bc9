// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A runtime without windows, for tests: the window model every runtime has, with no surface. It runs
// timers on a virtual clock that the test advances, draws scripted random numbers, keeps settings files
// in a memory store and writes down every call it receives, in order.
//
// Like a real event loop, it runs what has to wait (the code after a modal window, the player's answer
// to one) only once the handler that is running has returned: every move of a test (a click, a close, a
// stretch of time) comes back once all of that has run.
//
// Unlike the real runtimes its model is strict: a name that no layout has, or a property that a control does
// not have, throws std::logic_error, so that a misspelt control fails a test instead of going unnoticed.

#include "memory_store.h"
#include "runtime/layout.h"
#include "runtime/window_model.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace pelindra::headless {

class HeadlessRuntime final : private WindowSurface, public ModelRuntime
{
public:
    HeadlessRuntime();
    ~HeadlessRuntime() override;

    // --- The runtime.
    void DefineWindow(WindowDefinition definition) override;
    void OpenStartWindow(std::string_view window) override;
    void RunMessageLoop() override;
    void RegisterCleanup(std::function<void()> routine) override;
    void ExitProgram(int code) override;
    void LoadWindow(std::string_view window, bool modal, Handler afterClose) override;
    void CloseWindow(std::string_view window) override;
    void SetProperty(std::string_view window, std::string_view control, Property property,
                     const PropertyValue& value) override;
    PropertyValue GetProperty(std::string_view window, std::string_view control, Property property) override;
    SettingsStore& Store() override { return store; }
    void ReportProblem(std::string_view line) override;
    std::string ToText(std::int32_t number) override;
    std::int32_t ToInteger(std::string_view text) override;
    void SeedRandom() override;
    std::int32_t RandomInt(std::int32_t min, std::int32_t max) override;

    // --- What a test does as the player and as the world.

    // A click as the player makes it: only on a shown control of a shown window that no modal window
    // blocks. True when a handler ran.
    bool click(std::string_view window, std::string_view control);
    // The close button of the window's caption bar. True when the window took the request.
    bool closeByUser(std::string_view window);
    // Moves the virtual clock on, delivering every tick that falls due on the way.
    void advance(std::int64_t milliseconds);
    std::int64_t now() const { return now_; }

    // The values RandomInt hands out, in order; once they are used up, fallback draws (or it throws).
    void scriptRandom(const std::vector<std::int32_t>& values)
    {
        randomScript_.insert(randomScript_.end(), values.begin(), values.end());
    }
    void setRandomFallback(std::function<std::int32_t(std::int32_t, std::int32_t)> draw)
    {
        randomFallback_ = std::move(draw);
    }

    // The player's answer to every modal window: runs once the handler that opened it has returned.
    // Without one, a modal window stays open until the test closes it.
    void setModalDriver(std::function<void(std::string_view window)> driver)
    {
        modalDriver_ = std::move(driver);
    }
    // Runs inside RunMessageLoop, standing for the player's whole session.
    void setLoopDriver(std::function<void()> driver) { loopDriver_ = std::move(driver); }

    // --- What a test looks at. None of these is recorded.
    bool isOpen(std::string_view window) const;
    // Open and visible; for a control, visible and every container it lies in too.
    bool isShown(std::string_view window, std::string_view control = {}) const;
    PropertyValue peek(std::string_view window, std::string_view control, Property property) const;
    std::int32_t peekInteger(std::string_view window, std::string_view control, Property property) const
    {
        return integerOf(peek(window, control, property));
    }
    std::string peekText(std::string_view window, std::string_view control, Property property) const
    {
        return textOf(peek(window, control, property));
    }
    // The modal windows that are open, from the bottom up.
    std::vector<std::string> modalStack() const;
    const layout::Window* layoutOf(std::string_view window) const;

    // Every call and event so far, as lines such as `Set GameWindow.透明标签13.Caption "1"`.
    const std::vector<std::string>& calls() const { return calls_; }
    // The recorded lines that start with prefix.
    std::vector<std::string> callsStartingWith(std::string_view prefix) const;
    void clearCalls() { calls_.clear(); }

    std::optional<int> exitCode() const { return exitCode_; }
    int cleanupRuns() const { return cleanupRuns_; }

    // The file system, as far as settings files see it; its calls go into calls() with the rest.
    MemoryStore store{[this](std::string line) { record(std::move(line)); }};
    std::vector<std::string> problems; // every line reported, in order

private:
    void built(const WindowState&) override {}
    void destroyed(WindowId window) override;
    void changed(const WindowState& window, const ControlState* control, Property property) override;
    void opened(const WindowState& window) override;
    void handling(const WindowState& window, std::string_view control, Event event) override;
    // Nothing is drawn, and every move of a test settles what it set off before it returns.
    void focus(const WindowState&, const ControlState*, bool) override {}
    void looked(const WindowState&, const ControlState&) override {}
    void wake() override {}

    // The open build of a window, nullptr when it is closed; a name no layout has throws.
    const WindowState* open(std::string_view window) const;
    bool exited() const { return exitCode_.has_value(); }
    void record(std::string line) { calls_.push_back(std::move(line)); }
    static std::string describe(const PropertyValue& value);

    struct Timer
    {
        WindowId window = 0;
        std::int64_t due = 0;
    };
    // By window and timer name, which settles ticks that fall due together.
    std::map<std::pair<std::string, std::string>, Timer> timers_;
    std::vector<std::string> calls_;
    std::function<void(std::string_view)> modalDriver_;
    std::function<void()> loopDriver_;
    std::deque<std::int32_t> randomScript_;
    std::function<std::int32_t(std::int32_t, std::int32_t)> randomFallback_;
    std::optional<int> exitCode_;
    int cleanupRuns_ = 0;
    std::int64_t now_ = 0;
};

} // namespace pelindra::headless
