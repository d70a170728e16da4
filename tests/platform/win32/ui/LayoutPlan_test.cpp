// Where the layout plan puts a dialog: its own place kept, or centred on its
// owner, and never beyond the work area's edges, at 96 and 144 dpi.
#include "win32/ui/LayoutPlan.h"

#include <gtest/gtest.h>

namespace ostrel::win32::view {
namespace {

TEST(LayoutPlan, PlacesTheDialogWithinTheWorkArea) {
  const RECT work{0, 0, 1000, 700};
  const RECT owner{200, 100, 600, 400};  // centre (400, 250)
  struct Case {
    const char* label;
    int dpi;
    ui::Rect rect;  // twips: place and client size
    RECT area;
    bool centred;  // on area's centre
    bool clamped;  // against the work area's right and bottom edges
  };
  const Case cases[] = {
      {"own place", 96, {1500, 1500, 3000, 2000}, work, false, false},
      {"centred on its owner", 96, {0, 0, 3000, 2000}, owner, true, false},
      {"centred at 144 dpi", 144, {0, 0, 3000, 2000}, owner, true, false},
      {"own place beyond the edge", 144, {14000, 9000, 3000, 2000}, work, false, true},
      {"centred on an owner at the edge",
       144,
       {0, 0, 6000, 4000},
       {700, 100, 1000, 400},
       false,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    const LayoutPlan plan(c.dpi);
    ui::Dialog dialog(u"frmTest");
    dialog.rect = c.rect;
    const RECT r = plan.Placement(dialog, c.area, work);
    const SIZE client = plan.ClientSize(dialog);
    EXPECT_EQ(client.cx, plan.Pixels(c.rect.width));
    EXPECT_GT(r.right - r.left, client.cx) << "the frame goes round the client area";
    EXPECT_GE(r.left, work.left);
    EXPECT_GE(r.top, work.top);
    EXPECT_LE(r.right, work.right);
    EXPECT_LE(r.bottom, work.bottom);
    if (c.centred) {
      EXPECT_LE(std::abs((r.left + r.right) / 2 - (c.area.left + c.area.right) / 2), 1);
      EXPECT_LE(std::abs((r.top + r.bottom) / 2 - (c.area.top + c.area.bottom) / 2), 1);
    } else if (!c.clamped) {
      EXPECT_EQ(r.left, plan.Pixels(c.rect.left));
      EXPECT_EQ(r.top, plan.Pixels(c.rect.top));
    } else {
      EXPECT_TRUE(r.right == work.right || r.bottom == work.bottom);
    }
  }
}

}  // namespace
}  // namespace ostrel::win32::view
