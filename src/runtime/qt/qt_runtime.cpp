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
#include <ranges>
#include <stdexcept>
#include <utility>

namespace pelindra::qt {
namespace {

QString assetPath(std::string_view asset)
{
    return QStringLiteral(":/pelindra/") + QString::fromUtf8(asset.data(), qsizetype(asset.size()));
}

std::string fromView(std::string_view text)
{
    return std::string(text);
}

constexpr std::string_view kApplication = "Pelindra";

} // namespace

QtRuntime::QtRuntime() : QtRuntime(settings::FileStore::ofThisProgram(kApplication)) {}

QtRuntime::QtRuntime(std::string dataDirectory)
    : QtRuntime(settings::FileStore(dataDirectory, dataDirectory + "/user"))
{}

QtRuntime::QtRuntime(settings::FileStore store) : store_(std::move(store))
{
    // The record window is at times the only window; closing it must not end the program.
    QApplication::setQuitOnLastWindowClosed(false);
    installAccessibility();
}

QtRuntime::~QtRuntime()
{
    for (auto& [name, w] : windows_)
        delete w.data();
}

void QtRuntime::DefineWindow(WindowDefinition definition)
{
    if (definition.layout == nullptr)
        return;
    // Its windows run its handlers straight from the definition, perhaps while one of them runs.
    const std::string name(definition.layout->name);
    if (!definitions_.try_emplace(name, std::move(definition)).second)
        throw std::logic_error("window " + name + " is defined already");
}

FormWindow* QtRuntime::window(std::string_view name) const
{
    const auto it = windows_.find(name);
    return it == windows_.end() ? nullptr : it->second.data();
}

FormWindow* QtRuntime::build(std::string_view window, bool dialog, QWidget* owner)
{
    const auto it = definitions_.find(window);
    if (it == definitions_.end())
        return nullptr;
    if (auto* old = this->window(window)) {
        old->hide();
        old->deleteLater();
    }
    // A window that shows at once has its pictures decoded on the side while its fonts are set up; a
    // hidden one decodes them when it is first painted.
    if (dialog || it->second.layout->visible)
        prefetch(*it->second.layout);
    fonts::loadEmbedded();
    auto* w = new FormWindow(it->second, *this, dialog, owner);
    windows_[fromView(window)] = w;
    w->dispatch(std::string_view{}, Event::Created);
    // Its own Created handler may have closed it again.
    return this->window(window) == w ? w : nullptr;
}

void QtRuntime::OpenStartWindow(std::string_view window)
{
    if (auto* w = build(window, false, nullptr))
        w->show();
}

void QtRuntime::RunMessageLoop()
{
    if (!exiting_)
        QApplication::exec();
}

void QtRuntime::RegisterCleanup(std::function<void()> routine)
{
    cleanup_ = std::move(routine);
}

void QtRuntime::ExitProgram(int code)
{
    if (exiting_)
        return;
    exiting_ = true;
    exitCode_ = code;
    if (cleanup_)
        cleanup_();
    for (auto& [name, w] : windows_) {
        if (w) {
            w->hide();
            w->deleteLater();
        }
    }
    windows_.clear();
    // Leaves every event loop, the nested ones of modal windows included.
    QCoreApplication::exit(code);
}

void QtRuntime::LoadWindow(std::string_view window, bool modal, Handler afterClose)
{
    // The window system keeps a modal window above its owner, even one that its Created handler hides.
    QPointer<FormWindow> owner = modal ? this->owner() : nullptr;
    auto* w = build(window, modal, owner);
    if (w == nullptr) {
        // Closed by its own Created handler: a modal window is over before it began.
        if (modal && afterClose)
            runLater(std::move(afterClose), owner);
        return;
    }
    if (!modal) {
        if (w->windowLayout().visible)
            w->show();
        return;
    }
    w->afterClose = std::move(afterClose);
    w->setWindowModality(Qt::ApplicationModal);
    w->show();
}

void QtRuntime::CloseWindow(std::string_view window)
{
    const auto it = windows_.find(window);
    if (it == windows_.end())
        return;
    QPointer<FormWindow> w = it->second;
    windows_.erase(it);
    if (!w)
        return;
    // Destroyed once the handler that closes it has returned; it may be that window's own handler.
    w->hide();
    // What waited for a modal window goes on for the window that opened it.
    if (w->afterClose)
        runLater(std::exchange(w->afterClose, {}), qobject_cast<FormWindow*>(w->parentWidget()));
    w->deleteLater();
}

void QtRuntime::runLater(Handler action, QPointer<FormWindow> actingFor)
{
    QMetaObject::invokeMethod(
        qApp,
        [this, action = std::move(action), actingFor] {
            if (exiting_)
                return;
            const Acting acting(*this, actingFor);
            action();
        },
        Qt::QueuedConnection);
}

FormWindow* QtRuntime::owner() const
{
    // A window that has just been closed would take the new one down with it.
    for (const auto& w : std::views::reverse(acting_))
        if (w && window(w->name()) == w)
            return w;
    // Loaded from outside every handler: the window the player is in, if it is one of ours.
    return qobject_cast<FormWindow*>(QApplication::activeWindow());
}

QtRuntime::Acting::Acting(QtRuntime& runtime, FormWindow* window) : runtime_(runtime)
{
    runtime_.acting_.emplace_back(window);
}

QtRuntime::Acting::~Acting()
{
    runtime_.acting_.pop_back();
}

void QtRuntime::userClose(std::string_view window)
{
    auto* w = this->window(window);
    if (w == nullptr || exiting_)
        return;
    if (!w->dispatch(std::string_view{}, Event::Closed))
        CloseWindow(window);
}

void QtRuntime::SetProperty(std::string_view window, std::string_view control, Property property,
                            const PropertyValue& value)
{
    if (auto* w = this->window(window))
        w->set(control, property, value);
}

PropertyValue QtRuntime::GetProperty(std::string_view window, std::string_view control, Property property)
{
    if (auto* w = this->window(window))
        return w->get(control, property);
    return property == Property::Caption ? PropertyValue{std::string{}} : PropertyValue{std::int32_t{0}};
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
