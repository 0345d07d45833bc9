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
#include <cmath>
#include <memory>
#include <utility>
#include <vector>

namespace pelindra::qt {
namespace {

// Share of the character height above the baseline: the ideographic em box of CJK faces.
constexpr qreal kEmAscent = 0.88;

QStringList paragraphsOf(const QString& text)
{
    QString normal = text;
    normal.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normal.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    auto parts = normal.split(QLatin1Char('\n'));
    if (parts.size() > 1 && parts.back().isEmpty())
        parts.removeLast();
    return parts;
}

qreal pixelHeight(const QFont& font)
{
    return font.pixelSize() > 0 ? font.pixelSize() : QFontInfo(font).pixelSize();
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

void paintLabelText(QPainter& painter, const QRect& area, const QString& text, const QFont& font,
                    bool wordWrap, layout::Align align)
{
    if (text.isEmpty())
        return;
    const qreal step = pixelHeight(font);
    std::vector<std::unique_ptr<QTextLayout>> layouts;
    std::vector<QTextLine> lines;
    QTextOption option;
    option.setWrapMode(wordWrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    for (const auto& paragraph : paragraphsOf(text)) {
        auto& layout = layouts.emplace_back(std::make_unique<QTextLayout>(paragraph, font, painter.device()));
        layout->setTextOption(option);
        layout->setCacheEnabled(true);
        layout->beginLayout();
        for (;;) {
            auto line = layout->createLine();
            if (!line.isValid())
                break;
            line.setLineWidth(wordWrap ? area.width() : 1e6);
            line.setPosition(QPointF(0, 0));
            lines.push_back(line);
        }
        layout->endLayout();
    }
    const qreal blockHeight = step * static_cast<qreal>(lines.size());
    const qreal top = lines.size() == 1 ? area.top() + (area.height() - blockHeight) / 2 : area.top();
    painter.save();
    painter.setClipRect(area);
    painter.setFont(font);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        auto& line = lines[i];
        const qreal baseline = top + step * static_cast<qreal>(i) + kEmAscent * step;
        qreal x = area.left();
        if (align == layout::Align::Centre)
            x += (area.width() - line.naturalTextWidth()) / 2;
        line.draw(&painter, QPointF(x, baseline - line.ascent()));
    }
    painter.restore();
}

TextControl::TextControl(const layout::Control& control, const QFont& font, QWidget* parent)
    : QWidget(parent), control_(control)
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
    paintLabelText(painter, rect(), text_, font(), control_.wordWrap, control_.align);
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
    const qreal px = pixelHeight(font());
    QPainterPath path;
    path.addText(QPointF(0, (height() - px) / 2 + kEmAscent * px), font(), text_);
    // Fit the lettering into the label, whatever face stood in for the one asked for.
    const auto bounds = path.boundingRect();
    if (bounds.width() > width() - 4 && bounds.width() > 0) {
        const qreal k = (width() - 4) / bounds.width();
        QTransform t;
        t.translate(2, height() / 2.0);
        t.scale(k, k);
        t.translate(-bounds.left(), -bounds.center().y());
        path = t.map(path);
    } else {
        path.translate((width() - bounds.width()) / 2 - bounds.left(), 0);
    }
    painter.setPen(
        QPen(QColor(Qt::white), std::max<qreal>(1.5, px / 24), Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.setBrush(colour_);
    painter.drawPath(path);
}

bool FocusLook::eventFilter(QObject* watched, QEvent* event)
{
    const auto type = event->type();
    if (type == QEvent::KeyPress || type == QEvent::MouseButtonPress) {
        const bool keys = type == QEvent::KeyPress;
        if (std::exchange(shown_, keys) != keys)
            if (auto* focused = QApplication::focusWidget())
                focused->update();
    }
    return QObject::eventFilter(watched, event);
}

Clickable::Clickable(const layout::Control& control, const QFont& font, QWidget* parent,
                     const FocusLook& look, std::function<void()> onClick)
    : TextControl(control, font, parent), look_(look), onClick_(std::move(onClick))
{
    setFocusPolicy(Qt::TabFocus);
}

void Clickable::paintEvent(QPaintEvent* event)
{
    TextControl::paintEvent(event);
    if (!showsFocus())
        return;
    QPainter painter(this);
    painter.setPen(QPen(linkstyle::kTextRest, 1, Qt::DotLine));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
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
    if (hovered_ == hovered && pressed_ == pressed)
        return;
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

Link::Link(const layout::Control& control, const QFont& font, QWidget* parent, const FocusLook& look,
           std::function<void()> onClick)
    : Clickable(control, font, parent, look, std::move(onClick))
{}

void Link::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QRect box = rect().adjusted(0, 0, -1, -1);
    if (control_.type == layout::ControlType::LinkText) {
        const bool lit = hovered() || pressed();
        painter.setPen(lit ? linkstyle::kTextHover : linkstyle::kTextRest);
        paintLabelText(painter, rect(), text_, font(), false, layout::Align::Left);
        if (showsFocus()) {
            painter.setPen(QPen(linkstyle::kTextRest, 1, Qt::DotLine));
            painter.drawRect(box);
        }
        return;
    }
    if (pressed())
        painter.fillRect(rect(), linkstyle::kBoxPressed);
    if (hovered() && !pressed()) {
        painter.setPen(linkstyle::kBoxFrame);
        painter.drawRect(box);
    }
    if (showsFocus()) {
        painter.setPen(QPen(linkstyle::kBoxText, 1, Qt::DotLine));
        painter.drawRect(box.adjusted(1, 1, -1, -1));
    }
    QFont f = font();
    f.setUnderline(hovered());
    painter.setPen(linkstyle::kBoxText);
    paintLabelText(painter, rect().adjusted(4, 0, -4, 0), text_, f, false, layout::Align::Left);
}

void GroupBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(theme::kGroupFrame, 1));
    painter.setBrush(theme::kGroupFill);
    painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 4, 4);
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
