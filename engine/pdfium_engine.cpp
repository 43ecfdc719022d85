#include "engine/pdfium_engine.h"

#include <climits>
#include <cwchar>

#include "base/dib.h"
#include "base/event_log.h"
#include "engine/bookmark_walk.h"
#include "engine/engine_rules.h"

namespace {

constexpr LONGLONG kMaxPdfFileSize = 0xFFFFFFF0LL;   // PDFium's file length is 32 bits here
constexpr size_t kPasswordBytes = 599;               // UTF-8 bytes of a password passed on
constexpr unsigned long kMaxTitleBytes = 4u << 20;   // a longer bookmark title is not read
constexpr long long kMaxBitmapBytes = INT_MAX;       // one rendered bitmap

// Reads exactly `size` bytes at `position` of an open file. Each open file
// has its own handle, read only by the worker, so moving its file pointer
// is safe; under Wine a read at the file pointer costs a third of one with
// an OVERLAPPED offset.
bool ReadFileAt(void* file, uint64_t position, uint8_t* buffer, size_t size) {
  LARGE_INTEGER at{};
  at.QuadPart = LONGLONG(position);
  DWORD read = 0;
  return size <= MAXDWORD && SetFilePointerEx(static_cast<HANDLE>(file), at, nullptr, FILE_BEGIN) &&
         ReadFile(static_cast<HANDLE>(file), buffer, DWORD(size), &read, nullptr) && read == size;
}

// PDFium's block reader: exactly `size` bytes at `position`.
int ReadBlock(void* param, unsigned long position, unsigned char* buffer, unsigned long size) {
  return static_cast<ReadAhead*>(param)->Read(position, buffer, size) ? 1 : 0;
}

// The password as UTF-8, cut at a whole character within kPasswordBytes.
// The caller wipes it after use.
std::string PasswordUtf8(const std::wstring& password) {
  std::string bytes;
  if (password.empty()) return bytes;
  int n = WideCharToMultiByte(CP_UTF8, 0, password.data(), int(password.size()), nullptr, 0, nullptr, nullptr);
  if (n <= 0) return bytes;
  bytes.assign(size_t(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, password.data(), int(password.size()), bytes.data(), n, nullptr, nullptr);
  if (bytes.size() > kPasswordBytes) {
    size_t cut = kPasswordBytes;
    while (cut > 0 && (static_cast<unsigned char>(bytes[cut]) & 0xC0) == 0x80) --cut;
    SecureZeroMemory(bytes.data() + cut, bytes.size() - cut);
    bytes.resize(cut);
  }
  return bytes;
}

void Wipe(std::string& secret) {
  if (!secret.empty()) SecureZeroMemory(secret.data(), secret.size());
  secret.clear();
}

class PdfiumBookmarks final : public BookmarkSource {
 public:
  PdfiumBookmarks(const PdfiumApi& api, FPDF_DOCUMENT document) : api_(api), document_(document) {}

  const void* FirstChild(const void* parent) override {
    return api_.FPDFBookmark_GetFirstChild(document_, Item(parent));
  }
  const void* NextSibling(const void* item) override {
    return api_.FPDFBookmark_GetNextSibling(document_, Item(item));
  }
  std::wstring Title(const void* item) override {
    // The length first (bytes, the closing null included), then the text.
    unsigned long need = api_.FPDFBookmark_GetTitle(Item(item), nullptr, 0);
    if (need <= 2 || need > kMaxTitleBytes) return std::wstring();
    std::vector<uint16_t> units((need + 1) / 2, 0);
    unsigned long got = api_.FPDFBookmark_GetTitle(Item(item), units.data(), static_cast<unsigned long>(units.size() * 2));
    if (got <= 2 || got > units.size() * 2) return std::wstring();
    return BookmarkTitle(units.data(), got / 2);
  }
  int Page(const void* item) override {
    if (FPDF_DEST dest = api_.FPDFBookmark_GetDest(document_, Item(item)))
      return api_.FPDFDest_GetDestPageIndex(document_, dest);
    if (FPDF_ACTION action = api_.FPDFBookmark_GetAction(Item(item))) {
      if (api_.FPDFAction_GetType(action) == kPdfActionGoTo) {
        if (FPDF_DEST dest = api_.FPDFAction_GetDest(document_, action))
          return api_.FPDFDest_GetDestPageIndex(document_, dest);
      }
    }
    return -1;
  }

 private:
  static FPDF_BOOKMARK Item(const void* item) { return static_cast<FPDF_BOOKMARK>(const_cast<void*>(item)); }
  const PdfiumApi& api_;
  FPDF_DOCUMENT document_;
};

// A PDF opened for the engine to read, at random places. Others may read
// and write it, and delete it unless `allowDelete` is false.
UniqueFile OpenForReading(const std::wstring& path, bool allowDelete) {
  const DWORD share = FILE_SHARE_READ | FILE_SHARE_WRITE | (allowDelete ? FILE_SHARE_DELETE : 0);
  return UniqueFile(
      CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_FLAG_RANDOM_ACCESS, nullptr));
}

}  // namespace

