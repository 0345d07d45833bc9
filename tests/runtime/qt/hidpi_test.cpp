// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later

// The windows on a screen scaled by two: twice the pixels, and every one of them drawn at that scale
// rather than blown up from a drawing at the layout's size.

#include "rules/game_state.h"
#include "runtime/linux/linux_files.h"
#include "runtime/qt/form_window.h"
#include "runtime/qt/qt_runtime.h"
#include "screens/program.h"
#include "temp_dir.h"

#include <QApplication>
#include <QIcon>
#include <QImage>
#include <QWindow>
#include <cmath>
#include <cstdlib>
#include <gtest/gtest.h>

namespace pelindra::qt {
namespace {

// Mean difference per channel between two images of one size.
double meanDifference(const QImage& a, const QImage& b)
{
    const QImage x = a.convertToFormat(QImage::Format_RGB32);
    const QImage y = b.convertToFormat(QImage::Format_RGB32);
    double sum = 0;
    for (int row = 0; row < x.height(); ++row)
        for (int col = 0; col < x.width(); ++col) {
            const QRgb p = x.pixel(col, row);
            const QRgb q = y.pixel(col, row);
            sum +=
                std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * x.width() * x.height());
}

// How much the brightness changes from one pixel to the next: sharp edges change a lot at once.
double edgeStrength(const QImage& image)
{
    const QImage grey = image.convertToFormat(QImage::Format_Grayscale8);
    double sum = 0;
    double count = 0;
    for (int row = 0; row < grey.height(); ++row)
        for (int col = 1; col < grey.width(); ++col) {
            const int d = std::abs(qGray(grey.pixel(col, row)) - qGray(grey.pixel(col - 1, row)));
            if (d > 0) {
                sum += d;
                ++count;
            }
        }
    return count > 0 ? sum / count : 0;
}

class ScaledScreen : public ::testing::Test
{
protected:
    ScaledScreen()
    {
        defineWindows(rt, state);
        rt.LoadWindow("MenuWindow", false, {});
        rt.LoadWindow("GameWindow", false, {});
        rt.window("GameWindow")->show();
    }

    // Declared first: the menu reads or makes data.dat there, and the runtime must not outlive it.
    fixtures::TempDir files;
    FileStore store = settings::storeIn(files.path().string(), files.path().string() + "/user");
    QtRuntime rt{store};
    GameState state;
};

TEST_F(ScaledScreen, RunsAtScaleTwo)
{
    ASSERT_DOUBLE_EQ(rt.window("MenuWindow")->devicePixelRatioF(), 2.0) << "set QT_SCALE_FACTOR=2";
}

TEST_F(ScaledScreen, EveryWindowIsTwiceItsLayoutSize)
{
    for (const auto* name : {"MenuWindow", "GameWindow"}) {
        auto* window = rt.window(name);
        const QSize outer(window->windowLayout().width, window->windowLayout().height);
        EXPECT_EQ(window->frameGeometry().size(), outer) << name << ", frame included";
        const QImage shot = window->grab().toImage();
        EXPECT_EQ(shot.size(), window->size() * 2) << name << ": every pixel of the client area";
    }
}

TEST_F(ScaledScreen, TheBannerIsDrawnFromItsFullSizePicture)
{
    auto* menu = rt.window("MenuWindow");
    rt.SetProperty("MenuWindow", "透明标签1", Property::Visible, std::int32_t{0}); // "Studio" lies on it
    auto* banner = menu->widget("图片框2");
    const QImage shot = banner->grab().toImage();
    ASSERT_EQ(shot.size(), QSize(864, 368));
    const QImage source(QStringLiteral(":/pelindra/banner.jpg"));
    ASSERT_EQ(source.size(), QSize(880, 600));
    const QImage direct = source.scaled(shot.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const QImage blownUp = source.scaled(QSize(432, 184), Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                               .scaled(shot.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double fromSource = meanDifference(shot, direct);
    const double fromSmall = meanDifference(shot, blownUp);
    RecordProperty("difference_from_source", std::to_string(fromSource));
    RecordProperty("difference_from_blown_up", std::to_string(fromSmall));
    EXPECT_LT(fromSource, 1.0);
    EXPECT_LT(fromSource * 2, fromSmall) << "the banner looks like a 1x picture made bigger";
}

TEST_F(ScaledScreen, TextIsDrawnAtTheScreensResolution)
{
    auto* label = rt.window("GameWindow")->widget("透明标签14"); // "请按下： " in 29 px magenta
    const QImage sharp = label->grab().toImage();
    QImage small(label->size(), QImage::Format_ARGB32_Premultiplied);
    small.setDevicePixelRatio(1);
    small.fill(Qt::black);
    label->render(&small, {}, {}, QWidget::DrawChildren);
    QImage onBlack(sharp.size(), QImage::Format_ARGB32_Premultiplied);
    onBlack.fill(Qt::black);
    const QImage blownUp = small.scaled(sharp.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    const double sharpEdges = edgeStrength(sharp);
    const double blownUpEdges = edgeStrength(blownUp);
    RecordProperty("edge_ratio", std::to_string(sharpEdges / blownUpEdges));
    EXPECT_GT(sharpEdges, 1.3 * blownUpEdges);
}

TEST_F(ScaledScreen, TheWindowIconOffersItsLargerImages)
{
    const QIcon icon = rt.window("MenuWindow")->windowIcon();
    const auto sizes = icon.availableSizes();
    for (const int side : {16, 32, 48, 64, 128})
        EXPECT_TRUE(sizes.contains(QSize(side, side))) << side;
    EXPECT_EQ(icon.pixmap(QSize(32, 32), 2.0).size(), QSize(64, 64));
}

} // namespace
} // namespace pelindra::qt

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_SCALE_FACTOR"))
        qputenv("QT_SCALE_FACTOR", "2");
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
