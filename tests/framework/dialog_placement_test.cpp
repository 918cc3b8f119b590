// Centring a new dialog on its owner, inside the work area.
#include "framework/dialog_placement.h"

#include <gtest/gtest.h>

#include "rcscript/resource_set.h"

namespace {

using framework::CentreDialog;
using framework::Rect;

TEST(DialogPlacementTest, CentredOnTheOwnerAndKeptInsideTheWorkArea) {
    const Rect area{0, 0, 1000, 700};
    const auto at = [&](const Rect& around) {
        const framework::DialogOrigin origin = CentreDialog(200, 100, around, area);
        return std::pair{origin.x, origin.y};
    };
    EXPECT_EQ(at({300, 200, 701, 401}), (std::pair{400, 250}));
    EXPECT_EQ(at(area), (std::pair{400, 300}));  // no owner: the work area
    // An owner near an edge: the dialog is pulled back in.
    EXPECT_EQ(at({-150, -50, 50, 50}), (std::pair{0, 0}));
    EXPECT_EQ(at({950, 650, 1150, 750}), (std::pair{800, 600}));
    // Larger than the area: its top-left corner stays visible.
    EXPECT_EQ(CentreDialog(1200, 900, area, area).x, 0);
    EXPECT_EQ(CentreDialog(1200, 900, area, area).y, 0);
    // Rectangles at the ends of the range do not overflow.
    const Rect huge{-2147483647, -2147483647, 2147483647, 2147483647};
    EXPECT_EQ(CentreDialog(100, 100, huge, huge).x, -50);
}

TEST(DialogPlacementTest, OnlyPopupsWithoutAPlacingStyleAreCentred) {
    using namespace framework;
    EXPECT_TRUE(IsCentredOnOwner(ws::Popup | ws::Caption | ds::ModalFrame));
    EXPECT_FALSE(IsCentredOnOwner(ws::Popup | ds::Center));
    EXPECT_FALSE(IsCentredOnOwner(ws::Popup | ds::AbsAlign));
    EXPECT_FALSE(IsCentredOnOwner(ws::Popup | 0x1000u));  // DS_CENTERMOUSE
    EXPECT_FALSE(IsCentredOnOwner(ws::Child));
}

}  // namespace
