// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QHash>
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
    static const bool loaded = [] {
        QFontDatabase::addApplicationFont(
            QStringLiteral(":/pelindra/fonts/NotoSansCJKsc-Regular-subset.otf"));
        QFontDatabase::addApplicationFont(QStringLiteral(":/pelindra/fonts/NotoSansCJKsc-Bold-subset.otf"));
        QApplication::setFont(defaultFont());
        return true;
    }();
    (void)loaded;
}

QFont defaultFont()
{
    QFont font;
    font.setFamilies({kFamily});
    font.setPixelSize(kDefaultPixels);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

bool faceInstalled(std::string_view face)
{
    static QHash<QString, bool> known;
    const auto name = QString::fromUtf8(face.data(), qsizetype(face.size()));
    if (const auto it = known.constFind(name); it != known.constEnd())
        return *it;
    bool found = false;
    for (const auto& alias : aliasesOf(name))
        found = found || QFontDatabase::hasFamily(alias);
    known.insert(name, found);
    return found;
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
    int weight = spec.weight;
    if (!spec.face.empty()) {
        if (faceInstalled(spec.face)) {
            auto families = aliasesOf(QString::fromUtf8(spec.face.data(), qsizetype(spec.face.size())));
            families.append(kFamily);
            font.setFamilies(families);
        } else {
            weight = 700;
        }
    }
    font.setPixelSize(spec.pixels);
    font.setWeight(weight >= 700 ? QFont::Bold : QFont::Normal);
    font.setItalic(spec.italic);
    font.setUnderline(spec.underline);
    return font;
}

} // namespace pelindra::qt::fonts
