#include "PictureFrame.h"

#include <new>
#include <string>

#include "Context.h"
#include "File.h"
#include "Media.h"
#include "PicturePane.h"
#include "Window.h"

namespace {

constexpr double kShrinkStep = 0.95;
// The shrinking stops long before this; the bound keeps any size finite.
constexpr int kMostShrinkSteps = 200;

}  // namespace

PictureFrame::PictureFrame() = default;

PictureFrame::~PictureFrame() {
  if (control_ != nullptr && IsWindow(control_)) {
    SetWindowLongPtrA(control_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous_));
    RemovePropA(control_, "Object");
  }
}

bool PictureFrame::Attach(HWND control) {
  if (control == nullptr) return false;
  control_ = control;
  SetPropA(control, "Object", this);
  previous_ = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&PictureFrame::Procedure)));
  return previous_ != nullptr;
}

void PictureFrame::Release() {
  picture_.reset();
  if (control_ != nullptr) InvalidateRect(control_, nullptr, TRUE);
}

// A video whose picture lives in a file beside it names that file; the
// record keeps the name, so that the next selection goes there at once. The
// file named is tried once: a name that comes back, or a second hop, ends it.
bool PictureFrame::Load(File& record, Media& media) {
  Release();
  bool related = true;
  for (int attempt = 0; attempt < 2; ++attempt) {
    const File* source = &record;
    if (!record.stepText.empty()) {
      const File* named = record.findChild(record.stepText);
      if (named != nullptr && named != &record && !named->isDirectory) {
        source = named;
      } else {
        related = false;
      }
    }
    if (LoadData(*source, media, related && source == &record)) return true;
    if (picture_ == nullptr || picture_->ErrorCode() != PicturePane::kRelatedFile || source != &record) break;
    const std::string named = picture_->ErrorText();
    if (named.empty() || named == record.stepText) break;
    record.stepText = named;
  }
  picture_.reset();
  return false;
}

bool PictureFrame::LoadData(const File& source, Media& media, bool related) {
  picture_.reset();
  std::unique_ptr<uint8_t[]> data = ReadPictureData(source, media);
  if (data == nullptr) return false;
  picture_ = std::make_unique<PicturePane>();
  picture_->SetRelatedFileOption(related ? 1 : 0);
  if (!picture_->LoadPicture(data.get(), static_cast<uint32_t>(source.size), true)) return false;
  if (control_ != nullptr) InvalidateRect(control_, nullptr, TRUE);
  return true;
}

RECT PictureFrame::Placement(int frameWidth, int frameHeight, int width, int height) {
  RECT place = {0, 0, 0, 0};
  if (frameWidth <= 0 || frameHeight <= 0 || width <= 0 || height <= 0) return place;
  if (width < frameWidth && height < frameHeight) {
    place.left = (frameWidth - width) / 2;
    place.top = (frameHeight - height) / 2;
    place.right = place.left + width;
    place.bottom = place.top + height;
    return place;
  }
  double scale = static_cast<double>(frameHeight) / height;
  const double across = static_cast<double>(frameWidth) / width;
  if (across < scale) scale = across;
  for (int step = 0; step < kMostShrinkSteps; ++step, scale *= kShrinkStep) {
    const int shownWidth = static_cast<int>(width * scale);
    const int shownHeight = static_cast<int>(height * scale);
    if (shownWidth > frameWidth || shownHeight > frameHeight) continue;
    place.left = (frameWidth - shownWidth) / 2;
    place.top = (frameHeight - shownHeight) / 2;
    place.right = place.left + shownWidth;
    place.bottom = place.top + shownHeight;
    return place;
  }
  return place;
}

LRESULT CALLBACK PictureFrame::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* self = static_cast<PictureFrame*>(GetPropA(window, "Object"));
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  if (message == WM_PAINT) {
    self->Paint(window);
    return 0;
  }
  if (message == WM_ERASEBKGND) return TRUE;  // the painting fills it all
  const WNDPROC previous = self->previous_;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
    RemovePropA(window, "Object");
    self->control_ = nullptr;
  }
  return CallWindowProcA(previous, window, message, wParam, lParam);
}

void PictureFrame::Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (dc == nullptr) return;
  const Window* main = TheContext().mainWindow;
  if (picture_ == nullptr || main == nullptr) {
    FillRect(dc, &paint.rcPaint, static_cast<HBRUSH>(GetStockObject(GRAY_BRUSH)));
  } else {
    FillRect(dc, &paint.rcPaint, main->Colours().PanelBrush());
    RECT client = {};
    GetClientRect(window, &client);
    const RECT place = Placement(client.right, client.bottom, picture_->Width(), picture_->Height());
    if (place.right > place.left)
      picture_->Display(dc, place.left, place.top, place.right - place.left, place.bottom - place.top, 0, 0, -1, -1);
  }
  EndPaint(window, &paint);
}

std::unique_ptr<uint8_t[]> ReadPictureData(const File& record, Media& media) {
  if (record.size == 0 || record.size > PictureFrame::kLargestPicture) return nullptr;
  std::unique_ptr<uint8_t[]> data(new (std::nothrow) uint8_t[static_cast<std::size_t>(record.size)]);
  if (data == nullptr) return nullptr;
  if (!record.readData(media, data.get(), record.size)) return nullptr;
  return data;
}
