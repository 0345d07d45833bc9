// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The runtime on Qt Widgets. It needs a QApplication to exist already and owns the windows it builds.

#include "picture_loader.h"
#include "runtime/layout.h"
#include "runtime/settings_store.h"
#include "runtime/standard_runtime.h"
#include "widgets.h"

#include <QHash>
#include <QIcon>
#include <QObject>
#include <QPixmap>
#include <QPointer>
#include <map>
#include <string>

namespace pelindra::qt {

class FormWindow;

class QtRuntime final : private WindowSurface, public StandardRuntime
{
public:
    // The store is the caller's, and outlives the runtime: files beside the program for the game, a
    // directory of their own for tests and tools.
    explicit QtRuntime(SettingsStore& store);
    ~QtRuntime() override;

    void RunMessageLoop() override;
    SettingsStore& Store() override { return store_; }
    void ReportProblem(std::string_view line) override;

    int exitCode() const { return exitCode_; }
    bool exiting() const { return model_.exiting(); }
    WindowModel& model() { return model_; }

    // The window of that name while it is open.
    FormWindow* window(std::string_view name) const;

    // An embedded picture by asset name, decoded once at the given size (an empty size asks for the
    // full picture).
    QPixmap picture(std::string_view asset, QSize size = {});
    QIcon icon(std::string_view asset);

private:
    FormWindow* form(WindowId window) const;
    void built(const WindowState& window) override;
    void destroyed(WindowId window) override;
    void changed(const WindowState& window, const ControlState* control, Property property) override;
    void opened(const WindowState& window) override;
    void focus(const WindowState& window, const ControlState* control, bool activate) override;
    void looked(const WindowState& window, const ControlState& control) override;
    void wake() override;
    void ended(int code) override;
    // Starts decoding the pictures of a window at the size they take on this screen.
    void prefetch(const layout::Window& form);
    static QSize onScreen(const layout::Control& control);

    std::map<WindowId, QPointer<FormWindow>> forms_;
    // What the event loop settles the model for: it goes with the runtime, and with it every call
    // still queued.
    QObject waker_;
    bool awake_ = false;
    PictureLoader loader_;
    QHash<QString, QPixmap> pictures_;
    QHash<QString, QIcon> icons_;
    SettingsStore& store_;
    InputWatch input_{model_};
    int exitCode_ = 0;
};

} // namespace pelindra::qt
