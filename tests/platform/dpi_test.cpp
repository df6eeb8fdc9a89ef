#include "platform/dpi.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

using dpi::Rect;

TEST(DpiScale, At96EveryLengthStaysAsDesigned) {
    for (int value : {-7, 0, 1, 13, 75, 541, 32767}) EXPECT_EQ(dpi::Scale(value, 96), value) << value;
    EXPECT_EQ(dpi::ScaleRect({8, 312, 75, 25}, 96), (Rect{8, 312, 75, 25}));
}

TEST(DpiScale, CommonScalesRoundToTheNearestPixelHalvesAway) {
    // 125 %, 150 %, 175 %, 200 %
    EXPECT_EQ(dpi::Scale(541, 120), 676);  // 676.25
    EXPECT_EQ(dpi::Scale(541, 144), 812);  // 811.5
    EXPECT_EQ(dpi::Scale(498, 144), 747);
    EXPECT_EQ(dpi::Scale(75, 144), 113);   // 112.5
    EXPECT_EQ(dpi::Scale(25, 144), 38);    // 37.5
    EXPECT_EQ(dpi::Scale(13, 168), 23);    // 22.75
    EXPECT_EQ(dpi::Scale(13, 192), 26);
    // Just under and just over a half.
    EXPECT_EQ(dpi::Rescale(47, 96, 1), 0);   // 0.49
    EXPECT_EQ(dpi::Rescale(48, 96, 1), 1);   // 0.5
    EXPECT_EQ(dpi::Rescale(-48, 96, 1), -1);
    EXPECT_EQ(dpi::Rescale(-47, 96, 1), 0);
    EXPECT_EQ(dpi::Scale(-10, 144), -15);
    EXPECT_EQ(dpi::Scale(-11, 144), -17);    // -16.5
}

TEST(DpiScale, RescaleGoesBothWaysAndSurvivesLargeValues) {
    EXPECT_EQ(dpi::Rescale(812, 144, 96), 541);
    EXPECT_EQ(dpi::Rescale(113, 144, 96), 75);
    EXPECT_EQ(dpi::Rescale(60, 144, 120), 50);
    // The product would overflow 32 bits.
    EXPECT_EQ(dpi::Rescale(20'000'000, 96, 192), 40'000'000);
}

TEST(DpiScale, AFailedDpiReadingCountsAs96) {
    EXPECT_EQ(dpi::Usable(0), 96);
    EXPECT_EQ(dpi::Usable(-1), 96);
    EXPECT_EQ(dpi::Usable(144), 144);
    EXPECT_EQ(dpi::Scale(541, 0), 541);
    EXPECT_EQ(dpi::Rescale(60, 0, 144), 90);
    EXPECT_EQ(dpi::Rescale(90, 144, 0), 60);
}

TEST(DpiRect, EdgesAreScaledSoNeighboursStillMeet) {
    // The settings window's cancel button: 456,464 75x25.
    EXPECT_EQ(dpi::ScaleRect({456, 464, 75, 25}, 144), (Rect{684, 696, 113, 38}));
    // Two controls that meet at x = 82 meet at any scale, although at 150 %
    // position and width rounded alone would overlap by a pixel.
    for (int d : {120, 144, 168, 192}) {
        const Rect a = dpi::ScaleRect({7, 0, 75, 25}, d);
        const Rect b = dpi::ScaleRect({82, 0, 75, 25}, d);
        EXPECT_EQ(a.x + a.width, b.x) << d;
    }
    // Right edges that line up at 96 line up at 150 %: the list and the export button.
    const Rect list = dpi::ScaleRect({8, 8, 525, 296}, 144);
    const Rect button = dpi::ScaleRect({458, 312, 75, 25}, 144);
    EXPECT_EQ(list.x + list.width, button.x + button.width);
}

TEST(DpiRect, ASizeStaysWithinAPixelOfItsScaledLength) {
    for (int d = 96; d <= 288; d += 24) {
        for (int x : {0, 1, 7, 16, 233}) {
            for (int w : {1, 13, 25, 75, 140}) {
                const Rect r = dpi::ScaleRect({x, x, w, w}, d);
                const double exact = w * d / 96.0;
                EXPECT_LE(std::abs(r.width - exact), 1.0) << d << ' ' << x << ' ' << w;
                EXPECT_LE(std::abs(r.height - exact), 1.0) << d << ' ' << x << ' ' << w;
            }
        }
    }
}

