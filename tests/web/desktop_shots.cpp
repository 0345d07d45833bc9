// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The desktop's four windows as the Qt runtime draws them, each client area saved as a PNG, for the
// browser edition to be compared against. The states that change over time are given on the command
// line, so that both sides show the same thing:
//
//   pelindra_window_shots DIR SCORE SECONDS CREDITS_TOP

#include "rules/game_state.h"
#include "runtime/linux/linux_files.h"
#include "runtime/qt/form_window.h"
#include "runtime/qt/qt_runtime.h"
#include "screens/program.h"

#include <QApplication>
#include <QDir>
#include <QImage>
#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 5) {
        std::fputs("usage: pelindra_window_shots DIR SCORE SECONDS CREDITS_TOP\n", stderr);
        return 2;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    // data.dat goes beside the pictures, not beside this program.
    const std::string directory(argv[1]);
    auto store = pelindra::settings::storeIn(directory, directory + "/user");
    pelindra::qt::QtRuntime rt{store};
    pelindra::GameState state;
    pelindra::defineWindows(rt, state);

    // As the page shows them: the menu at start, the game window idle before its first game, the
    // record window of that score and time, the credits standing at the given top.
    rt.LoadWindow("MenuWindow", false, {});
    state.bestScore = argv[2];
    state.bestTime = argv[3];
    rt.LoadWindow("RecordWindow", false, {});
    rt.LoadWindow("AboutWindow", false, {});
    rt.SetProperty("AboutWindow", "时钟1", pelindra::Property::Interval, std::int32_t{0});
    rt.SetProperty("AboutWindow", "透明标签1", pelindra::Property::Top, std::int32_t{std::stoi(argv[4])});

    const QDir out(QString::fromLocal8Bit(argv[1]));
    for (const char* name : {"MenuWindow", "GameWindow", "RecordWindow", "AboutWindow"}) {
        auto* window = rt.window(name);
        if (window == nullptr)
            return 1;
        window->show();
        if (!window->grab().toImage().save(out.filePath(QString::fromLatin1(name) + ".png")))
            return 1;
    }
    return 0;
}
