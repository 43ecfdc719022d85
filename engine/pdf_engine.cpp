#include "engine/pdf_engine.h"

#include "base/event_log.h"

EngineOpenResult OpenWithEngineChoice(PdfEngine& pdfium, PdfEngine& windows, const std::wstring& path,
                                      const std::wstring& password, PageSizes& sizes) {
  EngineOpenResult result;
  HRESULT pdfiumHr = S_OK;
  if (pdfium.Ready()) {
    sizes = PageSizes();
    pdfiumHr = pdfium.Open(path, password, sizes);
    if (SUCCEEDED(pdfiumHr)) {
      result.hr = pdfiumHr;
      result.engine = EngineKind::Pdfium;
      return result;
    }
    LogEvent(L"PDFium could not open the file (hr=0x%08X)", unsigned(pdfiumHr));
    if (pdfiumHr == kHrWrongPassword) {
      // The password is wrong for this file; another engine would only ask again.
      result.hr = pdfiumHr;
      return result;
    }
  }
  if (!windows.Ready()) {
    result.hr = pdfium.Ready() ? pdfiumHr : kHrNoEngine;
    sizes = PageSizes();
    return result;
  }
  sizes = PageSizes();
  HRESULT windowsHr = windows.Open(path, password, sizes);
  if (SUCCEEDED(windowsHr)) {
    result.hr = windowsHr;
    result.engine = EngineKind::Windows;
    return result;
  }
  sizes = PageSizes();
  if (pdfium.Ready())
    result.hr = IsPasswordError(windowsHr) ? windowsHr : pdfiumHr;
  else
    result.hr = windowsHr;
  return result;
}

HRESULT ProbeWithEngineChoice(PdfEngine& pdfium, PdfEngine& windows, const std::wstring& path,
                              const std::wstring& password, PageSizes& sizes) {
  sizes = PageSizes();
  if (pdfium.Ready()) return pdfium.Probe(path, password, sizes);
  if (windows.Ready()) return windows.Probe(path, password, sizes);
  return kHrNoEngine;
}
