#include "app/ribbon_icons.h"

#include <wincodec.h>

#include <cstring>

#include "app/app_state.h"
#include "app/icon_scale.h"
#include "base/dib.h"

namespace {

RibbonIconSet g_large;
RibbonIconSet g_small;

template <class T>
void Release(T*& p) {
  if (p) p->Release();
  p = nullptr;
}

}  // namespace

bool DecodeIconStrip(const void* png, size_t bytes, int size, std::vector<uint8_t>& pixels, int& count) {
  pixels.clear();
  count = 0;
  if (!png || bytes == 0 || bytes > 0x7FFFFFFF || size <= 0) return false;
  IWICImagingFactory* factory = nullptr;
  IWICStream* stream = nullptr;
  IWICBitmapDecoder* decoder = nullptr;
  IWICBitmapFrameDecode* frame = nullptr;
  IWICFormatConverter* converter = nullptr;
  bool ok = false;
  UINT w = 0, h = 0;
  if (SUCCEEDED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory))) &&
      SUCCEEDED(factory->CreateStream(&stream)) &&
      SUCCEEDED(stream->InitializeFromMemory(static_cast<BYTE*>(const_cast<void*>(png)), DWORD(bytes))) &&
      SUCCEEDED(factory->CreateDecoder(GUID_ContainerFormatPng, nullptr, &decoder)) &&
      SUCCEEDED(decoder->Initialize(stream, WICDecodeMetadataCacheOnLoad)) &&
      SUCCEEDED(decoder->GetFrame(0, &frame)) && SUCCEEDED(frame->GetSize(&w, &h)) && h > 0 && w >= h &&
      w / h <= 4096 && SUCCEEDED(factory->CreateFormatConverter(&converter)) &&
      SUCCEEDED(converter->Initialize(frame, GUID_WICPixelFormat32bppPBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                      WICBitmapPaletteTypeCustom))) {
    // The strip is shrunk here rather than by a WIC scaler: averaging the
    // covered area gives the same soft result everywhere, where some WIC
    // implementations fall back to picking single pixels.
    std::vector<uint8_t> full(size_t(w) * h * 4);
    if (SUCCEEDED(converter->CopyPixels(nullptr, w * 4, UINT(full.size()), full.data()))) {
      int n = int(w / h);
      pixels = ShrinkByArea(full.data(), full.size(), int(w), int(h), n * size, size);
      if (!pixels.empty()) {
        count = n;
        ok = true;
      }
    }
  }
  Release(converter);
  Release(frame);
  Release(decoder);
  Release(stream);
  Release(factory);
  return ok;
}

bool LoadRibbonIconSet(RibbonIconSet& set, int size) {
  FreeRibbonIconSet(set);
  HMODULE module = g_ui.instance ? g_ui.instance : GetModuleHandleW(nullptr);
  HRSRC info = FindResourceW(module, MAKEINTRESOURCEW(kRibbonSpriteResource), RT_RCDATA);
  HGLOBAL loaded = info ? LoadResource(module, info) : nullptr;
  const void* bytes = loaded ? LockResource(loaded) : nullptr;
  DWORD length = info ? SizeofResource(module, info) : 0;
  std::vector<uint8_t> pixels;
  int count = 0;
  if (!bytes || !DecodeIconStrip(bytes, length, size, pixels, count)) return false;

  void* bits = nullptr;
  Gdi<HBITMAP> bitmap(CreateTopDownDib(count * size, size, &bits));
  if (!bitmap) return false;
  std::memcpy(bits, pixels.data(), pixels.size());
  GdiFlush();
  UniqueDc dc(CreateCompatibleDC(nullptr));
  if (!dc) return false;
  set.bitmap = std::move(bitmap);
  set.memoryDc = std::move(dc);
  set.selection.emplace(set.memoryDc.Get(), set.bitmap.Get());
  set.size = size;
  set.count = count;
  return true;
}

void FreeRibbonIconSet(RibbonIconSet& set) {
  set.selection.reset();
  set.memoryDc.Reset();
  set.bitmap.Reset();
  set.size = set.count = 0;
}

void LoadRibbonIcons() {
  LoadRibbonIconSet(g_large, Scaled(32));
  LoadRibbonIconSet(g_small, Scaled(22));
}

const RibbonIconSet& RibbonIcons() { return g_large; }
const RibbonIconSet& RibbonSmallIcons() { return g_small; }

void DrawRibbonIcon(HDC target, const RibbonIconSet& set, int index, int x, int y, BYTE alpha) {
  if (set.Empty() || index < 0 || index >= set.count) return;
  BLENDFUNCTION blend = {AC_SRC_OVER, 0, alpha, AC_SRC_ALPHA};
  AlphaBlend(target, x, y, set.size, set.size, set.dc(), index * set.size, 0, set.size, set.size, blend);
}
