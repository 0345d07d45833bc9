// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What ends the program from outside, turned into the runtime's ending and exit: SIGTERM (a logout),
// SIGHUP (a closed terminal) and the session manager's request to save. A signal handler may do next to
// nothing, so it only writes the signal's number into a pipe, which the event loop reads.

#include <QObject>

class QSocketNotifier;

namespace pelindra {
class Runtime;
}

namespace pelindra::app {

class EndingBridge final : public QObject
{
public:
    // One at a time: the signal handlers are the process's own.
    explicit EndingBridge(Runtime& runtime);
    ~EndingBridge() override;

private:
    void signalled();

    Runtime& runtime_;
    int pipe_[2] = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
};

} // namespace pelindra::app
