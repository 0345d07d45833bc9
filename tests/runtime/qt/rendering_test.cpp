// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The program's own windows as the Qt runtime draws them: every glyph present, every text readable.

#include "drawn_at.h"
#include "rules/game_state.h"
#include "runtime/linux/linux_files.h"
#include "runtime/look.h"
#include "runtime/qt/fonts.h"
#include "runtime/qt/form_window.h"
#include "runtime/qt/qt_runtime.h"
#include "runtime/qt/widgets.h"
#include "screens/about_window.h"
#include "screens/game_window.h"
#include "screens/menu_window.h"
#include "screens/program.h"
#include "screens/record_window.h"
#include "temp_dir.h"

#include <QAccessible>
#include <QFile>
#include <QFontInfo>
#include <QImage>
#include <QRawFont>
#include <QTest>
#include <QTextLayout>
#include <cmath>
#include <gtest/gtest.h>
#include <iconv.h>
#include <string>
#include <utility>
#include <vector>

namespace pelindra::qt {
namespace {

const layout::Window* const kLayouts[] = {&menuLayout(), &gameLayout(), &recordLayout(), &aboutLayout()};

// Bytes in GB2312, or -1 when the text has a character that GB2312 lacks.
long gb2312Bytes(std::string_view utf8)
{
    iconv_t cd = iconv_open("GB2312", "UTF-8");
    std::string in(utf8);
    std::string out(in.size() * 2 + 16, '\0');
    char* inPtr = in.data();
    char* outPtr = out.data();
    std::size_t inLeft = in.size();
    std::size_t outLeft = out.size();
    const auto result = iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft);
    iconv_close(cd);
    if (result == static_cast<std::size_t>(-1))
        return -1;
    return static_cast<long>(out.size() - outLeft);
}

double luminance(const QColor& c)
{
    auto channel = [](int v) {
        const double s = v / 255.0;
        return s <= 0.04045 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(c.red()) + 0.7152 * channel(c.green()) + 0.0722 * channel(c.blue());
}

double contrast(double a, double b)
{
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

class Windows : public ::testing::Test
{
protected:
    Windows()
    {
        defineWindows(rt, state);
        // The record and about windows, built without their modal wait.
        for (const auto* form : kLayouts)
            if (form->name != "MenuWindow")
                rt.LoadWindow(form->name, false, {});
        rt.LoadWindow("MenuWindow", false, {});
    }

    // Declared first: the menu reads or makes data.dat there, and the runtime must not outlive it.
    fixtures::TempDir files;
    FileStore store = settings::storeIn(files.path().string(), files.path().string() + "/user");
    QtRuntime rt{store};
    GameState state;
};

TEST(Texts, AreAllInGb2312AndTheInstructionsTake260Bytes)
{
    for (const auto* form : kLayouts) {
        EXPECT_GE(gb2312Bytes(form->caption), 0) << form->caption;
        for (const auto& control : form->controls)
            EXPECT_GE(gb2312Bytes(control.text), 0) << control.name;
    }
    EXPECT_EQ(gb2312Bytes(layout::find(menuLayout(), "透明标签2")->text), 260);
}

TEST_F(Windows, EveryTextHasItsGlyphsInTheEmbeddedFaceAndInTheFontItIsDrawnIn)
{
    std::vector<QRawFont> embedded;
    for (const auto* name : {"PelindraSansSC-Regular.otf", "PelindraSansSC-Heavy.otf"}) {
        QFile file(QStringLiteral(":/pelindra/fonts/") + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << name;
        embedded.emplace_back(file.readAll(), 12);
        ASSERT_TRUE(embedded.back().isValid()) << name;
    }
    for (const auto* form : kLayouts) {
        auto* window = rt.window(form->name);
        ASSERT_NE(window, nullptr) << form->name;
        std::vector<std::pair<QString, QFont>> texts{{window->windowTitle(), window->font()}};
        for (const auto& control : form->controls)
            if (auto* text = qobject_cast<TextControl*>(window->widget(control.name)))
                texts.emplace_back(text->text(), text->font());
        for (const auto& [text, font] : texts) {
            for (const auto c : text.toUcs4()) {
                if (c == '\r' || c == '\n')
                    continue;
                for (const auto& face : embedded)
                    EXPECT_TRUE(face.supportsCharacter(c))
                        << "U+" << std::hex << c << " in " << text.toStdString() << " ("
                        << face.familyName().toStdString() << ")";
            }
            QTextLayout layout(text, font);
            layout.beginLayout();
            while (layout.createLine().isValid()) {
            }
            layout.endLayout();
            for (const auto& run : layout.glyphRuns())
                for (const auto glyph : run.glyphIndexes())
                    EXPECT_NE(glyph, 0u) << "a missing glyph in " << text.toStdString() << " drawn in "
                                         << run.rawFont().familyName().toStdString();
        }
    }
}

TEST_F(Windows, AskForTheSimplifiedChineseFaceByName)
{
    auto* label = rt.window("MenuWindow")->widget("透明标签2");
    EXPECT_EQ(QFontInfo(label->font()).family().toStdString(), look::kFamily);
    EXPECT_EQ(label->font().pixelSize(), 13);
}

TEST_F(Windows, EveryTextReadsAtLeastFourAndAHalfToOneAgainstWhatLiesBeneathIt)
{
    for (const auto* form : kLayouts) {
        auto* window = rt.window(form->name);
        window->show();
        std::vector<TextControl*> texts;
        for (const auto& control : form->controls)
            if (auto* text = qobject_cast<TextControl*>(window->widget(control.name)))
                texts.push_back(text);
        // What lies beneath: the window with every text taken away, its panels open.
        std::vector<bool> wasHidden;
        for (auto* t : texts) {
            wasHidden.push_back(t->isHidden());
            t->hide();
        }
        if (auto* panel = window->widget("分组框2"))
            panel->show();
        const QImage beneath = window->grab().toImage();
        if (auto* panel = window->widget("分组框2"))
            panel->hide();
        for (std::size_t i = 0; i < texts.size(); ++i)
            texts[i]->setVisible(!wasHidden[i]);

        for (auto* t : texts) {
            const QRect area = QRect(t->mapTo(window, QPoint(0, 0)), t->size()).intersected(window->rect());
            if (area.isEmpty())
                continue;
            double brightest = 0;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x)
                    brightest = std::max(brightest, luminance(beneath.pixelColor(x, y)));
            std::vector<QColor> inks{t->colour()};
            if (const auto type = t->layoutControl().type;
                type == layout::ControlType::LinkBox || type == layout::ControlType::LinkText)
                inks = {toQColor(look::linkLook(type, false, false).text),
                        toQColor(look::linkLook(type, true, false).text)};
            if (form->name == "GameWindow" && t->objectName() == QStringLiteral("透明标签2"))
                inks.push_back(QColor(255, 0, 0)); // the clock's last seconds
            for (const auto& ink : inks)
                EXPECT_GE(contrast(luminance(ink), brightest), 4.5)
                    << form->name << "." << t->objectName().toStdString() << " in "
                    << ink.name().toStdString();
        }
    }
}

TEST_F(Windows, StackTheMenusInstructionsPanelAboveTheBanner)
{
    auto* menu = rt.window("MenuWindow");
    rt.SetProperty("MenuWindow", "分组框2", Property::Visible, std::int32_t{1});
    EXPECT_EQ(drawnAt(menu, {200, 100}), menu->widget("透明标签2"));
    rt.SetProperty("MenuWindow", "分组框2", Property::Visible, std::int32_t{0});
    EXPECT_EQ(drawnAt(menu, {300, 140}), menu->widget("透明标签1")) << "Studio on the banner";
    EXPECT_EQ(drawnAt(menu, {100, 100}), menu->widget("图片框2"));
}

TEST_F(Windows, LetAClickOnTheBestScoreReachTheTopEdgeOfTheFirstBox)
{
    auto* game = rt.window("GameWindow");
    const QPoint topEdge(166, 213);
    ASSERT_EQ(drawnAt(game, topEdge), game->widget("透明标签21")) << "the best score's label lies over it";
    const auto* hit = rt.model().hit(*rt.model().window("GameWindow"), {topEdge.x(), topEdge.y()});
    ASSERT_NE(hit, nullptr);
    EXPECT_EQ(game->widget(hit->layout->name), game->widget("透明标签3"));
}

TEST_F(Windows, GiveAnEmptyBoxSomethingAScreenReaderCanSayWhileItsNameStaysWhatItShows)
{
    auto* box = QAccessible::queryAccessibleInterface(rt.window("GameWindow")->widget("透明标签3"));
    EXPECT_EQ(box->text(QAccessible::Name), QString());
    EXPECT_EQ(box->text(QAccessible::Description), QStringLiteral("空"));
    rt.SetProperty("GameWindow", "透明标签3", Property::Caption, std::string("7"));
    EXPECT_EQ(box->text(QAccessible::Description), QString());
}

// The names of a window's controls that can take the keyboard, in the order Tab walks them.
std::vector<std::string> tabOrder(const FormWindow& window)
{
    std::vector<std::string> names;
    const auto& state = *window.runtime().model().window(window.id());
    for (const auto* c : readingOrder(state))
        if (state.clickable(*c))
            names.emplace_back(c->layout->name);
    return names;
}

TEST_F(Windows, WalkTheKeyboardInReadingOrderAndStartItOnTheFirstActionWheneverThatShows)
{
    using Names = std::vector<std::string>;
    EXPECT_EQ(tabOrder(*rt.window("MenuWindow")),
              (Names{"超级链接框4", "超级链接框1", "超级链接框3", "超级链接框2"}));
    EXPECT_EQ(tabOrder(*rt.window("GameWindow")),
              (Names{"超级链接框2", "超级链接框1", "透明标签3", "透明标签4", "透明标签5", "透明标签7",
                     "透明标签8", "透明标签6", "透明标签9", "透明标签10", "透明标签11", "超级链接框3"}))
        << "the boxes row by row";
    EXPECT_EQ(tabOrder(*rt.window("RecordWindow")), (Names{"超级链接框2", "按钮2"}));
    for (const auto& [window, first] :
         {std::pair{"MenuWindow", "超级链接框1"}, std::pair{"RecordWindow", "按钮2"},
          std::pair{"AboutWindow", "超级链接框1"}})
        EXPECT_EQ(rt.window(window)->focusWidget(), rt.window(window)->widget(first)) << window;

    auto* game = rt.window("GameWindow");
    rt.SetProperty("GameWindow", "", Property::Visible, std::int32_t{1});
    game->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(game));
    EXPECT_EQ(QApplication::focusWidget(), game->widget("超级链接框1"));
    rt.SetProperty("GameWindow", "超级链接框1", Property::Visible, std::int32_t{0});
    EXPECT_EQ(QApplication::focusWidget(), game->widget("透明标签3")) << "on to the next, box 1";
    rt.SetProperty("GameWindow", "超级链接框1", Property::Visible, std::int32_t{1});
    EXPECT_EQ(QApplication::focusWidget(), game->widget("超级链接框1")) << "and back when it shows again";
}

TEST_F(Windows, ShowTheHandPointerOverTheDigitsOnly)
{
    const auto& game = *rt.model().window("GameWindow");
    EXPECT_TRUE(rt.model().handCursor(game, *game.control("透明标签8")));
    EXPECT_FALSE(rt.model().handCursor(game, *game.control("分组框6")));
    EXPECT_FALSE(rt.model().handCursor(game, *game.control("透明标签13")));
}

} // namespace
} // namespace pelindra::qt
