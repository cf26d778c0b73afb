// The program's drawing resources: the colours, brushes, pens and fonts that
// the main window and every dialog draw with. Made once with the main window
// object (before its window exists) and deleted with it.
#pragma once

#include <windows.h>

#include <string>

class Palette {
 public:
  static constexpr COLORREF kTextColour = RGB(0, 0, 255);
  static constexpr COLORREF kPanelColour = RGB(224, 227, 219);
  static constexpr COLORREF kBackgroundColour = RGB(204, 209, 194);
  static constexpr COLORREF kDarkColour = RGB(104, 109, 94);

  // The language tag "DEU" takes a smaller decorative font (longer words).
  explicit Palette(const std::string& languageTag);
  virtual ~Palette();
  Palette(const Palette&) = delete;
  Palette& operator=(const Palette&) = delete;

  HBRUSH BackgroundBrush() const { return background_; }
  HBRUSH PanelBrush() const { return panel_; }
  HBRUSH RedBrush() const { return red_; }
  HBRUSH BlueBrush() const { return blue_; }
  HBRUSH DarkBrush() const { return dark_; }

  HPEN NullPen() const { return null_; }
  HPEN OlivePen() const { return olive_; }
  HPEN YellowPen() const { return yellow_; }
  HPEN DarkGreyPen() const { return darkGrey_; }

  HFONT TitleFont() const { return title_; }
  HFONT UiFont() const { return ui_; }
  HFONT DecorativeFont() const { return decorative_; }
  // Text height of the title font on the display.
  int TitleHeight() const { return titleHeight_; }

 private:
  HBRUSH background_, panel_, red_, blue_, dark_;
  HPEN null_, olive_, yellow_, darkGrey_;
  HFONT title_, ui_, decorative_;
  int titleHeight_ = 0;
};
