// The operations the render worker performs on a PDF engine, and the rule
// that decides which engine serves a document. Only the worker thread calls
// an engine.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

#include "engine/engine_types.h"

constexpr HRESULT kHrWrongPassword = HRESULT(0x80070056);     // HRESULT_FROM_WIN32(ERROR_INVALID_PASSWORD)
constexpr HRESULT kHrPasswordNeeded = HRESULT(0x8007052B);    // the Windows engine's other password error
constexpr HRESULT kHrNoEngine = HRESULT(0x80040154);          // REGDB_E_CLASSNOTREG

inline bool IsPasswordError(HRESULT hr) { return hr == kHrWrongPassword || hr == kHrPasswordNeeded; }

// A rendered page: a top-down 32-bit DIB section owned by the receiver.
struct RenderedPage {
  HBITMAP bitmap = nullptr;
  void* bits = nullptr;
  int page = -1;
  int width = 0;  // the bitmap's real size
  int height = 0;
  int rotation = 0;
};

// A page to bring in from another PDF.
struct BroughtInRequest {
  std::wstring path;
  int page = 0;  // 0-based, within that PDF
};

class PdfEngine {
 public:
  virtual ~PdfEngine() = default;

  // PDFium: loaded and bound. Windows engine: its factories were obtained.
  virtual bool Ready() const = 0;
  // Opens the main document (closing the one open before), giving one size
  // per page.
  virtual HRESULT Open(const std::wstring& path, const std::wstring& password, PageSizes& sizes) = 0;
  // Opens another PDF only to measure its pages, and closes it again.
  virtual HRESULT Probe(const std::wstring& path, const std::wstring& password, PageSizes& sizes) = 0;
  // Renders an engine page; width and height are the unrotated size in pixels,
  // rotation is in quarter turns clockwise.
  virtual HRESULT Render(int page, int width, int height, int rotation, bool lcdText,
                         RenderedPage& out) = 0;
  // The page's text, boxes and links; false when the engine can't read text.
  virtual bool ReadPageText(int page, PageText& text) = 0;
  // Only the page's characters (no boxes, no links), for reads in the
  // background that only search; by default the whole text.
  virtual bool ReadPageChars(int page, PageText& text) { return ReadPageText(page, text); }
  // The main document's bookmarks (none from an engine without them).
  virtual std::vector<BookmarkEntry> ReadBookmarks() = 0;
  // Adds pages of other PDFs after the main document's pages; `added` gets
  // their sizes. All or nothing.
  virtual bool AddBroughtInPages(const std::vector<BroughtInRequest>& pages, PageSizes& added) = 0;
  // Closes the main document and every other PDF opened for it.
  virtual void Close() = 0;
  // The worker has nothing more to do for now: what is kept only for the
  // next job goes.
  virtual void Idle() {}
};

enum class EngineKind { None = -1, Windows = 0, Pdfium = 1 };

struct EngineOpenResult {
  HRESULT hr = kHrNoEngine;
  EngineKind engine = EngineKind::None;
};

// Opens the document with PDFium when it is ready; when PDFium fails for a
// reason other than a password, with the Windows engine when that is ready.
// Logs PDFium's failure. `sizes` is filled by the engine that succeeded.
EngineOpenResult OpenWithEngineChoice(PdfEngine& pdfium, PdfEngine& windows, const std::wstring& path,
                                      const std::wstring& password, PageSizes& sizes);

// Measures another PDF with PDFium, or with the Windows engine when PDFium is
// not ready; kHrNoEngine when neither is.
HRESULT ProbeWithEngineChoice(PdfEngine& pdfium, PdfEngine& windows, const std::wstring& path,
                              const std::wstring& password, PageSizes& sizes);
