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

// The frame as 32-bit BGRA, scaled to the kept size.
uint32_t KeptSource(IWICImagingFactory* factory, IWICBitmapFrameDecode* frame, const DecodedPicture& picture,
                    ComPtr<IWICBitmapSource>& source) {
  ComPtr<IWICFormatConverter> converter;
  if (FAILED(factory->CreateFormatConverter(&converter))) return PicturePane::kNoResources;
  if (FAILED(converter->Initialize(frame, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                   WICBitmapPaletteTypeCustom)))
    return PicturePane::kUnreadable;
  if (picture.keptWidth == picture.width && picture.keptHeight == picture.height) {
    source = converter;
    return PicturePane::kNoError;
  }
  ComPtr<IWICBitmapScaler> scaler;
  if (FAILED(factory->CreateBitmapScaler(&scaler))) return PicturePane::kNoResources;
  if (FAILED(scaler->Initialize(converter.Get(), picture.keptWidth, picture.keptHeight,
                                WICBitmapInterpolationModeFant)))
    return PicturePane::kUnreadable;
  source = scaler;
  return PicturePane::kNoError;
}

uint32_t CopyRows(IWICBitmapSource* source, DecodedPicture& picture) {
  const std::size_t count = std::size_t{picture.keptWidth} * picture.keptHeight;
  picture.pixels.resize(count);
  const UINT stride = picture.keptWidth * 4;
  if (FAILED(source->CopyPixels(nullptr, stride, static_cast<UINT>(count * 4),
                                reinterpret_cast<BYTE*>(picture.pixels.data()))))
    return PicturePane::kUnreadable;
  for (uint32_t& pixel : picture.pixels) pixel = OverPanel(pixel);
  return PicturePane::kNoError;
}

// The apartment is made first, so that it ends after every COM object here.
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
  ComPtr<IWICBitmapSource> source;
  code = KeptSource(factory.Get(), frame.Get(), picture, source);
  if (code != PicturePane::kNoError) return code;
  return CopyRows(source.Get(), picture);
}

}  // namespace

uint32_t DecodeWithWic(const uint8_t* data, std::size_t length, DecodedPicture& picture) {
  if (length == 0 || length > MAXDWORD) return PicturePane::kNoData;
  return Decode(data, length, picture);
}
