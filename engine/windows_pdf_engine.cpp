#include "engine/windows_pdf_engine.h"

#include <roapi.h>
#include <wincodec.h>
#include <winstring.h>

#include <climits>

#include "base/dib.h"
#include "base/event_log.h"
#include "engine/engine_rules.h"
#include "engine/winrt_pdf.h"

using namespace winrt_pdf;

namespace {

constexpr long long kMaxBitmapBytes = INT_MAX;

// Holds one reference of a COM object.
template <typename T>
class Ref {
 public:
  Ref() = default;
  Ref(const Ref&) = delete;
  Ref& operator=(const Ref&) = delete;
  ~Ref() { Reset(); }
  void Reset() {
    if (p_) p_->Release();
    p_ = nullptr;
  }
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }
  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }
  T* Detach() {
    T* p = p_;
    p_ = nullptr;
    return p;
  }

 private:
  T* p_ = nullptr;
};

class HString {
 public:
  explicit HString(const std::wstring& text) {
    if (FAILED(WindowsCreateString(text.c_str(), UINT32(text.size()), &value_))) value_ = nullptr;
  }
  HString(const HString&) = delete;
  HString& operator=(const HString&) = delete;
  ~HString() {
    if (value_) WindowsDeleteString(value_);
  }
  HSTRING Get() const { return value_; }

 private:
  HSTRING value_ = nullptr;
};

// The stream functions of shcore.dll (present from Windows 8.1 on).
struct StreamFunctions {
  HRESULT(WINAPI* onFile)(PCWSTR path, DWORD access, REFIID iid, void** stream) = nullptr;
  HRESULT(WINAPI* overRandomAccess)(IUnknown* stream, REFIID iid, void** result) = nullptr;
};

const StreamFunctions& Streams() {
  static const StreamFunctions functions = [] {
    StreamFunctions f;
    if (HMODULE shcore = LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
      f.onFile = reinterpret_cast<decltype(f.onFile)>(GetProcAddress(shcore, "CreateRandomAccessStreamOnFile"));
      f.overRandomAccess =
          reinterpret_cast<decltype(f.overRandomAccess)>(GetProcAddress(shcore, "CreateStreamOverRandomAccessStream"));
    }
    return f;
  }();
  return functions;
}

HRESULT Activate(const wchar_t* className, REFIID iid, void** result) {
  *result = nullptr;
  HString name(className);
  if (!name.Get()) return E_OUTOFMEMORY;
  Ref<IInspectable> instance;
  HRESULT hr = RoActivateInstance(name.Get(), instance.Put());
  if (FAILED(hr)) return hr;
  if (!instance) return E_FAIL;
  return instance->QueryInterface(iid, result);
}

// Waits for an asynchronous operation by polling its status: yielding for the
// first 200 polls, then sleeping 1 ms between them. No time-out.
HRESULT WaitFor(IUnknown* operation) {
  Ref<IAsyncInfo> info;
  HRESULT hr = operation->QueryInterface(kIID_IAsyncInfo, info.PutVoid());
  if (FAILED(hr)) return hr;
  for (unsigned polls = 0;; ++polls) {
    AsyncStatus status = Started;
    hr = info->get_Status(&status);
    if (FAILED(hr)) return hr;
    if (status == Completed) return S_OK;
    if (status == Canceled) return E_ABORT;
    if (status == Error) {
      HRESULT code = E_FAIL;
      if (FAILED(info->get_ErrorCode(&code)) || SUCCEEDED(code)) code = E_FAIL;
      return code;
    }
    if (polls < 200)
      SwitchToThread();
    else
      Sleep(1);
  }
}

}  // namespace

HRESULT MakeTurnedBitmap(const uint32_t* pixels, int width, int height, int rotation, RenderedPage& out) {
  out = RenderedPage();
  if (width <= 0 || height <= 0 || rotation < 0 || rotation > 3) return E_INVALIDARG;
  if (static_cast<long long>(width) * height * 4 > kMaxBitmapBytes) return E_OUTOFMEMORY;
  const bool turned = rotation & 1;
  const int bw = turned ? height : width, bh = turned ? width : height;
  void* bits = nullptr;
  HBITMAP dib = TakePictureDib(bw, bh, &bits);  // every pixel is written below
  if (!dib) return E_OUTOFMEMORY;
  TurnPixels(pixels, width, height, rotation, static_cast<uint32_t*>(bits));
  GdiFlush();
  out.bitmap = dib;
  out.bits = bits;
  out.width = bw;
  out.height = bh;
  out.rotation = rotation;
  return S_OK;
}

