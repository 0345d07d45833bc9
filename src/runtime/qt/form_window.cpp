// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "form_window.h"

#include "fonts.h"
#include "qt_runtime.h"
#include "widgets.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <ranges>
#include <utility>

namespace pelindra::qt {
namespace {

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

// Every window has a fixed size: the window system may ask for more, but the window gives it back.
constexpr Qt::WindowStates kRefusedStates = Qt::WindowFullScreen | Qt::WindowMaximized;
constexpr int kReturnCheckMs = 20;
constexpr int kReturnChecks = 100;

} // namespace

FormWindow::FormWindow(const WindowState& state, QtRuntime& runtime, QWidget* owner)
    : QWidget(owner, state.modal ? Qt::Dialog : Qt::Window), definition_(*state.definition),
      runtime_(runtime), id_(state.id), dialog_(state.modal)
{
    const auto& form = state.form();
    setObjectName(fromView(form.name));
    setWindowTitle(fromView(form.caption));
    // Fixed size, with no maximise button.
    setWindowFlags(windowFlags() | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint);
    if (!dialog_)
        setWindowFlag(Qt::WindowMinimizeButtonHint);
    setWindowFlag(Qt::WindowMaximizeButtonHint, false);
    setFixedSize(form.width, form.height);
    move(place_);
    if (!form.icon.empty())
        setWindowIcon(runtime.icon(form.icon));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, toQColor(look::kWindowBackground));
    setPalette(palette);
    setAutoFillBackground(true);
    setFont(fonts::defaultFont());

    // The window takes the pointer itself and asks the model what lies under it.
    setMouseTracking(true);
    for (const auto& control : state.controls)
        build(state, control);
    for (const auto* control : runtime.model().stackingOrder(state))
        if (auto* w = widget(control->layout->name))
            w->raise();
    for (const auto* control : readingOrder(state))
        reading_.push_back(widget(control->layout->name));
}

FormWindow::~FormWindow() = default;

QWidget* FormWindow::build(const WindowState& state, const ControlState& control)
{
    const auto& layout = *control.layout;
    if (auto* existing = widget(layout.name))
        return existing;
    const std::string name(layout.name);
    if (layout.type == layout::ControlType::Timer) {
        auto* t = new QTimer(this);
        t->setTimerType(Qt::PreciseTimer);
        connect(t, &QTimer::timeout, this, [this, name] { runtime_.model().tick(id_, name); });
        timers_.emplace(name, t);
        return nullptr;
    }
    QWidget* parent = this;
    if (const auto* p = state.control(layout.parent))
        if (auto* built = build(state, *p))
            parent = built;
    // A screen reader's press, which the model answers as it answers a click.
    auto click = [this, name] { runtime_.model().click(id_, name); };
    QWidget* w = nullptr;
    const auto font = fonts::fontFor(layout);
    switch (layout.type) {
    case layout::ControlType::PictureBox:
        w = new PictureBox(
            [this, asset = layout.picture](QSize size) { return runtime_.picture(asset, size); }, layout.fit,
            parent);
        break;
    case layout::ControlType::GroupBox:
        w = new GroupBox(parent);
        break;
    case layout::ControlType::TransparentLabel:
        if (state.clickable(control))
            w = new Clickable(layout, font, parent, runtime_.model(), click);
        else
            w = new TransparentLabel(layout, font, parent);
        break;
    case layout::ControlType::Label:
        w = new DecoratedLabel(layout, font, parent);
        break;
    case layout::ControlType::LinkBox:
    case layout::ControlType::LinkText:
        w = new Clickable(layout, font, parent, runtime_.model(), click);
        break;
    case layout::ControlType::Timer:
        break;
    }
    w->setObjectName(fromView(layout.name));
    w->setAttribute(Qt::WA_TransparentForMouseEvents);
    w->setGeometry(layout.geometry.left, control.top, layout.geometry.width, layout.geometry.height);
    w->setVisible(control.visible);
    widgets_.emplace(name, w);
    if (auto* text = qobject_cast<TextControl*>(w)) {
        showCaption(state, control);
        text->setColour(toQColor(control.colour));
    }
    return w;
}

void FormWindow::showCaption(const WindowState& state, const ControlState& control)
{
    auto* text = qobject_cast<TextControl*>(widget(control.layout->name));
    text->setText(QString::fromStdString(control.caption));
    // Where what a screen reader should say is not what the control shows, such as an empty box, it is
    // said as the control's description: its name stays what it shows.
    const auto spoken = spokenName(state, control);
    text->setAccessibleDescription(spoken == control.caption ? QString() : QString::fromStdString(spoken));
}

QWidget* FormWindow::widget(std::string_view control) const
{
    const auto it = widgets_.find(control);
    return it == widgets_.end() ? nullptr : it->second;
}

QTimer* FormWindow::timer(std::string_view control) const
{
    const auto it = timers_.find(control);
    return it == timers_.end() ? nullptr : it->second;
}

std::vector<QWidget*> FormWindow::readingChildren(const QWidget* container) const
{
    std::vector<QWidget*> children;
    for (auto* w : reading_)
        if (w->parentWidget() == container)
            children.push_back(w);
    return children;
}

void FormWindow::showKeyboard(const ControlState* control, bool activate)
{
    if (activate && isVisible() && !isActiveWindow())
        activateWindow();
    if (auto* w = control == nullptr ? nullptr : widget(control->layout->name))
        w->setFocus(Qt::TabFocusReason);
    else if (auto* focused = focusWidget())
        focused->clearFocus();
}

