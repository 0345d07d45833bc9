// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>
#include <ranges>

namespace pelindra::qt {

// The innermost shown widget drawn at a point of the parent's area, whether or not it takes the mouse:
// QWidget::childAt passes over the labels that let the mouse through.
inline QWidget* drawnAt(QWidget* parent, QPoint at)
{
    // Later children are drawn above earlier ones.
    for (auto* object : std::views::reverse(parent->children())) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child == nullptr || child->isWindow() || child->isHidden() || !child->geometry().contains(at))
            continue;
        auto* inner = drawnAt(child, at - child->pos());
        return inner != nullptr ? inner : child;
    }
    return nullptr;
}

} // namespace pelindra::qt
