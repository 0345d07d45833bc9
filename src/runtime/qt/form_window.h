// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// A top-level window built from its layout, holding its controls and timers by their layout names. It
// draws what the window model holds and hands every input and tick back to it, under its build's id.

#include "runtime/layout.h"
#include "runtime/window_model.h"

#include <QWidget>
#include <functional>
#include <map>
#include <string>
#include <vector>

class QTimer;

namespace pelindra::qt {

class QtRuntime;
class TextControl;

class FormWindow : public QWidget
{
    Q_OBJECT
public:
    // A modal window is a dialog that stands over its owner, which the window system is told about;
    // owner may be nullptr.
    FormWindow(const WindowState& state, QtRuntime& runtime, QWidget* owner);
    ~FormWindow() override;

    WindowId id() const { return id_; }
    QtRuntime& runtime() const { return runtime_; }
    std::string_view name() const { return definition_.layout->name; }
    const layout::Window& windowLayout() const { return *definition_.layout; }

    // Shows a property as the model now holds it: the window's own when control is nullptr.
    void draw(const WindowState& state, const ControlState* control, Property property);
    QWidget* widget(std::string_view control) const;
    QTimer* timer(std::string_view control) const;

    // What the window, or a control in it, holds, in reading order.
    std::vector<QWidget*> readingChildren(const QWidget* container) const;
    // The keyboard of this window to that control, or to none; activate makes the window the active one.
    void showKeyboard(const ControlState* control, bool activate);

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    // Tab and Shift+Tab.
    bool focusNextPrevChild(bool next) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool event(QEvent* event) override;

private:
    QWidget* build(const WindowState& state, const ControlState& control);
    void pointer(PointerAction action, QPointF at);
    void showCaption(const WindowState& state, const ControlState& control);
    // Keeps the window at its size; after a full screen or maximised spell that it handed back, once the
    // window system has given the frame back as it was.
    void settle(bool moved);
    void comeBack();
    void watchReturn();
    void finishReturn();
    void fitClient(const QMargins& frame);

    const WindowDefinition& definition_;
    QtRuntime& runtime_;
    WindowId id_;
    bool dialog_;
    std::map<std::string, QWidget*, std::less<>> widgets_;
    std::map<std::string, QTimer*, std::less<>> timers_;
    std::vector<QWidget*> reading_;
    QPoint place_{layout::kWindowLeft, layout::kWindowTop};
    QMargins frame_;
    bool returning_ = false;
    bool frameGone_ = false;
    int returnChecks_ = 0;
};

} // namespace pelindra::qt
