#include "WicDecoder.h"

#include <wincodec.h>
#include <wrl/client.h>

#include <algorithm>
#include <new>

#include "ComApartment.h"
#include "PicturePane.h"
#include "PictureSize.h"

using Microsoft::WRL::ComPtr;

namespace {

constexpr uint32_t kLargestSide = 65535;
// The main window's panel, behind a picture's transparent parts.
constexpr uint32_t kPanelRed = 224, kPanelGreen = 227, kPanelBlue = 219;

uint32_t Blend(uint32_t colour, uint32_t panel, uint32_t alpha) { return (colour * alpha + panel * (255 - alpha)) / 255; }

uint32_t OverPanel(uint32_t bgra) {
  const uint32_t alpha = bgra >> 24;
  if (alpha == 255) return bgra & 0x00FFFFFF;
  const uint32_t blue = Blend(bgra & 0xFF, kPanelBlue, alpha);
  const uint32_t green = Blend(bgra >> 8 & 0xFF, kPanelGreen, alpha);
  const uint32_t red = Blend(bgra >> 16 & 0xFF, kPanelRed, alpha);
  return red << 16 | green << 8 | blue;
}

// The largest size within kLargestKeptSide with the picture's proportions.
void KeptSize(uint32_t width, uint32_t height, uint32_t& keptWidth, uint32_t& keptHeight) {
  keptWidth = width;
  keptHeight = height;
  const uint32_t longest = std::max(width, height);
  if (longest <= kLargestKeptSide) return;
  keptWidth = std::max<uint32_t>(1, static_cast<uint32_t>(uint64_t{width} * kLargestKeptSide / longest));
  keptHeight = std::max<uint32_t>(1, static_cast<uint32_t>(uint64_t{height} * kLargestKeptSide / longest));
}

uint32_t OpenFrame(IWICImagingFactory* factory, const uint8_t* data, std::size_t length,
                   ComPtr<IWICBitmapFrameDecode>& frame) {
  ComPtr<IWICStream> stream;
  if (FAILED(factory->CreateStream(&stream))) return PicturePane::kNoResources;
  if (FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(data), static_cast<DWORD>(length))))
    return PicturePane::kNoResources;
  ComPtr<IWICBitmapDecoder> decoder;
  if (FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand, &decoder)))
    return PicturePane::kNotAPicture;
  if (FAILED(decoder->GetFrame(0, &frame))) return PicturePane::kUnreadable;
  return PicturePane::kNoError;
}

// The frame as 32-bit BGRA rows.
uint32_t Converted(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, ComPtr<IWICFormatConverter>& converter) {
  if (FAILED(factory->CreateFormatConverter(&converter))) return PicturePane::kNoResources;
  if (FAILED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return PicturePane::kUnreadable;
  return PicturePane::kNoError;
}

// The average over the panel of the band's pixels in columns [x0, x1).
uint32_t Average(const std::vector<uint32_t>& band, uint32_t width, uint32_t rows, uint32_t x0, uint32_t x1) {
  uint64_t blue = 0, green = 0, red = 0;
  for (uint32_t y = 0; y < rows; ++y)
    for (uint32_t x = x0; x < x1; ++x) {
      const uint32_t pixel = OverPanel(band[std::size_t{y} * width + x]);
      blue += pixel & 0xFF, green += pixel >> 8 & 0xFF, red += pixel >> 16 & 0xFF;
    }
  const uint64_t count = uint64_t{rows} * (x1 - x0);
  return static_cast<uint32_t>(red / count << 16 | green / count << 8 | blue / count);
}

// Each kept pixel is the average of the frame's pixels it covers. The
// frame is read a band of rows at a time, so that besides the decoder's
// own copy only one band is held.
uint32_t CopyRows(IWICBitmapSource* source, DecodedPicture& picture) {
  const uint32_t width = picture.width, height = picture.height;
  picture.pixels.resize(std::size_t{picture.keptWidth} * picture.keptHeight);
  std::vector<uint32_t> band;
  for (uint32_t row = 0; row < picture.keptHeight; ++row) {
    const uint32_t y0 = static_cast<uint32_t>(uint64_t{row} * height / picture.keptHeight);
    const uint32_t y1 = std::max(y0 + 1, static_cast<uint32_t>(uint64_t{row + 1} * height / picture.keptHeight));
    band.resize(std::size_t{width} * (y1 - y0));
    const WICRect rect = {0, static_cast<INT>(y0), static_cast<INT>(width), static_cast<INT>(y1 - y0)};
    if (FAILED(source->CopyPixels(&rect, width * 4, static_cast<UINT>(band.size() * 4),
                                  reinterpret_cast<BYTE*>(band.data()))))
      return PicturePane::kUnreadable;
    uint32_t* kept = picture.pixels.data() + std::size_t{row} * picture.keptWidth;
    for (uint32_t column = 0; column < picture.keptWidth; ++column) {
      const uint32_t x0 = static_cast<uint32_t>(uint64_t{column} * width / picture.keptWidth);
      const uint32_t x1 = std::max(x0 + 1, static_cast<uint32_t>(uint64_t{column + 1} * width / picture.keptWidth));
      kept[column] = Average(band, width, y1 - y0, x0, x1);
    }
  }
  return PicturePane::kNoError;
}

bool AcceptedSize(uint64_t width, uint64_t height) {
  return width != 0 && height != 0 && width <= kLargestSide && height <= kLargestSide &&
         width * height <= kLargestFramePixels;
}

uint32_t Decode(const uint8_t* data, std::size_t length, DecodedPicture& picture) {
  ClaimedSize claimed;
  if (ReadClaimedSize(SectorWindow(data, length), claimed) && !AcceptedSize(claimed.width, claimed.height))
    return PicturePane::kSizeRefused;
  ComApartment com;
  if (!com.Usable()) return PicturePane::kNoResources;
  ComPtr<IWICImagingFactory> factory;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))))
    return PicturePane::kNoResources;
  ComPtr<IWICBitmapFrameDecode> frame;
  uint32_t code = OpenFrame(factory.Get(), data, length, frame);
  if (code != PicturePane::kNoError) return code;
  UINT width = 0, height = 0;
  if (FAILED(frame->GetSize(&width, &height))) return PicturePane::kUnreadable;
  if (!AcceptedSize(width, height)) return PicturePane::kSizeRefused;
  picture.width = width;
  picture.height = height;
  KeptSize(width, height, picture.keptWidth, picture.keptHeight);
  ComPtr<IWICFormatConverter> converter;
  code = Converted(factory.Get(), frame.Get(), converter);
  if (code != PicturePane::kNoError) return code;
  return CopyRows(converter.Get(), picture);
}

}  // namespace

uint32_t DecodeWithWic(const uint8_t* data, std::size_t length, DecodedPicture& picture) {
  if (length == 0 || length > MAXDWORD) return PicturePane::kNoData;
  return Decode(data, length, picture);
}