PdfiumEngine::~PdfiumEngine() {
  // The DLL stays loaded: PDFium was started in it and is never shut down.
  if (!loaded_) return;
  DropProbed();
  Close();
}

bool PdfiumEngine::Load(const std::wstring& dllPath, std::wstring& status) {
  if (loaded_) {
    status = dllPath;
    return true;
  }
  UniqueModule library(LoadLibraryExW(dllPath.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
  if (!library) {
    DWORD error = GetLastError();
    wchar_t text[200];
    _snwprintf(text, 199, L"Windows couldn't load the engine (error %lu); it needs 64-bit Windows 10 or later",
               error);
    text[199] = 0;
    status = text;
    return false;
  }
  std::string missing;
  HMODULE module = library.Get();
  bool bound = BindPdfiumApi(
      [module](const char* name) { return reinterpret_cast<void*>(GetProcAddress(module, name)); }, api_, missing);
  if (!bound) {
    status = L"the engine is missing a function (" + std::wstring(missing.begin(), missing.end()) + L")";
    return false;
  }
  module_ = library.Release();
  api_.FPDF_InitLibrary();
  loaded_ = true;
  status = dllPath;
  return true;
}

HRESULT PdfiumEngine::OpenPdfFile(const std::wstring& path, const std::wstring& password,
                                  std::unique_ptr<OpenPdf>& out, bool allowDelete) {
  out.reset();
  if (!loaded_) return kHrNoEngine;
  UniqueFile file = OpenForReading(path, allowDelete);
  if (!file) return HRESULT_FROM_WIN32(GetLastError());
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 1 || size.QuadPart > kMaxPdfFileSize) return E_FAIL;
  auto pdf = std::make_unique<OpenPdf>();
  pdf->access.m_FileLen = static_cast<unsigned long>(size.QuadPart);
  pdf->access.m_GetBlock = ReadBlock;
  pdf->reader = std::make_unique<ReadAhead>(ReadFileAt, file.Get(), uint64_t(size.QuadPart));
  pdf->access.m_Param = pdf->reader.get();
  pdf->file = std::move(file);

  std::string secret = PasswordUtf8(password);
  pdf->document = api_.FPDF_LoadCustomDocument(&pdf->access, secret.empty() ? nullptr : secret.c_str());
  Wipe(secret);
  if (!pdf->document) {
    unsigned long error = api_.FPDF_GetLastError();
    ClosePdf(pdf);
    return error == kFpdfErrPassword ? kHrWrongPassword : E_FAIL;
  }
  if (api_.FPDF_GetPageCount(pdf->document) <= 0) {
    ClosePdf(pdf);
    return E_FAIL;
  }
  out = std::move(pdf);
  return S_OK;
}

void PdfiumEngine::ClosePdf(std::unique_ptr<OpenPdf>& pdf) {
  if (!pdf) return;
  if (pdf->document) {
    if (loadedPage_.document == pdf->document) ForgetLoadedPage();  // a page is closed before its document
    api_.FPDF_CloseDocument(pdf->document);
  }
  pdf.reset();  // and with it the file
}

FPDF_PAGE PdfiumEngine::LoadPage(FPDF_DOCUMENT document, int number) {
  if (loadedPage_.page && loadedPage_.document == document && loadedPage_.number == number) return loadedPage_.page;
  ForgetLoadedPage();  // before the next one is loaded
  FPDF_PAGE page = api_.FPDF_LoadPage(document, number);
  if (page) loadedPage_ = {document, number, page};
  return page;
}

void PdfiumEngine::ForgetLoadedPage() {
  if (loadedPage_.page) api_.FPDF_ClosePage(loadedPage_.page);
  loadedPage_ = LoadedPage();
}

void PdfiumEngine::DropProbed() {
  if (probed_) ClosePdf(probed_->pdf);
  probed_.reset();
}

void PdfiumEngine::PageSizeOf(FPDF_DOCUMENT document, int index, float& width, float& height) {
  FS_SIZEF size{float(kLetterWidthPoints), float(kLetterHeightPoints)};
  if (document) {
    api_.FPDF_GetPageSizeByIndexF(document, index, &size);  // a failure leaves Letter in place
    width = PageSideFromPoints(size.width);
    height = PageSideFromPoints(size.height);
  } else {
    width = kLetterWidthPixels;
    height = kLetterHeightPixels;
  }
}

bool PdfiumEngine::StampOf(HANDLE file, FileStamp& stamp) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info)) return false;
  stamp.volume = info.dwVolumeSerialNumber;
  stamp.index = uint64_t(info.nFileIndexHigh) << 32 | info.nFileIndexLow;
  stamp.size = uint64_t(info.nFileSizeHigh) << 32 | info.nFileSizeLow;
  stamp.written = uint64_t(info.ftLastWriteTime.dwHighDateTime) << 32 | info.ftLastWriteTime.dwLowDateTime;
  return true;
}

