// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QStringList>

namespace pelindra::qt::fonts {
namespace {

constexpr int kDefaultPixels = 12;

// The names a face goes by, Chinese and Latin.
QStringList aliasesOf(const QString& face)
{
    if (face == QStringLiteral("华文琥珀"))
        return {face, QStringLiteral("STHupo")};
    if (face == QStringLiteral("华文彩云"))
        return {face, QStringLiteral("STCaiyun")};
    return {face};
}

} // namespace

void loadEmbedded()
{
    [[maybe_unused]] static const bool loaded = [] {
        QFontDatabase::addApplicationFont(QStringLiteral(":/pelindra/fonts/PelindraSansSC-Regular.otf"));
        QFontDatabase::addApplicationFont(QStringLiteral(":/pelindra/fonts/PelindraSansSC-Heavy.otf"));
        QApplication::setFont(defaultFont());
        return true;
    }();
}

QFont defaultFont()
{
    QFont font;
    font.setFamilies({kFamily, QStringLiteral("Noto Sans CJK SC")});
    font.setPixelSize(kDefaultPixels);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

QFont fontFor(const layout::Control& control)
{
    QFont font = defaultFont();
    if (control.type == layout::ControlType::LinkText) {
        font.setPixelSize(12);
        font.setUnderline(true);
        return font;
    }
    if (!control.font)
        return font;
    const auto& spec = *control.font;
    if (!spec.face.empty()) {
        // The face where it is installed, else our heavy cut, which has nothing lighter to offer.
        auto families = aliasesOf(QString::fromUtf8(spec.face.data(), qsizetype(spec.face.size())));
        families << kHeavyFamily << kFamily;
        font.setFamilies(families);
    }
    font.setPixelSize(spec.pixels);
    font.setWeight(spec.weight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(spec.italic);
    font.setUnderline(spec.underline);
    return font;
}

} // namespace pelindra::qt::fonts
