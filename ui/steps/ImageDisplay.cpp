#include "ImageDisplay.h"

#include <algorithm>

#include "Context.h"
#include "PicturePane.h"
#include "Window.h"

namespace {

Window* MainWindow() { return TheContext().mainWindow; }

int Width(const RECT& rect) { return rect.right - rect.left; }
int Height(const RECT& rect) { return rect.bottom - rect.top; }

}  // namespace

ImageDisplay::ImageDisplay(HWND parent) : Dialog(parent, kTemplate), pane_(new PicturePane) {}

ImageDisplay::~ImageDisplay() {
  if (window_ != nullptr && IsWindow(window_)) DestroyWindow(window_);
  pane_.reset();
}

// The related-file option stays off: the preview shows the file that was
// chosen, and a clip has no picture of its own to show.
bool ImageDisplay::LoadPictureData(const void* data, uint32_t length) {
  if (!pane_->LoadPicture(data, length, true)) return false;
  pictureWidth_ = pane_->Width();
  pictureHeight_ = pane_->Height();
  return true;
}

// Integer arithmetic, so that the shrunk picture with its border and the
// frame never exceeds the work area by a rounding, and no loop is needed.
PreviewLayout ImageDisplay::FitToWorkArea(uint32_t pictureWidth, uint32_t pictureHeight, SIZE work, SIZE frame) {
  PreviewLayout layout;
  const int64_t roomWidth = std::max<int64_t>(1, int64_t{work.cx} - frame.cx - 2 * kBorder);
  const int64_t roomHeight = std::max<int64_t>(1, int64_t{work.cy} - frame.cy - 2 * kBorder);
  int64_t width = pictureWidth, height = pictureHeight;
  if (width > 0 && height > 0 && (width > roomWidth || height > roomHeight)) {
    if (width * roomHeight >= height * roomWidth) {
      height = std::max<int64_t>(1, height * roomWidth / width);
      width = roomWidth;
    } else {
      width = std::max<int64_t>(1, width * roomHeight / height);
      height = roomHeight;
    }
  }
  layout.displayWidth = static_cast<int>(width);
  layout.displayHeight = static_cast<int>(height);
  layout.windowWidth = std::max<int>(kSmallestWidth, static_cast<int>(width + 2 * kBorder + frame.cx));
  layout.windowHeight = std::max<int>(kSmallestHeight, static_cast<int>(height + 2 * kBorder + frame.cy));
  return layout;
}

void ImageDisplay::OnInitDialog(HWND window) {
  window_ = window;
  RECT work = {}, outer = {}, client = {};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0)) GetWindowRect(GetDesktopWindow(), &work);
  GetWindowRect(window, &outer);
  GetClientRect(window, &client);
  const SIZE workSize = {Width(work), Height(work)};
  const SIZE frame = {Width(outer) - Width(client), Height(outer) - Height(client)};
  const PreviewLayout layout = FitToWorkArea(pictureWidth_, pictureHeight_, workSize, frame);
  displayWidth_ = layout.displayWidth;
  displayHeight_ = layout.displayHeight;
  SetWindowPos(window, nullptr, 0, 0, layout.windowWidth, layout.windowHeight, SWP_NOZORDER | SWP_NOMOVE);
  if (MainWindow() != nullptr) MainWindow()->CenterOverMain(window);
}

// The picture sits in the middle of the client area: at the border for a
// window sized to it, further in where the smallest window is larger.
void ImageDisplay::Paint(HWND window) {
  PAINTSTRUCT paint = {};
  HDC dc = BeginPaint(window, &paint);
  if (dc == nullptr) return;
  HBRUSH panel = MainWindow() != nullptr ? MainWindow()->Colours().PanelBrush() : GetSysColorBrush(COLOR_BTNFACE);
  FillRect(dc, &paint.rcPaint, panel);
  RECT client = {};
  GetClientRect(window, &client);
  const int x = std::max(kBorder, (Width(client) - displayWidth_) / 2);
  const int y = std::max(kBorder, (Height(client) - displayHeight_) / 2);
  pane_->Display(dc, x, y, displayWidth_, displayHeight_, 0, 0, -1, -1);
  EndPaint(window, &paint);
}

// Through the dialog base's cancel, which ends the modal loop with
// EndDialog: destroying the window instead would leave the owner disabled
// and activation elsewhere.
void ImageDisplay::CloseByUser(HWND window) { PostMessageA(window, WM_COMMAND, IDCANCEL, 0); }

INT_PTR ImageDisplay::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInitDialog(window);
      return TRUE;
    case WM_ERASEBKGND:
      if (!ErasePanelBackground(window, reinterpret_cast<HDC>(wParam))) break;
      return TRUE;
    case WM_PAINT:
      Paint(window);
      return TRUE;
    case WM_LBUTTONUP:
      CloseByUser(window);
      return TRUE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) != SC_CLOSE) break;
      CloseByUser(window);
      return TRUE;
    default:
      break;
  }
  return Dialog::HandleMessage(window, message, wParam, lParam);
}
