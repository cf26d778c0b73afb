// Every dialog template of the language module (and the suite's own step)
// is usable with a screen reader: bitmap buttons say what they do through
// their window text, and the tab key moves through the controls in reading
// order (down a column, along a row).
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "Context.h"
#include "ToolkitTestSupport.h"

namespace {

INT_PTR CALLBACK Quiet(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

BOOL CALLBACK CollectTemplate(HMODULE, LPCSTR, LPSTR name, LONG_PTR ids) {
  if (IS_INTRESOURCE(name)) reinterpret_cast<std::vector<WORD>*>(ids)->push_back(LOWORD(name));
  return TRUE;
}

std::vector<WORD> TemplatesOf(HMODULE module) {
  std::vector<WORD> ids;
  EnumResourceNamesA(module, MAKEINTRESOURCEA(5) /* RT_DIALOG */, &CollectTemplate, reinterpret_cast<LONG_PTR>(&ids));
  return ids;
}

bool IsBitmapButton(HWND control) {
  char name[16] = {};
  GetClassNameA(control, name, sizeof name);
  return lstrcmpiA(name, "Button") == 0 && (GetWindowLongPtrA(control, GWL_STYLE) & BS_BITMAP);
}

// The tab key follows the order of the controls (their z-order) through
// those with WS_TABSTOP; disabled ones count, as they are enabled later.
std::vector<HWND> TabOrder(HWND dialog) {
  std::vector<HWND> order;
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT))
    if (GetWindowLongPtrA(child, GWL_STYLE) & WS_TABSTOP) order.push_back(child);
  return order;
}

bool OverlapHorizontally(const RECT& a, const RECT& b) { return a.left < b.right && b.left < a.right; }
bool OverlapVertically(const RECT& a, const RECT& b) { return a.top < b.bottom && b.top < a.bottom; }

// Reading order allows going down a column or right along a row; it never
// goes back up within a column or back left within a row.
void ExpectReadingOrder(HWND dialog, int templateId) {
  const std::vector<HWND> order = TabOrder(dialog);
  for (std::size_t i = 0; i < order.size(); ++i)
    for (std::size_t j = i + 1; j < order.size(); ++j) {
      const RECT earlier = RectInParent(order[i]), later = RectInParent(order[j]);
      const bool upInColumn = OverlapHorizontally(earlier, later) && later.bottom <= earlier.top;
      const bool leftInRow = OverlapVertically(earlier, later) && later.right <= earlier.left;
      EXPECT_FALSE(upInColumn || leftInRow) << "template " << templateId << ": control "
                                            << GetDlgCtrlID(order[j]) << " comes after "
                                            << GetDlgCtrlID(order[i]);
    }
}

void ExpectBitmapButtonsNamed(HWND dialog, int templateId) {
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
    if (IsBitmapButton(child)) {
      EXPECT_GT(GetWindowTextLengthA(child), 0) << "template " << templateId << ": button " << GetDlgCtrlID(child);
    }
  }
}

class TemplateTest : public MainWindowStage {};

}  // namespace

TEST_F(TemplateTest, EveryTemplateOfTheLanguageModuleReadsInOrder) {
  HMODULE language = static_cast<HMODULE>(TheContext().LanguageModule);
  const std::vector<WORD> ids = TemplatesOf(language);
  ASSERT_FALSE(ids.empty());
  for (WORD id : ids) {
    HWND dialog = CreateDialogParamA(language, MAKEINTRESOURCEA(id), Main().Handle(), &Quiet, 0);
    ASSERT_NE(dialog, nullptr) << "template " << id;
    ExpectBitmapButtonsNamed(dialog, id);
    ExpectReadingOrder(dialog, id);
    DestroyWindow(dialog);
  }
}

TEST_F(TemplateTest, TheSuitesStepReadsInOrder) {
  TestDialog& step = OpenStep();
  ExpectBitmapButtonsNamed(step.Handle(), IDD_EVERY_CONTROL);
  ExpectReadingOrder(step.Handle(), IDD_EVERY_CONTROL);
  EXPECT_GT(TabOrder(step.Handle()).size(), 10u);
}
