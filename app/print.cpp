#include "app/print.h"

#include <objbase.h>  // before commdlg.h: PRINTDLGEXW needs the COM declarations
#include <commdlg.h>

#include <cwchar>

#include "app/app_state.h"
#include "app/print_rules.h"
#include "app/status_bar.h"
#include "base/event_log.h"
#include "base/handles.h"
#include "doc/document.h"
#include "doc/document_open.h"
#include "doc/layout.h"
#include "doc/settings.h"
#include "engine/render_worker.h"

namespace {

// The printer, paper and other choices of the last print dialog, handed to
// the next one while the program runs.
HGLOBAL g_devMode = nullptr;
HGLOBAL g_devNames = nullptr;

constexpr DWORD kMaxRanges = 64;

// Asks the worker for the page's picture and puts it on the paper as one
// printer page. False when the picture could not be had or the printer
// refused the page.
bool PrintPage(HDC dc, int position, int number, int count, const PrinterArea& area, const PrintOptions& options) {
  wchar_t status[96];
  swprintf(status, 96, L"Printing page %d (%d of %d)...", position + 1, number, count);
  ShowStatusMessage(status);

  const PageModel& pages = g_doc.pages;
  if (position < 0 || position >= pages.PageCount()) return false;
  const PrintPagePlan plan =
      PlanPrintPage(pages.widths[position], pages.heights[position], g_doc.view.rotation, area, options);

  RenderResult result;
  RenderJob job;
  job.kind = kJobPrintRender;
  job.page = pages.order[position];
  job.width = plan.renderWidth;
  job.height = plan.renderHeight;
  job.rotation = plan.rotation;
  job.renderResult = &result;
  const bool sameDocument = RunDocumentJob(std::move(job));
  Gdi<HBITMAP> picture(result.bitmap);
  LogEvent(L"PrintPage position=%d page=%d rotation=%d picture=%dx%d paper=%dx%d at %d,%d hr=0x%08lX", position + 1,
           pages.order[position], plan.rotation, result.gotWidth, result.gotHeight, plan.width, plan.height,
           plan.left, plan.top, static_cast<unsigned long>(result.hr));
  if (!sameDocument || FAILED(result.hr) || !picture || !result.bits) return false;

  if (StartPage(dc) <= 0) return false;
  SetStretchBltMode(dc, HALFTONE);
  SetBrushOrgEx(dc, 0, 0, nullptr);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = result.gotWidth;
  info.bmiHeader.biHeight = -result.gotHeight;  // top-down
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  StretchDIBits(dc, plan.left, plan.top, plan.width, plan.height, 0, 0, result.gotWidth, result.gotHeight,
                result.bits, &info, DIB_RGB_COLORS, SRCCOPY);
  return EndPage(dc) > 0;
}

}  // namespace

bool PrintPositions(HDC dc, const std::vector<int>& positions) {
  HWND owner = g_app.mainWindow;
  DOCINFOW info = {sizeof(info)};
  info.lpszDocName = g_doc.displayName.c_str();
  if (StartDocW(dc, &info) <= 0) {
    LogEvent(L"Print StartDoc failed (error %lu)", GetLastError());
    MessageBoxW(owner, L"The printer could not start the print job.", L"Folivex", MB_OK | MB_ICONERROR);
    return false;
  }

  g_busy.printing = true;
  if (owner) EnableWindow(owner, FALSE);
  PrinterArea area;
  area.width = GetDeviceCaps(dc, HORZRES);
  area.height = GetDeviceCaps(dc, VERTRES);
  area.dpiX = GetDeviceCaps(dc, LOGPIXELSX);
  area.dpiY = GetDeviceCaps(dc, LOGPIXELSY);
  PrintOptions options;
  options.autoRotate = g_settings.PrintAutoRotate != 0;
  options.scale = g_settings.PrintScale;
  options.quality = g_settings.PrintQuality;
  LogEvent(L"Print start pages=%d area=%dx%d dpi=%dx%d scale=%d quality=%d autorotate=%d",
           static_cast<int>(positions.size()), area.width, area.height, area.dpiX, area.dpiY, options.scale,
           options.quality, options.autoRotate ? 1 : 0);

  bool ok = true;
  const int count = static_cast<int>(positions.size());
  for (int k = 0; k < count && ok; ++k) ok = PrintPage(dc, positions[k], k + 1, count, area, options);
  if (ok) {
    // A job the spooler refuses at its end has not been printed either.
    ok = EndDoc(dc) > 0;
  } else {
    AbortDoc(dc);
  }
  LogEvent(ok ? L"Print done" : L"Print stopped");

  if (owner) {
    EnableWindow(owner, TRUE);
    SetForegroundWindow(owner);
  }
  g_busy.printing = false;
  ShowStatusMessage(ok ? L"Sent to the printer." : L"");
  UpdateStatus();
  if (!ok)
    MessageBoxW(owner, L"Printing stopped because a page could not be rendered or sent to the printer.", L"Folivex",
                MB_OK | MB_ICONWARNING);
  return ok;
}

void PrintDocument() {
  if (!g_doc.loaded || g_busy.printing) return;
  const int count = g_doc.pages.PageCount();
  if (count <= 0) return;

  PRINTPAGERANGE ranges[kMaxRanges] = {};
  ranges[0].nFromPage = 1;
  ranges[0].nToPage = static_cast<DWORD>(count);
  PRINTDLGEXW dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = g_app.mainWindow;
  dialog.hDevMode = g_devMode;
  dialog.hDevNames = g_devNames;
  dialog.Flags = PD_RETURNDC | PD_NOSELECTION | PD_USEDEVMODECOPIESANDCOLLATE;
  dialog.nPageRanges = 1;
  dialog.nMaxPageRanges = kMaxRanges;
  dialog.lpPageRanges = ranges;
  dialog.nMinPage = 1;
  dialog.nMaxPage = static_cast<DWORD>(count);
  dialog.nCopies = 1;
  dialog.nStartPage = START_PAGE_GENERAL;
  const HRESULT hr = PrintDlgExW(&dialog);
  g_devMode = dialog.hDevMode;
  g_devNames = dialog.hDevNames;
  UniqueDc printer(dialog.hDC);
  if (FAILED(hr) || dialog.dwResultAction != PD_RESULT_PRINT || !printer) return;

  PrintChoice choice = PrintChoice::AllPages;
  std::vector<PrintRange> chosen;
  if (dialog.Flags & PD_CURRENTPAGE) {
    choice = PrintChoice::CurrentPage;
  } else if (dialog.Flags & PD_PAGENUMS) {
    choice = PrintChoice::PageRanges;
    for (DWORD i = 0; i < dialog.nPageRanges && i < kMaxRanges; ++i)
      chosen.push_back({static_cast<int>(ranges[i].nFromPage), static_cast<int>(ranges[i].nToPage)});
  }
  const std::vector<int> list = BuildPrintList(choice, count, CurrentPage(g_doc.view), chosen);
  if (list.empty()) return;
  PrintPositions(printer.Get(), list);
}
