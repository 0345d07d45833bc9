// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "accessibility.h"

#include "form_window.h"
#include "widgets.h"

#include <QAccessibleWidget>
#include <QMetaObject>
#include <QPointer>

namespace pelindra::qt {
namespace {

class AccessibleClickable : public QAccessibleWidget
{
public:
    explicit AccessibleClickable(Clickable* widget) : QAccessibleWidget(widget, QAccessible::Button) {}

    QStringList actionNames() const override
    {
        return QStringList{pressAction()} << QAccessibleWidget::actionNames();
    }

    void doAction(const QString& action) override
    {
        if (action != pressAction()) {
            QAccessibleWidget::doAction(action);
            return;
        }
        // Later, not now: a press may open a modal window, and the caller waits for this call to return.
        // Whether the control still takes input is asked then, as for a click that waited in the queue.
        QPointer<Clickable> target(static_cast<Clickable*>(widget()));
        QMetaObject::invokeMethod(
            target,
            [target] {
                if (target)
                    target->activate();
            },
            Qt::QueuedConnection);
    }
};

QAccessibleInterface* factory(const QString&, QObject* object)
{
    if (object == nullptr || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (auto* clickable = qobject_cast<Clickable*>(widget))
        return new AccessibleClickable(clickable);
    if (qobject_cast<TextControl*>(widget))
        return new QAccessibleWidget(widget, QAccessible::StaticText);
    if (qobject_cast<PictureBox*>(widget))
        return new QAccessibleWidget(widget, QAccessible::Graphic);
    if (qobject_cast<GroupBox*>(widget))
        return new QAccessibleWidget(widget, QAccessible::Grouping);
    if (qobject_cast<FormWindow*>(widget))
        return new QAccessibleWidget(widget, widget->windowType() == Qt::Dialog ? QAccessible::Dialog
                                                                                : QAccessible::Window);
    return nullptr;
}

} // namespace

void installAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        return true;
    }();
    (void)installed;
}

} // namespace pelindra::qt
