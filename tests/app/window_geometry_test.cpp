#include "app/window_geometry.h"

#include <gtest/gtest.h>

TEST(WindowGeometry, ScaleRoundsLikeMulDiv) {
  EXPECT_EQ(ScalePx(1000, 96), 1000);
  EXPECT_EQ(ScalePx(12, 144), 18);
  EXPECT_EQ(ScalePx(1, 120), 1);   // 1.25 → 1
  EXPECT_EQ(ScalePx(2, 120), 3);   // 2.5 → 3 (half away from zero)
  EXPECT_EQ(ScalePx(-2, 120), -3);
}

TEST(WindowGeometry, DefaultRectangle) {
  // 1920 x 1040 work area at 96 DPI: 6/10 of the width is 1152.
  IntRect r = DefaultWindowRect(0, 0, 1920, 1040, 96);
  EXPECT_EQ(r.w, 1152);
  EXPECT_EQ(r.h, 936);
  EXPECT_EQ(r.x, 384);
  EXPECT_EQ(r.y, 52);
  // Narrow work area: raised to 1000, then lowered to the work area.
  r = DefaultWindowRect(0, 0, 1280, 1024, 96);
  EXPECT_EQ(r.w, 1000);
  EXPECT_EQ(r.x, 140);
  r = DefaultWindowRect(100, 50, 900, 700, 96);
  EXPECT_EQ(r.w, 900);
  EXPECT_EQ(r.x, 100);
  EXPECT_EQ(r.h, 630);
  EXPECT_EQ(r.y, 50 + 35);
  // At 144 DPI the minimum is 1500 px.
  EXPECT_EQ(DefaultWindowRect(0, 0, 2000, 1000, 144).w, 1500);
}

TEST(WindowGeometry, FrameCorrection) {
  IntRect out;
  // Windows 10 style: 7 px invisible borders left, right and bottom.
  ASSERT_TRUE(FrameCorrectedRect({10, 10, 800, 600}, 10, 10, 810, 610, 17, 10, 803, 603, out));
  EXPECT_EQ(out.x, 3);
  EXPECT_EQ(out.y, 10);
  EXPECT_EQ(out.w, 814);
  EXPECT_EQ(out.h, 607);
  // No border at all, or one that is implausibly large: the first placement stands.
  EXPECT_FALSE(FrameCorrectedRect({10, 10, 800, 600}, 10, 10, 810, 610, 10, 10, 810, 610, out));
  EXPECT_FALSE(FrameCorrectedRect({10, 10, 800, 600}, 10, 10, 810, 610, 50, 10, 803, 603, out));
}