PdfiumEngine::ProbedFile::~ProbedFile() { SecureZeroMemory(password.data(), password.size() * sizeof(wchar_t)); }

HRESULT PdfiumEngine::Open(const std::wstring& path, const std::wstring& password, PageSizes& sizes) {
  sizes = PageSizes();
  ClosePdf(main_);
  mainPageCount_ = 0;
  // What the last probe measured serves this open only.
  std::unique_ptr<ProbedFile> probed = std::move(probed_);
  if (probed && probed->password == password) {
    UniqueFile file = OpenForReading(path, true);
    FileStamp stamp;
    if (file && StampOf(file.Get(), stamp) && stamp == probed->stamp) {
      main_ = std::move(probed->pdf);
      main_->reader->SetFile(file.Get());
      main_->file = std::move(file);
      mainPageCount_ = int(probed->sizes.Count());
      sizes = std::move(probed->sizes);
      return S_OK;
    }
  }
  if (probed) ClosePdf(probed->pdf);
  HRESULT hr = OpenPdfFile(path, password, main_);
  if (FAILED(hr)) return hr;
  int count = api_.FPDF_GetPageCount(main_->document);
  sizes.widths.reserve(size_t(count));
  sizes.heights.reserve(size_t(count));
  for (int i = 0; i < count; ++i) {
    float w, h;
    PageSizeOf(main_->document, i, w, h);
    sizes.Append(w, h);
  }
  mainPageCount_ = count;
  return S_OK;
}

