// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// Measurements that need to see inside the program: the latency of a click on a digit until the next
// deal is on the screen, and how true the game clock keeps time. The real runtime and the real windows
// run here; a thin layer in front of the runtime notes when the clock label changes.

#include "rules/game_state.h"
#include "rules/names.h"
#include "runtime/layout.h"
#include "runtime/linux/linux_files.h"
#include "runtime/qt/form_window.h"
#include "runtime/qt/qt_runtime.h"
#include "screens/program.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QMouseEvent>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using namespace pelindra;
using Clock = std::chrono::steady_clock;

// Passes everything through, and notes the moment of every clock-label caption.
class TimingRuntime final : public Runtime
{
public:
    explicit TimingRuntime(qt::QtRuntime& inner) : inner_(inner) {}

    std::vector<Clock::time_point> clockWrites;

    void DefineWindow(WindowDefinition d) override { inner_.DefineWindow(std::move(d)); }
    void OpenStartWindow(std::string_view w) override { inner_.OpenStartWindow(w); }
    void RunMessageLoop() override { inner_.RunMessageLoop(); }
    void RegisterCleanup(std::function<void()> r) override { inner_.RegisterCleanup(std::move(r)); }
    void ExitProgram(int code) override { inner_.ExitProgram(code); }
    void LoadWindow(std::string_view w, bool modal, Handler afterClose) override
    {
        // A record ends a measured game; leave its window at once so that the next game can start.
        if (modal) {
            QTimer::singleShot(0, [this, w = std::string(w)] {
                if (auto* window = inner_.window(w))
                    inner_.model().click(window->id(), names::record::kBackButton);
            });
        }
        inner_.LoadWindow(w, modal, std::move(afterClose));
    }
    void CloseWindow(std::string_view w) override { inner_.CloseWindow(w); }
    void SetProperty(std::string_view w, std::string_view c, Property p, const PropertyValue& v) override
    {
        if (w == names::kGameWindow && c == names::game::kClockLabel && p == Property::Caption)
            clockWrites.push_back(Clock::now());
        inner_.SetProperty(w, c, p, v);
    }
    PropertyValue GetProperty(std::string_view w, std::string_view c, Property p) override
    {
        return inner_.GetProperty(w, c, p);
    }
    SettingsStore& Store() override { return inner_.Store(); }
    void ReportProblem(std::string_view line) override { inner_.ReportProblem(line); }
    std::string ToText(std::int32_t n) override { return inner_.ToText(n); }
    std::int32_t ToInteger(std::string_view t) override { return inner_.ToInteger(t); }
    void SeedRandom() override { inner_.SeedRandom(); }
    std::int32_t RandomInt(std::int32_t a, std::int32_t b) override { return inner_.RandomInt(a, b); }

private:
    qt::QtRuntime& inner_;
};

// Counts the paints of a window's widgets, so that a measurement can wait for the one it caused.
class PaintCounter : public QObject
{
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

double ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

void release(QWidget* target)
{
    const QPointF at(target->width() / 2.0, target->height() / 2.0);
    const QPointF global = target->mapToGlobal(at);
    QMouseEvent press(QEvent::MouseButtonPress, at, global, Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &press);
    QMouseEvent up(QEvent::MouseButtonRelease, at, global, Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(target, &up);
}

void waitUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < timeoutMs)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
}

struct Setup
{
    FileStore store = settings::storeOfThisProgram("Pelindra");
    qt::QtRuntime qtRuntime{store};
    TimingRuntime rt{qtRuntime};
    GameState state;
    qt::FormWindow* game = nullptr;

    Setup()
    {
        startProgram(rt, state);
        qtRuntime.model().click(qtRuntime.window(names::kMenuWindow)->id(), "超级链接框1");
        game = qtRuntime.window(names::kGameWindow);
        waitUntil([this] { return game->isVisible() && game->windowHandle()->isExposed(); }, 5000);
        QTest::qWait(200);
    }

    void start()
    {
        auto* link = game->widget(names::game::kStartLink);
        waitUntil([link] { return link->isVisible(); }, 5000);
        release(link);
    }
};

// Clicks right digits 1,000 times, timing each from the release to the end of the repaint it causes.
void clickLatency(int clicks)
{
    Setup s;
    PaintCounter counter;
    for (auto* child : s.game->findChildren<QWidget*>())
        child->installEventFilter(&counter);
    s.game->installEventFilter(&counter);
    std::vector<double> latencies;
    while (static_cast<int>(latencies.size()) < clicks) {
        if (s.state.gameRunning && s.state.elapsedSeconds >= 13)
            waitUntil([&s] { return !s.state.gameRunning; }, 5000); // let it run out, off the clock
        if (!s.state.gameRunning) {
            s.start();
            QCoreApplication::processEvents();
        }
        QWidget* right = nullptr;
        for (const auto box : names::game::kBoxes) {
            if (textOf(s.qtRuntime.GetProperty(names::kGameWindow, box, Property::Caption)) ==
                s.state.targetDigit)
                right = s.game->widget(box);
        }
        if (right == nullptr) {
            release(s.game->widget(names::game::kNoDigitLink));
            QCoreApplication::processEvents();
            continue;
        }
        QCoreApplication::processEvents(); // nothing else pending when the clock starts
        counter.paints = 0;
        const auto t0 = Clock::now();
        release(right);
        // The deal marks the labels dirty; the repaint comes with the next pass of the event loop.
        while (counter.paints == 0)
            QCoreApplication::processEvents();
        latencies.push_back(ms(Clock::now() - t0));
    }
    std::sort(latencies.begin(), latencies.end());
    const auto at = [&](double q) { return latencies[static_cast<std::size_t>(q * (latencies.size() - 1))]; };
    std::printf("click %zu %.4f %.4f %.4f %.4f\n", latencies.size(), at(0.5), at(0.99), latencies.front(),
                latencies.back());
}

// Five full games left to run out, each tick timed against its ideal moment.
void clockFidelity(int games)
{
    Setup s;
    for (int g = 0; g < games; ++g) {
        s.rt.clockWrites.clear();
        const auto t0 = Clock::now();
        s.start();
        waitUntil([&s] { return !s.state.gameRunning; }, 20000);
        // The first caption is startGame's "0秒"; the fifteen after it are the ticks.
        std::printf("game %d", g + 1);
        for (std::size_t k = 1; k < s.rt.clockWrites.size(); ++k)
            std::printf(" %.3f", ms(s.rt.clockWrites[k] - t0) - 1000.0 * static_cast<double>(k));
        std::printf(" total %.3f\n", ms(s.rt.clockWrites.back() - t0));
        QTest::qWait(100);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelindra"));
    if (argc > 1 && std::strcmp(argv[1], "clicks") == 0)
        clickLatency(argc > 2 ? std::atoi(argv[2]) : 1000);
    else if (argc > 1 && std::strcmp(argv[1], "clock") == 0)
        clockFidelity(argc > 2 ? std::atoi(argv[2]) : 5);
    else
        std::fprintf(stderr, "usage: %s clicks [N] | clock [GAMES]\n", argv[0]);
    return 0;
}
