#include "Palette.h"

namespace {

HFONT MakeFont(int height, bool italic, const char* face) {
  return CreateFontA(height, 0, 0, 0, FW_BOLD, italic, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, PROOF_QUALITY, DEFAULT_PITCH | FF_DONTCARE, face);
}

int TextHeightOnDisplay(HFONT font) {
  HDC display = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
  if (display == nullptr) return 0;
  HGDIOBJ previous = SelectObject(display, font);
  TEXTMETRICA metrics = {};
  int height = GetTextMetricsA(display, &metrics) ? metrics.tmHeight : 0;
  SelectObject(display, previous);
  DeleteDC(display);
  return height;
}

}  // namespace

Palette::Palette(const std::string& languageTag)
    : background_(CreateSolidBrush(kBackgroundColour)),
      panel_(CreateSolidBrush(kPanelColour)),
      red_(CreateSolidBrush(RGB(255, 0, 0))),
      blue_(CreateSolidBrush(RGB(0, 0, 255))),
      dark_(CreateSolidBrush(kDarkColour)),
      null_(CreatePen(PS_NULL, 0, 0)),
      olive_(CreatePen(PS_SOLID, 2, RGB(128, 128, 0))),
      yellow_(CreatePen(PS_SOLID, 2, RGB(255, 255, 0))),
      darkGrey_(CreatePen(PS_SOLID, 2, RGB(64, 64, 64))),
      title_(MakeFont(-24, true, "Arial")),
      ui_(MakeFont(-12, false, "Arial")),
      decorative_(MakeFont(languageTag == "DEU" ? -14 : -15, true, "Comic Sans MS")) {
  titleHeight_ = TextHeightOnDisplay(title_);
}

Palette::~Palette() {
  HGDIOBJ objects[] = {background_, panel_, red_, blue_, dark_, null_, olive_, yellow_, darkGrey_, title_, ui_,
                       decorative_};
  for (HGDIOBJ object : objects)
    if (object != nullptr) DeleteObject(object);
}
