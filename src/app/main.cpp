// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ending_bridge.h"
#include "rules/game_state.h"
#include "runtime/linux/linux_files.h"
#include "runtime/qt/qt_runtime.h"
#include "screens/program.h"

#include <QApplication>
#include <QByteArray>
#include <QString>
#include <cstdio>
#include <cstdlib>

namespace {

// Which window systems Qt tries when it chooses for itself: Wayland first where the session says it
// is one, X always.
struct Tried
{
    bool wayland = false;
    bool x11 = false;
};

Tried triedWindowSystems()
{
    const auto platform = qEnvironmentVariable("QT_QPA_PLATFORM");
    if (!platform.isEmpty())
        return {platform.contains(QLatin1String("wayland")), platform.contains(QLatin1String("xcb"))};
    const bool waylandSession = !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY") ||
                                qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
    return {waylandSession, true};
}

const char* whatToDo(Tried tried)
{
    if (tried.wayland && tried.x11)
        return "pelindra: no display could be opened; set WAYLAND_DISPLAY to a running Wayland compositor "
               "or DISPLAY to a running X server, and try again\n";
    if (tried.wayland)
        return "pelindra: no display could be opened; set WAYLAND_DISPLAY to a running Wayland compositor "
               "(for example WAYLAND_DISPLAY=wayland-0) and try again\n";
    if (tried.x11)
        return "pelindra: no display could be opened; set DISPLAY to a running X server (for example "
               "DISPLAY=:0) and try again\n";
    return "pelindra: the window system named in QT_QPA_PLATFORM could not be started; unset it to let "
           "Qt choose, and try again\n";
}

// Qt explains a failed start in warnings and then aborts on a fatal message. Everything it says is
// passed on as it comes; the fatal one is followed by what the player can do about it, and the program
// ends with a plain failure instead of the abort.
void passOnStartupMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    auto line = qFormatLogMessage(type, context, message);
    while (line.endsWith(QLatin1Char('\n')))
        line.chop(1);
    std::fprintf(stderr, "%s\n", qPrintable(line));
    if (type == QtFatalMsg) {
        std::fputs(whatToDo(triedWindowSystems()), stderr);
        std::_Exit(1);
    }
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication::setApplicationName(QStringLiteral("Pelindra"));
    QCoreApplication::setApplicationVersion(QStringLiteral(PELINDRA_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(PELINDRA_APP_ID));

    qInstallMessageHandler(passOnStartupMessage);
    QApplication app(argc, argv);
    qInstallMessageHandler(nullptr);

    auto store = pelindra::settings::storeOfThisProgram("Pelindra");
    pelindra::qt::QtRuntime runtime(store);
    const pelindra::app::EndingBridge ending(runtime);
    pelindra::GameState state;
    pelindra::runProgram(runtime, state);
    return runtime.exitCode();
}
