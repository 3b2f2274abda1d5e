#include "window/Layout.h"

#include <gtest/gtest.h>

namespace qeltor::layout {
namespace {

TEST(TwipsTest, FifteenTwipsMakeAPixelAtTheDesignDpiAndOddValuesRoundToTheNearest) {
    EXPECT_EQ(TwipsToPixels(3915, 96), 261);
    EXPECT_EQ(TwipsToPixels(1860, 96), 124);
    EXPECT_EQ(TwipsToPixels(40, 96), 3);  // 2.67 pixels
    EXPECT_EQ(TwipsToPixels(45, 96), 3);
    EXPECT_EQ(TwipsToPixels(7, 96), 0);  // 0.47
    EXPECT_EQ(TwipsToPixels(8, 96), 1);  // 0.53
    EXPECT_EQ(TwipsToPixels(-360, 96), -24);
    EXPECT_EQ(TwipsToPixels(-8, 96), -1);      // -0.53
    EXPECT_EQ(TwipsToPixels(3915, 144), 392);  // 391.5 at 150 %: halves round away from zero, as MulDiv does
    EXPECT_EQ(TwipsToPixels(-3915, 144), -392);
    EXPECT_EQ(TwipsToPixels(5, 144), 1);  // 0.5
    EXPECT_EQ(TwipsToPixels(-5, 144), -1);
    EXPECT_EQ(TwipsToPixels(-15, 144), -2);    // -1.5
    EXPECT_EQ(TwipsToPixels(40, 120), 3);      // 3.33 at 125 %
    EXPECT_EQ(TwipsToPixels(3915, 192), 522);  // 200 %
    // Twips times DPI beyond what 32 bits hold: 10,000,000 x 480 and -9,000,000 x 480.
    EXPECT_EQ(TwipsToPixels(10'000'000, 480), 3'333'333);
    EXPECT_EQ(TwipsToPixels(-9'000'000, 480), -3'000'000);
    EXPECT_EQ(TwipsToPixels(4'500'003, 480), 1'500'001);  // 1,500,001.0 exactly
}

TEST(TwipsTest, DesignRectanglesComeOutAsTheWindowShowsThemAt96Dpi) {
    EXPECT_EQ(TwipsToPixels(kCommand1, 96), (Rect{64, 24, 161, 33}));
    EXPECT_EQ(TwipsToPixels(kPicture1, 96), (Rect{0, 99, 261, 25}));
    EXPECT_EQ(TwipsToPixels(kLabel1, 96), (Rect{-24, 3, 377, 25}));
    EXPECT_EQ(TwipsToPixels(kImage1, 96), (Rect{8, 16, 48, 48}));
}

TEST(LayoutRuleTest, NoticeTakesTheStripsWidthAtLeftZeroTopFortyAndKeepsItsHeight) {
    // In twips, the design size: from -360, 45, 5655 to 0, 40, 3915.
    EXPECT_EQ(LabelAfterResize(kLabel1, kPicture1.width, 40), (Rect{0, 40, 3915, 375}));
    // Whatever width the strip has at that moment.
    for (const int width : {0, 1, 200, 261, 1000}) {
        EXPECT_EQ(LabelAfterResize({-24, 3, 377, 25}, width, 3), (Rect{0, 3, width, 25}));
    }
}

TEST(LayoutRuleTest, StripSpansTheClientAreaWithItsBottomOnTheBottom) {
    EXPECT_EQ(DockedToBottom(kPicture1, kClientWidth, kClientHeight), kPicture1);
    EXPECT_EQ(DockedToBottom({0, 99, 261, 25}, 400, 300), (Rect{0, 275, 400, 25}));
    EXPECT_EQ(DockedToBottom({0, 99, 261, 25}, 261, 10), (Rect{0, -15, 261, 25}));
}

}  // namespace
}  // namespace qeltor::layout