WindowsPdfEngine::~WindowsPdfEngine() { Stop(); }

HRESULT WindowsPdfEngine::Start() {
  if (Ready()) return S_OK;
  Stop();
  HString name(L"Windows.Data.Pdf.PdfDocument");
  if (!name.Get()) return E_OUTOFMEMORY;
  Ref<IPdfDocumentStatics> statics;
  HRESULT hr = RoGetActivationFactory(name.Get(), kIID_IPdfDocumentStatics, statics.PutVoid());
  if (FAILED(hr)) return hr;
  if (!statics) return E_FAIL;
  Ref<IWICImagingFactory> imaging;
  hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                        imaging.PutVoid());
  if (FAILED(hr)) return hr;
  if (!imaging) return E_FAIL;
  statics_ = statics.Detach();
  imaging_ = imaging.Detach();
  return S_OK;
}

void WindowsPdfEngine::Stop() {
  Close();
  if (imaging_) imaging_->Release();
  imaging_ = nullptr;
  if (statics_) statics_->Release();
  statics_ = nullptr;
}

void WindowsPdfEngine::Close() {
  if (document_) document_->Release();
  document_ = nullptr;
}

HRESULT WindowsPdfEngine::Load(const std::wstring& path, const std::wstring& password, IPdfDocument** document,
                               PageSizes& sizes) {
  *document = nullptr;
  sizes = PageSizes();
  if (!Ready()) return kHrNoEngine;
  const StreamFunctions& streams = Streams();
  if (!streams.onFile) return kHrNoEngine;

  Ref<IRandomAccessStream> stream;
  HRESULT hr = streams.onFile(path.c_str(), 0 /* FileAccessMode Read */, kIID_IRandomAccessStream, stream.PutVoid());
  if (FAILED(hr)) return hr;
  if (!stream) return E_FAIL;

  Ref<IAsyncOperation<IPdfDocument>> operation;
  if (password.empty()) {
    hr = statics_->LoadFromStreamAsync(stream.Get(), operation.Put());
  } else {
    HString secret(password);
    if (!secret.Get()) return E_OUTOFMEMORY;
    hr = statics_->LoadFromStreamWithPasswordAsync(stream.Get(), secret.Get(), operation.Put());
  }
  if (FAILED(hr)) return hr;
  if (!operation) return E_FAIL;
  hr = WaitFor(operation.Get());
  if (FAILED(hr)) return hr;
  Ref<IPdfDocument> loaded;
  hr = operation->GetResults(loaded.Put());
  if (FAILED(hr)) return hr;
  if (!loaded) return E_FAIL;

  UINT32 count = 0;
  hr = loaded->get_PageCount(&count);
  if (FAILED(hr)) return hr;
  if (count == 0 || count > INT_MAX) return E_FAIL;
  sizes.widths.reserve(count);
  sizes.heights.reserve(count);
  for (UINT32 i = 0; i < count; ++i) {
    Size size{kLetterWidthPixels, kLetterHeightPixels};
    Ref<IPdfPage> page;
    if (SUCCEEDED(loaded->GetPage(i, page.Put())) && page) {
      Size got{};
      if (SUCCEEDED(page->get_Size(&got))) size = got;
    }
    sizes.Append(PageSideFromPixels(size.Width), PageSideFromPixels(size.Height));
  }
  *document = loaded.Detach();
  return S_OK;
}

HRESULT WindowsPdfEngine::Open(const std::wstring& path, const std::wstring& password, PageSizes& sizes) {
  Close();
  return Load(path, password, &document_, sizes);
}

HRESULT WindowsPdfEngine::Probe(const std::wstring& path, const std::wstring& password, PageSizes& sizes) {
  IPdfDocument* document = nullptr;
  HRESULT hr = Load(path, password, &document, sizes);
  if (document) document->Release();
  return hr;
}