TEST(DpiPlacedChild, AChildWhereItsDesignPutItFollowsTheDesign) {
    const Rect design{70, 0, 75, 25};
    // 96 -> 120 -> 144 -> 96: no drift, back exactly where it started.
    Rect at120 = dpi::PlacedChild(design, design, 96, 120);
    EXPECT_EQ(at120, dpi::ScaleRect(design, 120));
    Rect at144 = dpi::PlacedChild(design, at120, 120, 144);
    EXPECT_EQ(at144, dpi::ScaleRect(design, 144));
    EXPECT_EQ(dpi::PlacedChild(design, at144, 144, 96), design);
    // Rescaling the current place alone would have drifted on that trip.
    const Rect drifted = dpi::RescaleRect(dpi::RescaleRect(at120, 120, 144), 144, 96);
    EXPECT_NE(drifted, design) << "pick a design that shows the drift";
}

TEST(DpiPlacedChild, AMovedOrUndesignedChildHasItsCurrentPlaceRescaled) {
    const Rect design{8, 8, 70, 120};
    // Moved by the program (a box over a list cell): one pixel off counts.
    const Rect moved{281, 41, 71, 120};
    EXPECT_EQ(dpi::PlacedChild(design, moved, 96, 144), dpi::RescaleRect(moved, 96, 144));
    const Rect nearMiss{8, 8, 70, 121};
    EXPECT_EQ(dpi::PlacedChild(design, nearMiss, 96, 144), (Rect{12, 12, 105, 182}));
    EXPECT_EQ(dpi::PlacedChild(std::nullopt, Rect{10, 10, 20, 20}, 96, 144), (Rect{15, 15, 30, 30}));
    // Unchanged DPI leaves any child where it is.
    EXPECT_EQ(dpi::PlacedChild(design, moved, 144, 144), moved);
}

TEST(DpiPlacedComboBox, KeepsItsDroppedHeightWhateverItsFieldMeasures) {
    const Rect design{88, 232, 120, 200};
    // In place, the field 20 pixels high at 96: the design at the new scale.
    EXPECT_EQ(dpi::PlacedComboBox(design, Rect{88, 232, 120, 20}, 96, 144), dpi::ScaleRect(design, 144));
    EXPECT_EQ(dpi::PlacedComboBox(design, Rect{132, 348, 180, 29}, 144, 96), design);
    // Moved by the program: its place rescaled, its list as high as designed.
    const Rect moved = dpi::PlacedComboBox(design, Rect{10, 40, 120, 21}, 96, 144);
    EXPECT_EQ(moved, (Rect{15, 60, 180, 300}));
    // One pixel to the side is a move.
    EXPECT_EQ(dpi::PlacedComboBox(design, Rect{89, 232, 120, 20}, 96, 144).x, 134);
    // Without a design there is nothing better than the window's own height.
    EXPECT_EQ(dpi::PlacedComboBox(std::nullopt, Rect{10, 10, 60, 20}, 96, 144), (Rect{15, 15, 90, 30}));
}

TEST(DpiFontsAndIcons, FontHeightsAndIconSidesFollowTheScale) {
    EXPECT_EQ(dpi::FontHeight(13, 96), 13);
    EXPECT_EQ(dpi::FontHeight(13, 144), 20);  // 19.5
    EXPECT_EQ(dpi::FontHeight(16, 144), 24);
    EXPECT_EQ(dpi::FontHeight(15, 120), 19);  // 18.75
    // The sides Windows uses for SM_CXSMICON and SM_CXICON at the usual scales.
    const std::pair<int, int> small[] = {{96, 16}, {120, 20}, {144, 24}, {168, 28}, {192, 32}, {288, 48}};
    for (auto [d, side] : small) EXPECT_EQ(dpi::SmallIconSize(d), side) << d;
    const std::pair<int, int> large[] = {{96, 32}, {120, 40}, {144, 48}, {192, 64}};
    for (auto [d, side] : large) EXPECT_EQ(dpi::LargeIconSize(d), side) << d;
    EXPECT_EQ(dpi::SmallIconSize(0), 16);
}

}  // namespace
