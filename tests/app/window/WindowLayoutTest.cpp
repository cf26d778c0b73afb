// Where the main window puts things, and the drawing resources it makes.
#include <gtest/gtest.h>

#include "Palette.h"
#include "WindowLayout.h"

namespace {

const SIZE kLogo = {60, 60};

WindowLayout MainWindowLayout(int titleHeight = 27) { return WindowLayout(700, 500, kLogo, titleHeight); }

}  // namespace

TEST(Gradient, BandsDarkenBy100OverTheBandCount) {
  EXPECT_EQ(GradientBandCount(500), 47);
  EXPECT_EQ(GradientBandColour(0, 500), RGB(204, 209, 194));
  // 204 - 100/47 = 201.87...: truncated, not rounded.
  EXPECT_EQ(GradientBandColour(1, 500), RGB(201, 206, 191));
  EXPECT_EQ(GradientBandColour(3, 500), RGB(197, 202, 187));
  EXPECT_EQ(GradientBandColour(30, 500), RGB(140, 145, 130));
  EXPECT_EQ(GradientBandColour(47, 500), RGB(104, 109, 94));
  EXPECT_EQ(GradientBandColour(80, 500), RGB(104, 109, 94));
}

TEST(Gradient, ATinyWindowStillHasOneBand) {
  EXPECT_EQ(GradientBandCount(35), 1);
  EXPECT_EQ(GradientBandColour(0, 35), RGB(204, 209, 194));
}

TEST(Layout, CaptionButtonsAndLogo) {
  WindowLayout layout = MainWindowLayout();
  EXPECT_EQ(layout.close.left, 673);
  EXPECT_EQ(layout.close.right, 690);
  EXPECT_EQ(layout.minimise.left, 651);
  EXPECT_EQ(layout.help.left, 629);
  EXPECT_EQ(layout.buttons.left, 629);
  EXPECT_EQ(layout.buttons.right, 690);
  EXPECT_EQ(layout.buttons.top, 10);
  EXPECT_EQ(layout.buttons.bottom, 27);
  EXPECT_EQ(layout.logo.right, 65);
  EXPECT_EQ(layout.logo.bottom, 65);
}

TEST(Layout, ProductNameSitsBesideTheLogoAboveTheTitleLine) {
  // (60 - 27) / 2 + 10 = 26 would reach into the title line at 47.
  EXPECT_EQ(MainWindowLayout(27).productName.y, 20);
  EXPECT_EQ(MainWindowLayout(27).productName.x, 80);
  EXPECT_EQ(MainWindowLayout(40).productName.y, 7);
  // A title as high as the logo starts at 10.
  EXPECT_EQ(WindowLayout(700, 500, SIZE{60, 20}, 27).productName.y, 10);
}

TEST(Layout, TheTopBandDragsTheWindowExceptButtonsAndLogo) {
  WindowLayout layout = MainWindowLayout();
  EXPECT_EQ(layout.HitTest(POINT{300, 30}), HTCAPTION);
  EXPECT_EQ(layout.HitTest(POINT{300, 69}), HTCAPTION);
  EXPECT_EQ(layout.HitTest(POINT{680, 5}), HTCAPTION);
  EXPECT_EQ(layout.HitTest(POINT{300, 70}), HTCLIENT);
  EXPECT_EQ(layout.HitTest(POINT{681, 18}), HTCLIENT);
  EXPECT_EQ(layout.HitTest(POINT{640, 18}), HTCLIENT);
  // Between the buttons is still client area: their union counts.
  EXPECT_EQ(layout.HitTest(POINT{670, 18}), HTCLIENT);
  EXPECT_EQ(layout.HitTest(POINT{30, 30}), HTCLIENT);
}

TEST(Layout, ClicksFindTheirPart) {
  WindowLayout layout = MainWindowLayout();
  EXPECT_EQ(layout.PartAt(POINT{681, 18}), WindowPart::kClose);
  EXPECT_EQ(layout.PartAt(POINT{660, 18}), WindowPart::kMinimise);
  EXPECT_EQ(layout.PartAt(POINT{640, 18}), WindowPart::kHelp);
  EXPECT_EQ(layout.PartAt(POINT{30, 30}), WindowPart::kLogo);
  EXPECT_EQ(layout.PartAt(POINT{670, 18}), WindowPart::kNothing);
  EXPECT_EQ(layout.PartAt(POINT{690, 18}), WindowPart::kNothing);
}

namespace {

LOGFONTA FontOf(HFONT font) {
  LOGFONTA description = {};
  GetObjectA(font, sizeof description, &description);
  return description;
}

}  // namespace

TEST(Palette, FontsFollowTheLanguageTag) {
  Palette english("ENU");
  Palette german("DEU");
  EXPECT_EQ(FontOf(english.DecorativeFont()).lfHeight, -15);
  EXPECT_EQ(FontOf(german.DecorativeFont()).lfHeight, -14);
  EXPECT_STREQ(FontOf(german.DecorativeFont()).lfFaceName, "Comic Sans MS");

  LOGFONTA title = FontOf(english.TitleFont());
  EXPECT_EQ(title.lfHeight, -24);
  EXPECT_TRUE(title.lfItalic);
  EXPECT_EQ(title.lfWeight, FW_BOLD);
  EXPECT_EQ(title.lfQuality, PROOF_QUALITY);
  EXPECT_STREQ(title.lfFaceName, "Arial");
  EXPECT_EQ(FontOf(english.UiFont()).lfHeight, -12);
  EXPECT_FALSE(FontOf(english.UiFont()).lfItalic);
  // A 24-pixel em makes a line of more than 24 pixels.
  EXPECT_GT(english.TitleHeight(), 24);
}