HRESULT PdfiumEngine::Probe(const std::wstring& path, const std::wstring& password, PageSizes& sizes) {
  sizes = PageSizes();
  DropProbed();
  std::unique_ptr<OpenPdf> pdf;
  HRESULT hr = OpenPdfFile(path, password, pdf);
  if (FAILED(hr)) return hr;
  int count = api_.FPDF_GetPageCount(pdf->document);
  for (int i = 0; i < count; ++i) {
    float w, h;
    PageSizeOf(pdf->document, i, w, h);
    sizes.Append(w, h);
  }
  FileStamp stamp;
  if (!StampOf(pdf->file.Get(), stamp)) {
    ClosePdf(pdf);
    return S_OK;
  }
  // The file is let go of; the document waits for a reopen of it.
  pdf->reader->SetFile(nullptr);
  pdf->file.Reset();
  probed_ = std::make_unique<ProbedFile>();
  probed_->stamp = stamp;
  probed_->sizes = sizes;
  probed_->password = password;
  probed_->pdf = std::move(pdf);
  return S_OK;
}

bool PdfiumEngine::Resolve(int index, FPDF_DOCUMENT& document, int& page, bool& broughtIn) const {
  document = nullptr;
  page = -1;
  broughtIn = false;
  if (!loaded_ || index < 0) return false;
  if (index < mainPageCount_) {
    if (!main_) return false;
    document = main_->document;
    page = index;
    return true;
  }
  size_t k = size_t(index - mainPageCount_);
  if (k >= broughtIn_.size()) return false;
  const BroughtInPage& entry = broughtIn_[k];
  const SourceDocument& source = sources_[size_t(entry.source)];
  document = source.pdf ? source.pdf->document : nullptr;
  page = entry.page;
  broughtIn = true;
  return document != nullptr;
}

bool PdfiumEngine::BroughtInSource(int index, FPDF_DOCUMENT& document, int& page) const {
  bool broughtIn = false;
  return Resolve(index, document, page, broughtIn) && broughtIn;
}

HRESULT PdfiumEngine::Render(int index, int width, int height, int rotation, bool lcdText, RenderedPage& out) {
  out = RenderedPage();
  FPDF_DOCUMENT document;
  int pageNumber;
  bool broughtIn;
  if (!Resolve(index, document, pageNumber, broughtIn)) return E_INVALIDARG;
  if (width <= 0 || height <= 0 || rotation < 0 || rotation > 3) return E_INVALIDARG;
  const bool turned = rotation & 1;
  const int bw = turned ? height : width, bh = turned ? width : height;
  if (static_cast<long long>(bw) * bh * 4 > kMaxBitmapBytes) return E_OUTOFMEMORY;

  void* bits = nullptr;
  Gdi<HBITMAP> dib(TakePictureDib(bw, bh, &bits));  // filled white below
  if (!dib) return E_OUTOFMEMORY;
  bool ok = false;
  if (FPDF_PAGE page = LoadPage(document, pageNumber)) {
    if (FPDF_BITMAP bitmap = api_.FPDFBitmap_CreateEx(bw, bh, kFpdfBitmapBgrx, bits, bw * 4)) {
      api_.FPDFBitmap_FillRect(bitmap, 0, 0, bw, bh, 0xFFFFFFFFu);
      int flags = kFpdfRenderAnnot | (lcdText ? kFpdfRenderLcdText : 0);
      api_.FPDF_RenderPageBitmap(bitmap, page, 0, 0, bw, bh, rotation, flags);
      api_.FPDFBitmap_Destroy(bitmap);  // the pixels stay in the DIB
      ok = true;
    }
  }
  GdiFlush();
  if (!ok) {
    LogEvent(L"render of page %d at %dx%d FAILED (PDFium)", index, bw, bh);
    return E_FAIL;
  }
  out.bitmap = dib.Release();
  out.bits = bits;
  out.page = index;
  out.width = bw;
  out.height = bh;
  out.rotation = rotation;
  return S_OK;
}

