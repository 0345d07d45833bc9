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
