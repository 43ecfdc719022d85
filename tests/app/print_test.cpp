// Printing in this process onto the test printer, with a scripted engine
// whose second page can't be rendered: the job is aborted, the user is told,
// and the window is usable again.
#include "app/print.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "app/app_state.h"
#include "app/main_window.h"
#include "base/handles.h"
#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "doc/document_open.h"
#include "doc/worker_messages.h"
#include "tests/base/test_printer.h"
#include "tests/doc/doc_test_support.h"
#include "tests/doc/remembered_settings.h"
#include "tests/engine/worker_test_support.h"

using namespace doc_test;
using namespace worker_test;

namespace {

TEST(Print, APageThatFailsAbortsTheJobAndLeavesTheWindowUsable) {
  std::wstring error;
  const std::wstring output = L"/tmp/folivex-print-test-" + std::to_wstring(GetCurrentProcessId()) + L".ps";
  ASSERT_TRUE(PrepareTestPrinter(output, error)) << std::string(error.begin(), error.end());
  UniqueDc printer(CreateDCW(L"WINSPOOL", kTestPrinterName, nullptr, nullptr));
  ASSERT_TRUE(printer) << "no DC for the test printer";

  RememberedSettings remembered;
  auto window = std::make_unique<TestWindow>([](UINT m, WPARAM, LPARAM l) { return HandleWorkerMessage(m, l); });
  g_app.mainWindow = window->Handle();
  ConnectShell();
  SetRenderTarget(window->Handle());
  FakeEngine pdfium, windows;
  pdfium.pages = 3;
  windows.ready = false;
  std::atomic<bool> started{false}, stopped{false};
  ASSERT_TRUE(g_worker.Start(std::make_unique<FakeEngines>(&pdfium, &windows, &started, &stopped)));
  OpenDocument(L"C:\\docs\\three.pdf", L"");
  ASSERT_TRUE(PumpUntil([] { return g_doc.loaded; }, 10000));

  // The engine now knows only the first page: the second one fails.
  pdfium.pages = 1;
  bool printed = true;
  {
    MessageBoxAnswerer answerer;
    printed = PrintPositions(printer.Get(), {0, 1, 2});
    EXPECT_TRUE(PumpUntil([&] { return answerer.Count() == 1; }, 5000));
    EXPECT_EQ(answerer.LastText(), L"Printing stopped because a page could not be rendered or sent to the printer.");
  }
  EXPECT_FALSE(printed);
  EXPECT_TRUE(IsWindowEnabled(window->Handle())) << "the window is usable again";
  EXPECT_FALSE(g_busy.printing);
  // Page 1 was rendered, page 2 failed, page 3 was never asked for.
  int renders[3] = {0, 0, 0};
  for (const FakeEngine::Call& call : pdfium.Calls())
    if (call.what == 'r' && call.page >= 0 && call.page < 3) ++renders[call.page];
  EXPECT_EQ(renders[0], 1);
  EXPECT_EQ(renders[1], 1);
  EXPECT_EQ(renders[2], 0);

  CloseDocument();
  EXPECT_TRUE(g_worker.Shutdown(5000));
  PumpUntil([] { return true; }, 0);
  ReleaseDocumentAtExit();
  SetShellHooks({});
  g_app.mainWindow = nullptr;
}

}  // namespace
