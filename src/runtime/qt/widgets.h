// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Our own widgets, one for each control type of the layouts.

#include "runtime/layout.h"
#include "runtime/look.h"
#include "runtime/window_model.h"

#include <QColor>
#include <QFont>
#include <QPixmap>
#include <QPointer>
#include <QString>
#include <QWidget>
#include <functional>

class QTimer;

namespace pelindra::qt {

QColor toQColor(layout::Colour colour);
layout::Colour fromQColor(const QColor& colour);

// Anything that shows a caption in a colour, as the window model holds them. Unless a kind of control draws
// itself otherwise, it draws its text and nothing else, so whatever lies beneath shows through.
class TextControl : public QWidget
{
    Q_OBJECT
public:
    TextControl(const layout::Control& control, const QFont& font, QWidget* parent);

    QString text() const { return text_; }
    void setText(const QString& text);
    QColor colour() const { return colour_; }
    void setColour(const QColor& colour);
    const layout::Control& layoutControl() const { return control_; }

protected:
    void paintEvent(QPaintEvent* event) override;

    const layout::Control& control_;
    const look::TextBox box_;
    QString text_;
    QColor colour_;
};

// A label that answers no click. The mouse goes through it too, to whatever lies beneath: a label may
// overlap a control that does answer.
class TransparentLabel : public TextControl
{
    Q_OBJECT
public:
    TransparentLabel(const layout::Control& control, const QFont& font, QWidget* parent);
};

// The record heading: lettering with an outline, in the two colours of its decoration. It answers no
// click either, and lets the mouse through.
class DecoratedLabel : public TextControl
{
    Q_OBJECT
public:
    DecoratedLabel(const layout::Control& control, const QFont& font, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Tells the window model of every key and every button of the pointer the application sees.
class InputWatch : public QObject
{
    Q_OBJECT
public:
    explicit InputWatch(WindowModel& model) : model_(model) {}

protected:
    // Installed on the application, to see every press.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    WindowModel& model_;
};

// A label or link that answers a click and takes the keyboard; a label drawn like any other, a link of
// either kind (a box, or text alone) in its own look, each with a dotted frame while the keyboard is on it
// and shown. The window hands it the pointer's
// looks from the window model. Accessibility tools see it as a push button with a Press action.
class Clickable : public TextControl
{
    Q_OBJECT
public:
    Clickable(const layout::Control& control, const QFont& font, QWidget* parent, const WindowModel& model,
              std::function<void()> onClick);

    // What an assistive tool's press does.
    void activate();
    void setLooks(bool hovered, bool pressed);

protected:
    void paintEvent(QPaintEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool hovered() const { return hovered_; }
    bool pressed() const { return pressed_; }
    bool showsFocus() const { return hasFocus() && model_.keyboardShown(); }

private:
    const WindowModel& model_;
    std::function<void()> onClick_;
    bool hovered_ = false;
    bool pressed_ = false;
};

class GroupBox : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// Draws its picture from a source at least as large as the box on the screen, so that it stays sharp
// on a scaled screen. The picture is only decoded when the box is first painted.
class PictureBox : public QWidget
{
    Q_OBJECT
public:
    // Hands out the picture at the size asked for; an empty size asks for all of it.
    using Source = std::function<QPixmap(QSize size)>;

    PictureBox(Source source, layout::Fit fit, QWidget* parent);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Source source_;
    QPixmap shown_;
    layout::Fit fit_;
};

// A caption laid out in its box as every surface lays it out (look::baseline).
void paintLabelText(QPainter& painter, const look::TextBox& box, const QString& text, const QFont& font);

} // namespace pelindra::qt
