// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "rules/game_state.h"
#include "runtime/qt/qt_runtime.h"
#include "screens/program.h"

#include <QApplication>
#include <QByteArray>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

constexpr const char* kNoDisplay = "pelindra: no display could be opened; set DISPLAY to a running X server "
                                   "(for example DISPLAY=:0) and try again\n";

// Qt's own answer to a missing display is a warning followed by an abort. Hold its messages back while
// the application starts, and turn that failure into one plain line.
std::vector<std::string>* startupMessages = nullptr;

void holdStartupMessage(QtMsgType type, const QMessageLogContext&, const QString& message)
{
    if (type == QtFatalMsg) {
        std::fputs(kNoDisplay, stderr);
        std::_Exit(1);
    }
    if (startupMessages != nullptr)
        startupMessages->push_back(message.toStdString());
}

bool displayNamed()
{
    const auto platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (platform.isEmpty() || platform.startsWith(QLatin1String("xcb")))
        return !qEnvironmentVariableIsEmpty("DISPLAY");
    if (platform.startsWith(QLatin1String("wayland")))
        return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY");
    return true;
}

} // namespace

int main(int argc, char** argv)
{
    if (!displayNamed()) {
        std::fputs(kNoDisplay, stderr);
        return 1;
    }
    QCoreApplication::setApplicationName(QStringLiteral("Pelindra"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELINDRA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(PELINDRA_APP_ID));

    std::vector<std::string> held;
    startupMessages = &held;
    qInstallMessageHandler(holdStartupMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);
    startupMessages = nullptr;
    for (const auto& message : held)
        std::fprintf(stderr, "%s\n", message.c_str());

    pelindra::qt::QtRuntime runtime;
    pelindra::GameState state;
    pelindra::runProgram(runtime, state);
    return runtime.exitCode();
}
