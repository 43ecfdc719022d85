#include "app/report_text.h"

#include "app/help_texts.h"

namespace {

class ReportWriter {
 public:
  template <typename... Args>
  void Line(const wchar_t* format, Args... args) {
    text_ += FormatCapped(kReportLineChars, format, args...);
    text_ += L"\r\n";
  }
  void Raw(const std::wstring& text) { text_ += text; }
  std::wstring Take() { return std::move(text_); }

 private:
  std::wstring text_;
};

std::wstring Describe(const ReportPicture& p) {
  if (!p.present) return L"none";
  return FormatCapped(kReportLineChars, L"%dx%d (asked %dx%d) rot %d ink %.1f%%", p.width, p.height, p.askedWidth,
                      p.askedHeight, p.rotation, p.ink);
}

const wchar_t* InstallModeText(int mode) {
  switch (mode) {
    case 1: return L"installed for just this person";
    case 2: return L"installed for everyone on this PC";
    default: return L"portable";
  }
}

}  // namespace

std::wstring ComposeReport(const ReportFacts& f) {
  ReportWriter w;
  w.Line(L"Folivex diagnostic report  %04d-%02d-%02d %02d:%02d:%02d", f.year, f.month, f.day, f.hour, f.minute,
         f.second);
  w.Line(L"Folivex version: %ls", f.version.c_str());
  w.Line(L"Copy: %ls (%ls)%ls", InstallModeText(f.installMode), f.programPath.c_str(),
         f.updatesOffByInstaller ? L"; automatic updates switched off by the installer" : L"");
  std::wstring ubr = f.hasUbr ? FormatCapped(32, L".%lu", f.ubr) : std::wstring();
  w.Line(L"Windows: %ls %ls build %ls%ls", f.productName.c_str(), f.displayVersion.c_str(), f.buildNumber.c_str(),
         ubr.c_str());
  const int textSize = f.dpiNow > 0 ? int((int64_t(f.dpiNow) * 100 + 48) / 96) : 0;
  w.Line(L"Screen: %d x %d, %d monitor(s), text size %d%% (dpi %d, in use %d), color depth %d", f.screenWidth,
         f.screenHeight, f.monitors, textSize, f.dpiNow, f.dpiInUse, f.colorDepth);
  w.Line(L"Window: %d,%d - %d,%d %ls   page area: %d x %d   page panel: %ls %d x %d (scrolled %d of %d)",
         f.windowLeft, f.windowTop, f.windowRight, f.windowBottom, f.maximized ? L"(maximized)" : L"", f.viewWidth,
         f.viewHeight, f.panelSetting ? L"on" : L"OFF", f.panelWidth, f.panelHeight, f.panelScroll, f.panelRange);
  const wchar_t* document = f.loaded ? f.documentPath.c_str() : f.loading ? L"(loading)" : L"(none open)";
  w.Line(L"Document: %ls", document);
  w.Line(L"  pages %d, order changed %d, undo steps %d, selected %d, can rearrange %d %ls", f.positions,
         f.orderChanged ? 1 : 0, f.undoSteps, f.selected, f.editState, f.editReason.c_str());
  const double zoom = f.zoom < 0 ? f.zoom - 0.5 : f.zoom + 0.5;
  w.Line(L"  zoom %d%% mode %d, rotation %d, scroll %d,%d, password %d, generation %d", int(zoom), f.zoomMode,
         f.rotationDegrees, f.scrollX, f.scrollY, f.password ? 1 : 0, f.generation);
  w.Line(L"Worker: %d job(s) waiting, busy %d (type %d page %d %dx%d), bmp mode %d, engine %d", int(f.jobsWaiting),
         f.busy ? 1 : 0, f.jobKind, f.jobPage, f.jobWidth, f.jobHeight, f.bmpMode ? 1 : 0, f.pdfiumLoaded ? 1 : 0);
  const wchar_t* thisDocument = !f.loaded ? L"-" : f.documentOnPdfium ? L"PDFium" : L"Windows engine";
  w.Line(L"PDF engine: %ls  [%ls]  this document: %ls", f.pdfiumLoaded ? L"PDFium" : L"Windows (PDFium not in use)",
         f.engineStatus.c_str(), thisDocument);
  w.Line(L"Text: %d of %d pages read (%d waiting), Find bar %ls \"%ls\" %d match(es), selection %d, bookmarks %d, "
         L"side panel view %d",
         f.textRead, f.textPages, f.textWaiting, f.findOpen ? L"open" : L"closed", f.findText.c_str(), f.matches,
         f.selection ? 1 : 0, f.bookmarks, f.sideView);
  w.Line(L"");
  w.Line(L"Pages (pos = position on screen, file# = page number in the file; ink = share of the picture that "
         L"isn't white):");
  for (size_t i = 0; i < f.pages.size() && i < kReportPageLines; ++i) {
    const ReportPage& p = f.pages[i];
    std::wstring big = Describe(p.big), small = Describe(p.small);
    w.Line(L"  pos %d file# %d  paper %.1f x %.1f  on screen %dx%d  big picture: %ls  |  panel slot %dx%d at %d  "
           L"small picture: %ls",
           int(i + 1), p.fileIndex + 1, double(p.paperWidth), double(p.paperHeight), p.screenWidth, p.screenHeight,
           big.c_str(), p.slotWidth, p.slotHeight, p.slotTop, small.c_str());
  }
  w.Line(L"");
  w.Line(L"Recent events (oldest first; the number is a clock in milliseconds, now = %lu):", f.now);
  w.Raw(f.eventLog);
  return w.Take();
}

double InkShare(const uint32_t* pixels, int width, int height) {
  if (!pixels || width <= 0 || height <= 0) return -1;
  const uint64_t count = uint64_t(width) * uint64_t(height);
  uint64_t ink = 0;
  for (uint64_t i = 0; i < count; ++i)
    if ((pixels[i] & 0xFFFFFF) != 0xFFFFFF) ++ink;
  return double(ink) * 100.0 / double(count);
}
