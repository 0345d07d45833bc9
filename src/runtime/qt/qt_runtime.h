// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The runtime on Qt Widgets. It needs a QApplication to exist already and owns the windows it builds.

#include "picture_loader.h"
#include "runtime/layout.h"
#include "runtime/linux/file_store.h"
#include "runtime/standard_runtime.h"

#include <QHash>
#include <QIcon>
#include <QPixmap>
#include <QPointer>
#include <map>
#include <string>
#include <vector>

namespace pelindra::qt {

class FormWindow;

class QtRuntime final : public StandardRuntime
{
public:
    QtRuntime();
    // Keeps data.dat, and the per-user data, in a directory of the caller's instead of beside the program:
    // for tests and tools, which must leave the directory they run from alone.
    explicit QtRuntime(std::string dataDirectory);
    ~QtRuntime() override;

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
    SettingsStore& Store() override { return store_; }
    void ReportProblem(std::string_view line) override;

    int exitCode() const { return exitCode_; }
    bool exiting() const { return exiting_; }

    // The window of that name while it is open.
    FormWindow* window(std::string_view name) const;

    // The user's request to close a window: its Closed handler where it has one, else it just goes.
    void userClose(std::string_view window);

    // Marks a window as the one whose handler is running, for as long as it lives. A modal window
    // loaded meanwhile belongs to the innermost such window.
    class Acting
    {
    public:
        Acting(QtRuntime& runtime, FormWindow* window);
        ~Acting();
        Acting(const Acting&) = delete;
        Acting& operator=(const Acting&) = delete;

    private:
        QtRuntime& runtime_;
    };

    // An embedded picture by asset name, decoded once at the given size (an empty size asks for the
    // full picture).
    QPixmap picture(std::string_view asset, QSize size = {});
    QIcon icon(std::string_view asset);

private:
    explicit QtRuntime(settings::FileStore store);
    FormWindow* build(std::string_view window, bool dialog, QWidget* owner);
    // Runs action from the event loop, once the handler that is running has returned, on behalf of the
    // window given; never after the program has begun to end.
    void runLater(Handler action, QPointer<FormWindow> actingFor);
    // Whose a modal window loaded now is.
    FormWindow* owner() const;
    // Starts decoding the pictures of a window at the size they take on this screen.
    void prefetch(const layout::Window& form);
    static QSize onScreen(const layout::Control& control);

    std::map<std::string, WindowDefinition, std::less<>> definitions_;
    std::map<std::string, QPointer<FormWindow>, std::less<>> windows_;
    std::vector<QPointer<FormWindow>> acting_;
    PictureLoader loader_;
    QHash<QString, QPixmap> pictures_;
    QHash<QString, QIcon> icons_;
    settings::FileStore store_;
    std::function<void()> cleanup_;
    int exitCode_ = 0;
    bool exiting_ = false;
};

} // namespace pelindra::qt
