// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "ending_bridge.h"

#include "runtime/runtime.h"

#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <array>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>

namespace pelindra::app {
namespace {

constexpr std::array kSignals{SIGTERM, SIGHUP};

// The pipe's end for the handler, which can reach nothing else.
volatile std::sig_atomic_t wakeFd = -1;

extern "C" void onEndingSignal(int signo)
{
    const int saved = errno;
    const auto byte = static_cast<unsigned char>(signo);
    // A full pipe already holds a signal that will be seen.
    [[maybe_unused]] const auto written = ::write(wakeFd, &byte, 1);
    errno = saved;
}

void handle(int signo, void (*handler)(int))
{
    struct sigaction action
    {};
    action.sa_handler = handler;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(signo, &action, nullptr);
}

} // namespace

EndingBridge::EndingBridge(Runtime& runtime) : runtime_(runtime)
{
    // Before the program has anything to save, the signals keep their default and end it at once.
    if (::pipe2(pipe_, O_CLOEXEC | O_NONBLOCK) == 0) {
        wakeFd = pipe_[1];
        notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &EndingBridge::signalled);
        for (const int signo : kSignals)
            handle(signo, onEndingSignal);
    }
    // The session may go on should the user cancel the logout; the program goes on with it.
    connect(qApp, &QGuiApplication::commitDataRequest, this,
            [this](QSessionManager&) { runtime_.ProgramEnding(); });
    // A quit that did not come through the program's own exit.
    connect(qApp, &QCoreApplication::aboutToQuit, this, [this] { runtime_.ProgramEnding(); });
}

EndingBridge::~EndingBridge()
{
    if (notifier_ == nullptr)
        return;
    for (const int signo : kSignals)
        handle(signo, SIG_DFL);
    wakeFd = -1;
    ::close(pipe_[0]);
    ::close(pipe_[1]);
}

void EndingBridge::signalled()
{
    unsigned char signo = 0;
    if (::read(pipe_[0], &signo, 1) != 1)
        return;
    runtime_.ProgramEnding();
    // The shell's code for a program that a signal ended.
    runtime_.ExitProgram(128 + signo);
}

} // namespace pelindra::app
