// PdfEngine on the PDF engine built into Windows (Windows.Data.Pdf) and the
// Windows Imaging Component: it counts, measures and renders pages; it has
// no text, links, bookmarks or brought-in pages.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "engine/pdf_engine.h"

struct IWICImagingFactory;
namespace winrt_pdf {
struct IPdfDocumentStatics;
struct IPdfDocument;
}  // namespace winrt_pdf

class WindowsPdfEngine final : public PdfEngine {
 public:
  WindowsPdfEngine() = default;
  WindowsPdfEngine(const WindowsPdfEngine&) = delete;
  WindowsPdfEngine& operator=(const WindowsPdfEngine&) = delete;
  ~WindowsPdfEngine() override;

  // Gets the document statics and the WIC factory. The calling thread must
  // have been initialised with RoInitialize (multithreaded). Returns the
  // first failure (0x80040154 where the PDF engine is not registered).
  HRESULT Start();
  // Releases the document, the WIC factory and the statics.
  void Stop();

  bool Ready() const override { return statics_ && imaging_; }
  // Whether renders still ask for BMP output (for the diagnostic report).
  bool BmpMode() const { return bmpMode_; }

  HRESULT Open(const std::wstring& path, const std::wstring& password, PageSizes& sizes) override;
  HRESULT Probe(const std::wstring& path, const std::wstring& password, PageSizes& sizes) override;
  HRESULT Render(int page, int width, int height, int rotation, bool lcdText, RenderedPage& out) override;
  bool ReadPageText(int page, PageText& text) override { return false; }
  std::vector<BookmarkEntry> ReadBookmarks() override { return {}; }
  bool AddBroughtInPages(const std::vector<BroughtInRequest>& pages, PageSizes& added) override { return false; }
  void Close() override;

 private:
  HRESULT Load(const std::wstring& path, const std::wstring& password, winrt_pdf::IPdfDocument** document,
               PageSizes& sizes);
  HRESULT RenderOnce(int page, int width, int height, int rotation, bool bmp, RenderedPage& out);

  winrt_pdf::IPdfDocumentStatics* statics_ = nullptr;
  IWICImagingFactory* imaging_ = nullptr;
  winrt_pdf::IPdfDocument* document_ = nullptr;
  bool bmpMode_ = true;
};

// Makes a top-down 32-bit DIB section holding the width x height pixels
// turned by `rotation` quarter turns clockwise (height x width for odd
// rotations). E_OUTOFMEMORY when the section can't be made.
HRESULT MakeTurnedBitmap(const uint32_t* pixels, int width, int height, int rotation, RenderedPage& out);