NormBox PdfiumEngine::MapBox(FPDF_PAGE page, double left, double top, double right, double bottom) {
  int x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  if (!api_.FPDF_PageToDevice(page, 0, 0, kNormBoxMax, kNormBoxMax, 0, left, top, &x0, &y0) ||
      !api_.FPDF_PageToDevice(page, 0, 0, kNormBoxMax, kNormBoxMax, 0, right, bottom, &x1, &y1))
    return 0;
  return PackNormBox(x0, y0, x1, y1);
}

int PdfiumEngine::DestPage(FPDF_DOCUMENT document, FPDF_DEST dest) {
  return dest ? api_.FPDFDest_GetDestPageIndex(document, dest) : -1;
}

void PdfiumEngine::ReadWebLinks(FPDF_TEXTPAGE text, FPDF_PAGE page, std::vector<PageLink>& links) {
  FPDF_PAGELINK found = api_.FPDFLink_LoadWebLinks(text);
  if (!found) return;
  int count = api_.FPDFLink_CountWebLinks(found);
  for (int k = 0; k < count && k < kMaxWebLinks; ++k) {
    // The length first (code units, the closing null included), then the text.
    int need = api_.FPDFLink_GetURL(found, k, nullptr, 0);
    if (need <= 1 || size_t(need) > kMaxUriChars + 1) continue;
    std::vector<uint16_t> units(size_t(need), 0);
    int got = api_.FPDFLink_GetURL(found, k, reinterpret_cast<unsigned short*>(units.data()), need);
    if (got <= 1 || got > need) continue;
    std::wstring url = TextUpToNull(units.data(), size_t(got));
    if (url.empty()) continue;
    int rects = api_.FPDFLink_CountRects(found, k);
    for (int j = 0; j < rects && j < kMaxWebLinkRects; ++j) {
      double left = 0, top = 0, right = 0, bottom = 0;
      if (!api_.FPDFLink_GetRect(found, k, j, &left, &top, &right, &bottom)) continue;
      links.push_back({MapBox(page, left, top, right, bottom), -1, url});
    }
  }
  api_.FPDFLink_CloseWebLinks(found);
}

void PdfiumEngine::ReadLinkAnnotations(FPDF_DOCUMENT document, FPDF_PAGE page, std::vector<PageLink>& links) {
  int position = 0;
  FPDF_LINK link = nullptr;
  for (int n = 0; n < kMaxLinkAnnotations && api_.FPDFLink_Enumerate(page, &position, &link); ++n) {
    if (!link) continue;
    FS_RECTF rect{};
    if (!api_.FPDFLink_GetAnnotRect(link, &rect)) continue;
    PageLink entry;
    entry.box = MapBox(page, rect.left, rect.top, rect.right, rect.bottom);
    if (FPDF_DEST dest = api_.FPDFLink_GetDest(document, link)) {
      entry.targetPage = DestPage(document, dest);
    } else if (FPDF_ACTION action = api_.FPDFLink_GetAction(link)) {
      unsigned long type = api_.FPDFAction_GetType(action);
      if (type == kPdfActionGoTo) {
        entry.targetPage = DestPage(document, api_.FPDFAction_GetDest(document, action));
      } else if (type == kPdfActionUri) {
        // The length first (bytes, the closing null included), then the text.
        unsigned long need = api_.FPDFAction_GetURIPath(document, action, nullptr, 0);
        if (need >= 2 && need <= kMaxUriChars + 1) {
          std::vector<char> bytes(need, 0);
          unsigned long got = api_.FPDFAction_GetURIPath(document, action, bytes.data(), need);
          if (got >= 2 && got <= need) entry.uri = WideFromUtf8(bytes.data(), got);
        }
      }
    }
    if (entry.targetPage < 0) entry.targetPage = -1;
    if (entry.targetPage >= 0 || !entry.uri.empty()) links.push_back(std::move(entry));
  }
}

bool PdfiumEngine::ReadPageText(int index, PageText& text) { return ReadText(index, text, true); }

