// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextLayout>
#include <memory>
#include <utility>
#include <vector>

namespace pelindra::qt {
namespace {

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

void paintFocusRing(QPainter& painter, const QRect& edge, layout::ControlType type)
{
    const auto ring = look::focusRing(type);
    painter.setPen(QPen(toQColor(ring.colour), ring.width, ring.dotted ? Qt::DotLine : Qt::SolidLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(edge.adjusted(ring.inset, ring.inset, -1 - ring.inset, -1 - ring.inset));
}

} // namespace

QColor toQColor(layout::Colour colour)
{
    return QColor(layout::redOf(colour), layout::greenOf(colour), layout::blueOf(colour));
}

layout::Colour fromQColor(const QColor& colour)
{
    return layout::rgb(colour.red(), colour.green(), colour.blue());
}

void paintLabelText(QPainter& painter, const look::TextBox& box, const QString& text, const QFont& font)
{
    if (text.isEmpty())
        return;
    const auto& area = box.area;
    std::vector<std::unique_ptr<QTextLayout>> layouts;
    std::vector<QTextLine> lines;
    QTextOption option;
    option.setWrapMode(box.wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    const auto utf8 = text.toStdString();
    for (const auto paragraph : look::linesOf(utf8)) {
        auto& layout =
            layouts.emplace_back(std::make_unique<QTextLayout>(fromView(paragraph), font, painter.device()));
        layout->setTextOption(option);
        layout->setCacheEnabled(true);
        layout->beginLayout();
        for (;;) {
            auto line = layout->createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(box.wrap ? area.width : 1e6);
            line.setPosition(QPointF(0, 0));
            lines.push_back(line);
        }
        layout->endLayout();
    }
    painter.save();
    painter.setClipRect(QRect(area.left, area.top, area.width, area.height));
    painter.setFont(font);
    const int count = static_cast<int>(lines.size());
    for (int i = 0; i < count; ++i) {
        auto& line = lines[static_cast<std::size_t>(i)];
        qreal x = area.left;
        if (box.align == layout::Align::Centre)
            x += (area.width - line.naturalTextWidth()) / 2;
        line.draw(&painter, QPointF(x, look::baseline(box, count, i) - line.ascent()));
    }
    painter.restore();
}

TextControl::TextControl(const layout::Control& control, const QFont& font, QWidget* parent)
    : QWidget(parent), control_(control), box_(look::textBox(control))
{
    setFont(font);
}

void TextControl::setText(const QString& text)
{
    if (text == text_)
        return;
    text_ = text;
    setAccessibleName(text_);
    update();
}

void TextControl::setColour(const QColor& colour)
{
    if (colour == colour_)
        return;
    colour_ = colour;
    update();
}

void TextControl::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setPen(colour_);
    paintLabelText(painter, box_, text_, font());
}

TransparentLabel::TransparentLabel(const layout::Control& control, const QFont& font, QWidget* parent)
    : TextControl(control, font, parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

DecoratedLabel::DecoratedLabel(const layout::Control& control, const QFont& font, QWidget* parent)
    : TextControl(control, font, parent)
{
    setAttribute(Qt::WA_TransparentForMouseEvents);
}

void DecoratedLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath path;
    path.addText(QPointF(0, look::baseline(box_, 1, 0)), font(), text_);
    // Fit the lettering into the label, whatever face stood in for the one asked for.
    const auto bounds = path.boundingRect();
    const int room = width() - 2 * look::kLetteringMargin;
    if (bounds.width() > room && bounds.width() > 0) {
        const qreal k = room / bounds.width();
        QTransform t;
        t.translate(look::kLetteringMargin, height() / 2.0);
        t.scale(k, k);
        t.translate(-bounds.left(), -bounds.center().y());
        path = t.map(path);
    } else {
        path.translate((width() - bounds.width()) / 2 - bounds.left(), 0);
    }
    const auto outline = look::outlineOf(box_.font);
    painter.setPen(QPen(toQColor(outline.colour), outline.width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(colour_);
    painter.drawPath(path);
}

bool InputWatch::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress)
        model_.used(Input::Keys);
    else if (event->type() == QEvent::MouseButtonPress)
        model_.used(Input::Pointer);
    return QObject::eventFilter(watched, event);
}

Clickable::Clickable(const layout::Control& control, const QFont& font, QWidget* parent,
                     const WindowModel& model, std::function<void()> onClick)
    : TextControl(control, font, parent), model_(model), onClick_(std::move(onClick))
{
    setFocusPolicy(Qt::TabFocus);
}

void Clickable::paintEvent(QPaintEvent* event)
{
    const auto type = control_.type;
    if (type == layout::ControlType::LinkBox || type == layout::ControlType::LinkText) {
        QPainter painter(this);
        const auto shown = look::linkLook(type, hovered(), pressed());
        if (shown.fill)
            painter.fillRect(rect(), toQColor(*shown.fill));
        if (shown.frame) {
            painter.setPen(toQColor(*shown.frame));
            painter.drawRect(rect().adjusted(0, 0, -1, -1));
        }
        QFont f = font();
        f.setUnderline(f.underline() || shown.underline);
        painter.setPen(toQColor(shown.text));
        paintLabelText(painter, box_, text_, f);
    } else {
        TextControl::paintEvent(event);
    }
    if (showsFocus()) {
        QPainter painter(this);
        paintFocusRing(painter, rect(), type);
    }
}

void Clickable::activate()
{
    // An assistive tool can name a control that the player could not reach with the mouse or the
    // keyboard: the window model says whether it may.
    if (onClick_)
        onClick_();
}

void Clickable::setLooks(bool hovered, bool pressed)
{
    hovered_ = hovered;
    pressed_ = pressed;
    update();
}

void Clickable::focusInEvent(QFocusEvent* event)
{
    update();
    QWidget::focusInEvent(event);
}

void Clickable::focusOutEvent(QFocusEvent* event)
{
    update();
    QWidget::focusOutEvent(event);
}

void GroupBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const auto& panel = look::kPanel;
    const qreal half = panel.frameWidth / 2.0;
    painter.setPen(QPen(toQColor(panel.frame), panel.frameWidth));
    painter.setBrush(toQColor(panel.fill));
    painter.drawRoundedRect(QRectF(rect()).adjusted(half, half, -half, -half), panel.radius, panel.radius);
}

PictureBox::PictureBox(Source source, layout::Fit fit, QWidget* parent)
    : QWidget(parent), source_(std::move(source)), fit_(fit)
{}

void PictureBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (fit_ == layout::Fit::Natural) {
        if (shown_.isNull())
            shown_ = source_({});
        painter.drawPixmap(QPointF(0, 0), shown_);
        return;
    }
    // Asked for once per size and screen scale; the runtime hands it out scaled.
    const qreal dpr = devicePixelRatioF();
    const QSize wanted = (QSizeF(size()) * dpr).toSize();
    if (shown_.size() != wanted) {
        shown_ = source_(wanted);
        shown_.setDevicePixelRatio(dpr);
    }
    painter.drawPixmap(QPointF(0, 0), shown_);
}

} // namespace pelindra::qt
