// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "qt_runtime.h"

#include "accessibility.h"
#include "fonts.h"
#include "form_window.h"
#include "runtime/conversions.h"
#include "runtime/layout.h"

#include <QApplication>
#include <cstdio>
#include <utility>

namespace pelindra::qt {
namespace {

QString assetPath(std::string_view asset)
{
    return QStringLiteral(":/pelindra/") + QString::fromUtf8(asset.data(), qsizetype(asset.size()));
}

} // namespace

QtRuntime::QtRuntime(SettingsStore& store)
    : StandardRuntime(static_cast<WindowSurface&>(*this)), store_(store)
{
    // The record window is at times the only window; closing it must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    QApplication::instance()->installEventFilter(&input_);
    installAccessibility();
}

QtRuntime::~QtRuntime()
{
    for (auto& [id, w] : forms_)
        delete w.data();
}

FormWindow* QtRuntime::window(std::string_view name) const
{
    const auto* state = model_.window(name);
    return state == nullptr ? nullptr : form(state->id);
}

FormWindow* QtRuntime::form(WindowId window) const
{
    const auto it = forms_.find(window);
    return it == forms_.end() ? nullptr : it->second.data();
}

void QtRuntime::built(const WindowState& window)
{
    // A window that shows at once has its pictures decoded on the side while its fonts are set up; a
    // hidden one decodes them when it is first painted.
    if (window.modal || window.form().visible)
        prefetch(window.form());
    fonts::loadEmbedded();
    // The window system keeps a modal window above its owner, even one that its Created handler hides.
    forms_[window.id] = new FormWindow(window, *this, window.modal ? form(window.owner) : nullptr);
}

void QtRuntime::destroyed(WindowId window)
{
    const auto it = forms_.find(window);
    if (it == forms_.end())
        return;
    // Destroyed once the handler that closes it has returned; it may be that window's own handler.
    if (auto* w = it->second.data()) {
        w->hide();
        w->deleteLater();
    }
    forms_.erase(it);
}

void QtRuntime::changed(const WindowState& window, const ControlState* control, Property property)
{
    if (auto* w = form(window.id))
        w->draw(window, control, property);
}

void QtRuntime::opened(const WindowState& window)
{
    if (auto* w = form(window.id))
        w->show();
}

void QtRuntime::focus(const WindowState& window, const ControlState* control, bool activate)
{
    if (auto* w = form(window.id))
        w->showKeyboard(control, activate);
}

void QtRuntime::looked(const WindowState& window, const ControlState& control)
{
    auto* w = form(window.id);
    if (auto* clickable = w == nullptr ? nullptr : qobject_cast<Clickable*>(w->widget(control.layout->name)))
        clickable->setLooks(control.hovered, control.pressed);
}

void QtRuntime::wake()
{
    if (std::exchange(awake_, true))
        return;
    QMetaObject::invokeMethod(
        &waker_,
        [this] {
            awake_ = false;
            model_.settle();
        },
        Qt::QueuedConnection);
}

void QtRuntime::ended(int code)
{
    exitCode_ = code;
    while (!forms_.empty())
        destroyed(forms_.begin()->first);
    // Leaves every event loop, the nested ones of modal windows included.
    QCoreApplication::exit(code);
}

void QtRuntime::RunMessageLoop()
{
    if (!model_.exiting())
        QApplication::exec();
}

void QtRuntime::ReportProblem(std::string_view line)
{
    std::fwrite(line.data(), 1, line.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

QSize QtRuntime::onScreen(const layout::Control& control)
{
    if (control.fit != layout::Fit::Scaled)
        return {};
    return (QSizeF(control.geometry.width, control.geometry.height) * qApp->devicePixelRatio()).toSize();
}

void QtRuntime::prefetch(const layout::Window& form)
{
    // The icon first: the window needs it as soon as it is built, the pictures only when it paints.
    if (!form.icon.empty())
        loader_.request(assetPath(form.icon), {});
    for (const auto& control : form.controls)
        if (control.type == layout::ControlType::PictureBox)
            loader_.request(assetPath(control.picture), onScreen(control));
}

QPixmap QtRuntime::picture(std::string_view asset, QSize size)
{
    const auto path = assetPath(asset);
    const auto key = path + QLatin1Char('|') + QString::number(size.width()) + QLatin1Char('x') +
                     QString::number(size.height());
    auto it = pictures_.find(key);
    if (it == pictures_.end()) {
        auto images = loader_.request(path, size).get();
        // Once a picture is on the GUI side, the decoded copy has done its work.
        loader_.forget(path, size);
        it = pictures_.insert(key,
                              images.isEmpty() ? QPixmap() : QPixmap::fromImage(std::move(images.front())));
    }
    return *it;
}

QIcon QtRuntime::icon(std::string_view asset)
{
    const auto path = assetPath(asset);
    auto it = icons_.find(path);
    if (it == icons_.end()) {
        QIcon icon;
        for (const auto& image : loader_.request(path, {}).get())
            icon.addPixmap(QPixmap::fromImage(image));
        loader_.forget(path, {});
        it = icons_.insert(path, icon);
    }
    return *it;
}

} // namespace pelindra::qt