HRESULT WindowsPdfEngine::RenderOnce(int pageIndex, int width, int height, int rotation, bool bmp,
                                     RenderedPage& out) {
  Ref<IPdfPage> page;
  HRESULT hr = document_->GetPage(UINT32(pageIndex), page.Put());
  if (FAILED(hr)) return hr;
  if (!page) return E_FAIL;

  Ref<IPdfPageRenderOptions> options;
  hr = Activate(L"Windows.Data.Pdf.PdfPageRenderOptions", kIID_IPdfPageRenderOptions, options.PutVoid());
  if (FAILED(hr)) return hr;
  if (!options) return E_FAIL;
  options->put_DestinationWidth(UINT32(width));
  options->put_DestinationHeight(UINT32(height));
  options->put_BackgroundColor(Color{255, 255, 255, 255});
  if (bmp) options->put_BitmapEncoderId(kBmpContainerFormat);

  Ref<IRandomAccessStream> stream;
  hr = Activate(L"Windows.Storage.Streams.InMemoryRandomAccessStream", kIID_IRandomAccessStream, stream.PutVoid());
  if (FAILED(hr)) return hr;
  if (!stream) return E_FAIL;
  Ref<IAsyncAction> action;
  hr = page->RenderWithOptionsToStreamAsync(stream.Get(), options.Get(), action.Put());
  if (FAILED(hr)) return hr;
  if (!action) return E_FAIL;
  hr = WaitFor(action.Get());
  if (FAILED(hr)) return hr;
  hr = action->GetResults();
  if (FAILED(hr)) return hr;

  const StreamFunctions& streams = Streams();
  if (!streams.overRandomAccess) return kHrNoEngine;
  Ref<IStream> picture;
  hr = streams.overRandomAccess(stream.Get(), IID_IStream, picture.PutVoid());
  if (FAILED(hr)) return hr;
  if (!picture) return E_FAIL;
  LARGE_INTEGER start{};
  hr = picture->Seek(start, STREAM_SEEK_SET, nullptr);
  if (FAILED(hr)) return hr;

  Ref<IWICBitmapDecoder> decoder;
  hr = imaging_->CreateDecoderFromStream(picture.Get(), nullptr, WICDecodeMetadataCacheOnDemand, decoder.Put());
  if (FAILED(hr)) return hr;
  Ref<IWICBitmapFrameDecode> frame;
  hr = decoder->GetFrame(0, frame.Put());
  if (FAILED(hr)) return hr;
  Ref<IWICBitmapSource> converted;
  hr = WICConvertBitmapSource(GUID_WICPixelFormat32bppPBGRA, frame.Get(), converted.Put());
  if (FAILED(hr)) return hr;
  UINT w = 0, h = 0;
  hr = converted->GetSize(&w, &h);
  if (FAILED(hr)) return hr;
  if (w == 0 || h == 0) return E_FAIL;
  if (static_cast<long long>(w) * h * 4 > kMaxBitmapBytes) return E_OUTOFMEMORY;
  std::vector<uint32_t> pixels;
  try {
    pixels.resize(size_t(w) * h);
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  hr = converted->CopyPixels(nullptr, w * 4, UINT(pixels.size() * 4), reinterpret_cast<BYTE*>(pixels.data()));
  if (FAILED(hr)) return hr;
  hr = MakeTurnedBitmap(pixels.data(), int(w), int(h), rotation, out);
  if (FAILED(hr)) return hr;
  out.page = pageIndex;
  return S_OK;
}

HRESULT WindowsPdfEngine::Render(int page, int width, int height, int rotation, bool lcdText, RenderedPage& out) {
  out = RenderedPage();
  if (!Ready() || !document_) return E_FAIL;
  if (page < 0 || width <= 0 || height <= 0 || rotation < 0 || rotation > 3) return E_INVALIDARG;
  return RenderWithBmpRetry(
      bmpMode_, [&](bool bmp) { return int32_t(RenderOnce(page, width, height, rotation, bmp, out)); },
      [&](int32_t hr, bool bmp) {
        LogEvent(L"render of page %d at %dx%d FAILED hr=0x%08X (bmp mode=%d)", page, width, height, unsigned(hr),
                 bmp ? 1 : 0);
      });
}
