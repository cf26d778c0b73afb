#include "Screenshot.h"

#include <cstdint>
#include <vector>

namespace {

// A window larger than any screen would be a wrong rectangle.
constexpr LONG kLargestSide = 16384;

bool ScreenArea(HWND window, HWND over, RECT& area) {
  if (window == nullptr || !GetWindowRect(window, &area)) return false;
  RECT extra = {};
  if (over != nullptr && GetWindowRect(over, &extra)) UnionRect(&area, &area, &extra);
  const RECT screen = {GetSystemMetrics(SM_XVIRTUALSCREEN), GetSystemMetrics(SM_YVIRTUALSCREEN),
                       GetSystemMetrics(SM_XVIRTUALSCREEN) + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                       GetSystemMetrics(SM_YVIRTUALSCREEN) + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
  if (!IntersectRect(&area, &area, &screen)) return false;
  return area.right - area.left <= kLargestSide && area.bottom - area.top <= kLargestSide;
}

// The rows bottom up, each padded to four bytes, as a BMP stores them.
bool ReadScreen(const RECT& area, BITMAPINFOHEADER& header, std::vector<uint8_t>& pixels) {
  const int width = area.right - area.left;
  const int height = area.bottom - area.top;
  header = {};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) & ~static_cast<std::size_t>(3);
  pixels.assign(stride * static_cast<std::size_t>(height), 0);
  header.biSizeImage = static_cast<DWORD>(pixels.size());

  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return false;
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = memory != nullptr ? CreateCompatibleBitmap(screen, width, height) : nullptr;
  bool read = false;
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    read = BitBlt(memory, 0, 0, width, height, screen, area.left, area.top, SRCCOPY | CAPTUREBLT) != FALSE;
    SelectObject(memory, old);
    BITMAPINFO info = {};
    info.bmiHeader = header;
    read = read && GetDIBits(memory, bitmap, 0, static_cast<UINT>(height), pixels.data(), &info, DIB_RGB_COLORS) ==
                       height;
    DeleteObject(bitmap);
  }
  if (memory != nullptr) DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return read;
}

bool WriteAll(HANDLE file, const void* data, std::size_t size) {
  DWORD written = 0;
  return WriteFile(file, data, static_cast<DWORD>(size), &written, nullptr) && written == size;
}

bool WriteBmp(const std::string& path, const BITMAPINFOHEADER& header, const std::vector<uint8_t>& pixels) {
  BITMAPFILEHEADER file = {};
  file.bfType = 0x4D42;  // "BM"
  file.bfOffBits = sizeof file + sizeof header;
  file.bfSize = static_cast<DWORD>(file.bfOffBits + pixels.size());
  HANDLE handle = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return false;
  const bool written = WriteAll(handle, &file, sizeof file) && WriteAll(handle, &header, sizeof header) &&
                       WriteAll(handle, pixels.data(), pixels.size());
  // A file cut short would pass for a picture: it goes.
  if (!CloseHandle(handle) || !written) {
    DeleteFileA(path.c_str());
    return false;
  }
  return true;
}

}  // namespace

bool SaveScreenshot(HWND window, HWND over, const std::string& path) {
  RECT area = {};
  if (!ScreenArea(window, over, area)) return false;
  BITMAPINFOHEADER header = {};
  std::vector<uint8_t> pixels;
  return ReadScreen(area, header, pixels) && WriteBmp(path, header, pixels);
}
