// SPDX-FileCopyrightText: 2026 The Pelindra developers
// SPDX-License-Identifier: GPL-3.0-or-later
#include "runtime/win32/pictures.h"
#include "runtime/win32/resource_ids.h"
#include "runtime/win32/resources.h"

#include <array>
#include <gtest/gtest.h>
#include <objbase.h>

namespace pelindra::win32 {
namespace {

TEST(BestFrame, TakesTheSmallestImageThatCoversTheSizeElseTheLargest)
{
    const std::array<SIZE, 5> icon{{{128, 128}, {64, 64}, {48, 48}, {32, 32}, {16, 16}}};
    struct Case
    {
        SIZE wanted;
        LONG width;
    };
    for (const auto& [wanted, width] : {Case{{40, 40}, 48}, Case{{48, 48}, 48}, Case{{16, 64}, 64},
                                        Case{{300, 300}, 128}, Case{{0, 0}, 128}, Case{{1, 1}, 16}})
        EXPECT_EQ(icon[bestFrame(icon, wanted)].cx, width) << wanted.cx << "x" << wanted.cy;
}

struct Com
{
    Com() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~Com() { CoUninitialize(); }
};

class PicturesTest : public testing::Test
{
protected:
    Com com; // before the pictures, which need it
    Pictures pictures{GetModuleHandleW(nullptr)};
};

// Mean of each colour channel, so that a scaled picture can be held against the original.
std::array<double, 3> meanColour(const Picture& picture)
{
    std::array<double, 3> sum{};
    for (const std::uint32_t pixel : picture.pixels())
        for (int channel = 0; channel < 3; ++channel)
            sum[channel] += (pixel >> (8 * channel)) & 0xff;
    for (auto& s : sum)
        s /= static_cast<double>(picture.pixels().size());
    return sum;
}

TEST_F(PicturesTest, AJpegComesOpaqueAtItsOwnOrTheAskedSizeWithItsColoursKept)
{
    ASSERT_TRUE(pictures.available());
    const Picture* full = pictures.get(PELINDRA_RES_BANNER, {});
    const Picture* small = pictures.get(PELINDRA_RES_BANNER, {220, 150});
    ASSERT_TRUE(full && small);
    EXPECT_EQ(full->size().cx, 880);
    EXPECT_EQ(full->size().cy, 600);
    EXPECT_EQ(small->size().cx, 220);
    EXPECT_EQ(small->size().cy, 150);
    for (const Picture* picture : {full, small})
        for (const std::uint32_t pixel : picture->pixels())
            ASSERT_EQ(pixel >> 24, 0xffu);
    const auto a = meanColour(*full);
    const auto b = meanColour(*small);
    for (int channel = 0; channel < 3; ++channel)
        EXPECT_NEAR(a[channel], b[channel], 3.0) << "channel " << channel;
}

TEST_F(PicturesTest, AnIconKeepsItsTransparencyPremultiplied)
{
    const Picture* icon = pictures.get(PELINDRA_RES_ABOUT_PICTURE, {64, 64});
    ASSERT_TRUE(icon);
    int clear = 0;
    int opaque = 0;
    for (const std::uint32_t pixel : icon->pixels()) {
        const std::uint32_t alpha = pixel >> 24;
        for (int channel = 0; channel < 3; ++channel)
            ASSERT_LE((pixel >> (8 * channel)) & 0xff, alpha) << std::hex << pixel;
        clear += alpha == 0;
        opaque += alpha == 0xff;
    }
    EXPECT_GT(clear, 0);
    EXPECT_GT(opaque, 0);
}

TEST_F(PicturesTest, EachSizeIsDecodedOnceAndWhatIsNoPictureGivesNone)
{
    const Picture* block = pictures.get(PELINDRA_RES_BLOCK, {80, 80});
    EXPECT_EQ(pictures.get(PELINDRA_RES_BLOCK, {80, 80}), block);
    EXPECT_NE(pictures.get(PELINDRA_RES_BLOCK, {81, 80}), block);
    EXPECT_EQ(pictures.get(PELINDRA_RES_FONT_REGULAR, {}), nullptr);
    EXPECT_EQ(pictures.get(9999, {}), nullptr);
    const auto resource = assetResource("block.jpg");
    ASSERT_TRUE(resource);
    EXPECT_EQ(resource->id, PELINDRA_RES_BLOCK);
}

} // namespace
} // namespace pelindra::win32
