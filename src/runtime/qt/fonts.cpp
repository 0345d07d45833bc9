// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>

namespace pelindra::qt::fonts {
namespace {

QString fromView(std::string_view text)
{
    return QString::fromUtf8(text.data(), qsizetype(text.size()));
}

} // namespace

void loadEmbedded()
{
    [[maybe_unused]] static const bool loaded = [] {
        for (const auto& face : look::kFaces)
            QFontDatabase::addApplicationFont(QStringLiteral(":/pelindra/fonts/") + fromView(face.file) +
                                              QStringLiteral(".otf"));
        QApplication::setFont(defaultFont());
        return true;
    }();
}

QFont toQFont(const look::Font& font)
{
    QStringList families;
    for (const auto family : font.families)
        families << fromView(family);
    QFont shown;
    shown.setFamilies(families);
    shown.setPixelSize(font.pixels);
    shown.setStyleStrategy(QFont::PreferAntialias);
    shown.setWeight(font.bold ? QFont::Bold : QFont::Normal);
    shown.setItalic(font.italic);
    shown.setUnderline(font.underline);
    return shown;
}

QFont defaultFont()
{
    return toQFont(look::defaultFont());
}

QFont fontFor(const layout::Control& control)
{
    return toQFont(look::fontOf(control));
}

} // namespace pelindra::qt::fonts