bool FormWindow::focusNextPrevChild(bool next)
{
    runtime_.model().key(id_, next ? Key::Next : Key::Previous);
    return true;
}

void FormWindow::draw(const WindowState& state, const ControlState* control, Property property)
{
    if (control == nullptr) {
        if (property == Property::Visible)
            setVisible(state.visible);
        else
            setWindowTitle(QString::fromStdString(state.caption));
        return;
    }
    if (auto* t = timer(control->layout->name)) {
        if (control->interval > 0)
            t->start(control->interval);
        else
            t->stop();
        return;
    }
    auto* w = widget(control->layout->name);
    auto* text = qobject_cast<TextControl*>(w);
    if (property == Property::Visible)
        w->setVisible(control->visible);
    else if (property == Property::Top)
        w->move(w->x(), control->top);
    else if (text != nullptr && property == Property::Caption)
        showCaption(state, *control);
    else if (text != nullptr && property == Property::TextColour)
        text->setColour(toQColor(control->colour));
}

void FormWindow::closeEvent(QCloseEvent* event)
{
    // The window goes only the way the runtime says: through its Closed handler, or by being destroyed.
    event->ignore();
    runtime_.model().requestClose(id_);
}

void FormWindow::keyPressEvent(QKeyEvent* event)
{
    static const std::map<int, Key> keys{{Qt::Key_Left, Key::Left},       {Qt::Key_Right, Key::Right},
                                         {Qt::Key_Up, Key::Up},           {Qt::Key_Down, Key::Down},
                                         {Qt::Key_Return, Key::Activate}, {Qt::Key_Enter, Key::Activate},
                                         {Qt::Key_Space, Key::Activate},  {Qt::Key_Escape, Key::Escape}};
    const auto key = keys.find(event->key());
    if (key == keys.end()) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (!(key->second == Key::Activate && event->isAutoRepeat()))
        runtime_.model().key(id_, key->second);
}

void FormWindow::pointer(PointerAction action, QPointF at)
{
    const auto cursor = runtime_.model().pointer(id_, action, {qFloor(at.x()), qFloor(at.y())});
    // The window may be gone by now.
    if (runtime_.model().window(id_) != nullptr)
        setCursor(cursor == Cursor::Hand ? Qt::PointingHandCursor : Qt::ArrowCursor);
}

void FormWindow::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        pointer(PointerAction::Press, event->position());
}

void FormWindow::mouseMoveEvent(QMouseEvent* event)
{
    pointer(PointerAction::Move, event->position());
}

void FormWindow::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        pointer(PointerAction::Release, event->position());
}

void FormWindow::leaveEvent(QEvent* event)
{
    pointer(PointerAction::Leave, {});
    QWidget::leaveEvent(event);
}

void FormWindow::changeEvent(QEvent* event)
{
    QWidget::changeEvent(event);
    if (event->type() != QEvent::WindowStateChange)
        return;
    if (windowState() & kRefusedStates) {
        if (!returning_) {
            returning_ = true;
            frameGone_ = false;
            returnChecks_ = 0;
            QTimer::singleShot(kReturnCheckMs, this, &FormWindow::watchReturn);
        }
        // Handed back once this change has been taken in, never inside it.
        QMetaObject::invokeMethod(
            this, [this] { setWindowState(windowState() & ~kRefusedStates); }, Qt::QueuedConnection);
        return;
    }
    settle(false);
}

bool FormWindow::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    switch (event->type()) {
    case QEvent::Show:
        settle(false);
        break;
    case QEvent::Move:
        settle(true);
        break;
    case QEvent::Resize:
        settle(false);
        break;
    default:
        break;
    }
    return handled;
}

void FormWindow::settle(bool moved)
{
    const auto* handle = windowHandle();
    if (returning_) {
        comeBack();
        return;
    }
    // Full screen, maximised or minimised, neither the frame nor the place says anything about the window.
    if (handle == nullptr || (windowState() & (kRefusedStates | Qt::WindowMinimized)))
        return;
    if (moved)
        place_ = pos();
    frame_ = handle->frameMargins();
    fitClient(frame_);
}

void FormWindow::comeBack()
{
    // The state that the window handed back is the window system's until it has undone it: it takes
    // the frame away and gives it back in steps of its own. Until the frame is back as it was, nothing
    // it does tells where the window belongs or how large it is, and the window asks for nothing.
    const auto* handle = windowHandle();
    if (!returning_ || handle == nullptr)
        return;
    const auto margins = handle->frameMargins();
    if (margins != frame_ || pos() != place_)
        frameGone_ = true;
    if ((windowState() & (kRefusedStates | Qt::WindowMinimized)) || !frameGone_ || margins != frame_)
        return;
    finishReturn();
}

void FormWindow::watchReturn()
{
    // Not every step is told, so the window looks for itself, and does not wait for ever.
    comeBack();
    if (!returning_)
        return;
    if (++returnChecks_ < kReturnChecks)
        QTimer::singleShot(kReturnCheckMs, this, &FormWindow::watchReturn);
    else
        finishReturn();
}

void FormWindow::finishReturn()
{
    returning_ = false;
    if (windowHandle() != nullptr)
        frame_ = windowHandle()->frameMargins();
    fitClient(frame_);
}

void FormWindow::fitClient(const QMargins& frame)
{
    // The layouts give outer sizes. Once the window system tells us how wide its frame is, the client
    // area gives up that much, so the whole window keeps the size the layout asks for.
    const QSize client(definition_.layout->width - frame.left() - frame.right(),
                       definition_.layout->height - frame.top() - frame.bottom());
    if (client.isValid() && client != size())
        setFixedSize(client);
}

} // namespace pelindra::qt
