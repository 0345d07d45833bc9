// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "accessibility.h"

#include "form_window.h"
#include "widgets.h"

#include <QAccessibleWidget>
#include <QMetaObject>
#include <QPointer>
#include <algorithm>
#include <vector>

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

// A window, or a control that holds others, whose children are read in reading order rather than in the
// order they are stacked in.
class AccessibleInOrder : public QAccessibleWidget
{
public:
    AccessibleInOrder(QWidget* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}

    int childCount() const override { return static_cast<int>(children().size()); }

    QAccessibleInterface* child(int index) const override
    {
        const auto all = children();
        return index >= 0 && index < static_cast<int>(all.size())
                   ? QAccessible::queryAccessibleInterface(all[index])
                   : nullptr;
    }

    int indexOfChild(const QAccessibleInterface* child) const override
    {
        const auto all = children();
        const auto it = std::find(all.begin(), all.end(), child == nullptr ? nullptr : child->object());
        return it == all.end() ? -1 : static_cast<int>(it - all.begin());
    }

private:
    std::vector<QWidget*> children() const
    {
        const auto* form = qobject_cast<const FormWindow*>(widget()->window());
        return form == nullptr ? std::vector<QWidget*>{} : form->readingChildren(widget());
    }
};

QAccessibleInterface* factory(const QString&, QObject* object)
{
    if (object == nullptr || !object->isWidgetType())
        return nullptr;
    auto* widget = static_cast<QWidget*>(object);
    if (auto* clickable = qobject_cast<Clickable*>(widget))
        return new AccessibleClickable(clickable);
    // A live caption is a status bar, the role screen readers watch for news: each new caption goes
    // out on the bus as a change of its name.
    if (auto* text = qobject_cast<TextControl*>(widget))
        return new QAccessibleWidget(widget, text->layoutControl().live ? QAccessible::StatusBar
                                                                        : QAccessible::StaticText);
    if (qobject_cast<PictureBox*>(widget))
        return new AccessibleInOrder(widget, QAccessible::Graphic);
    if (qobject_cast<GroupBox*>(widget))
        return new AccessibleInOrder(widget, QAccessible::Grouping);
    if (qobject_cast<FormWindow*>(widget))
        return new AccessibleInOrder(widget, widget->windowType() == Qt::Dialog ? QAccessible::Dialog
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