bool PdfiumEngine::ReadPageChars(int index, PageText& text) { return ReadText(index, text, false); }

bool PdfiumEngine::ReadText(int index, PageText& text, bool boxesAndLinks) {
  text = PageText();
  FPDF_DOCUMENT document;
  int pageNumber;
  bool broughtIn;
  if (!Resolve(index, document, pageNumber, broughtIn)) return false;
  FPDF_PAGE page = LoadPage(document, pageNumber);
  if (!page) return false;
  if (FPDF_TEXTPAGE textPage = api_.FPDFText_LoadPage(page)) {
    int count = api_.FPDFText_CountChars(textPage);
    if (count < 0) count = 0;
    if (count > kMaxPageChars) count = kMaxPageChars;
    text.chars.reserve(size_t(count));
    if (boxesAndLinks) text.boxes.reserve(size_t(count));
    for (int i = 0; i < count; ++i) {
      text.chars.push_back(PageCharFromCode(api_.FPDFText_GetUnicode(textPage, i)));
      if (!boxesAndLinks) continue;
      double left = 0, right = 0, bottom = 0, top = 0;
      NormBox box = 0;
      if (api_.FPDFText_GetCharBox(textPage, i, &left, &right, &bottom, &top) && right > left && top > bottom)
        box = MapBox(page, left, top, right, bottom);
      text.boxes.push_back(box);
    }
    if (boxesAndLinks) ReadWebLinks(textPage, page, text.links);
    api_.FPDFText_ClosePage(textPage);
  }
  if (boxesAndLinks) ReadLinkAnnotations(document, page, text.links);
  return true;
}

std::vector<BookmarkEntry> PdfiumEngine::ReadBookmarks() {
  if (!loaded_ || !main_ || !main_->document) return {};
  PdfiumBookmarks source(api_, main_->document);
  return CollectBookmarks(source);
}

bool PdfiumEngine::AddBroughtInPages(const std::vector<BroughtInRequest>& pages, PageSizes& added) {
  added = PageSizes();
  if (!loaded_) return false;
  DropProbed();  // the copy just probed; no reopen of it follows
  const size_t keep = broughtIn_.size();
  const size_t keepSources = sources_.size();
  for (const BroughtInRequest& request : pages) {
    int source = -1;
    for (size_t i = 0; i < sources_.size(); ++i) {
      if (CompareStringOrdinal(sources_[i].path.c_str(), int(sources_[i].path.size()), request.path.c_str(),
                               int(request.path.size()), TRUE) == CSTR_EQUAL) {
        source = int(i);
        break;
      }
    }
    if (source < 0) {
      std::unique_ptr<OpenPdf> pdf;
      if (FAILED(OpenPdfFile(request.path, std::wstring(), pdf, false))) break;
      sources_.push_back({request.path, std::move(pdf)});
      source = int(sources_.size() - 1);
    }
    FPDF_DOCUMENT document = sources_[size_t(source)].pdf ? sources_[size_t(source)].pdf->document : nullptr;
    int count = document ? api_.FPDF_GetPageCount(document) : 0;
    if (request.page < 0 || request.page >= count) break;
    broughtIn_.push_back({source, request.page});
    float w, h;
    PageSizeOf(document, request.page, w, h);
    added.Append(w, h);
  }
  if (added.Count() == pages.size()) return true;
  // Nothing was added: the sources opened on the way are closed again, so
  // that the caller may delete their files.
  broughtIn_.resize(keep);
  while (sources_.size() > keepSources) {
    ClosePdf(sources_.back().pdf);
    sources_.pop_back();
  }
  added = PageSizes();
  return false;
}

void PdfiumEngine::Close() {
  ClosePdf(main_);
  mainPageCount_ = 0;
  for (SourceDocument& source : sources_) ClosePdf(source.pdf);
  sources_.clear();
  broughtIn_.clear();
}
