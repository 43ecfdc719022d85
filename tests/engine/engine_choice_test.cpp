#include <roapi.h>

#include <gtest/gtest.h>

#include "base/event_log.h"
#include "engine/pdf_engine.h"
#include "engine/pdfium_engine.h"
#include "engine/windows_pdf_engine.h"
#include "tests/engine/engine_test_support.h"

using namespace engine_test;

namespace {

// An engine that answers Open and Probe with a set result.
class StandIn final : public PdfEngine {
 public:
  StandIn(bool ready, HRESULT result, float width = 100) : ready_(ready), result_(result), width_(width) {}
  int opens = 0, probes = 0;
  std::wstring lastPassword;

  bool Ready() const override { return ready_; }
  HRESULT Open(const std::wstring&, const std::wstring& password, PageSizes& sizes) override {
    ++opens;
    lastPassword = password;
    if (SUCCEEDED(result_)) sizes.Append(width_, 200);
    return result_;
  }
  HRESULT Probe(const std::wstring&, const std::wstring&, PageSizes& sizes) override {
    ++probes;
    if (SUCCEEDED(result_)) sizes.Append(width_, 200);
    return result_;
  }
  HRESULT Render(int, int, int, int, bool, RenderedPage&) override { return E_NOTIMPL; }
  bool ReadPageText(int, PageText&) override { return false; }
  std::vector<BookmarkEntry> ReadBookmarks() override { return {}; }
  bool AddBroughtInPages(const std::vector<BroughtInRequest>&, PageSizes&) override { return false; }
  void Close() override {}

 private:
  bool ready_;
  HRESULT result_;
  float width_;
};

std::wstring LogText() {
  std::wstring log;
  ReadEventLog(log);
  return log;
}

}  // namespace

TEST(EngineChoice, PdfiumFirst) {
  StandIn pdfium(true, S_OK, 111), windows(true, S_OK, 222);
  PageSizes sizes;
  EngineOpenResult r = OpenWithEngineChoice(pdfium, windows, L"a.pdf", L"pw", sizes);
  EXPECT_EQ(r.hr, S_OK);
  EXPECT_EQ(r.engine, EngineKind::Pdfium);
  EXPECT_EQ(windows.opens, 0);
  ASSERT_EQ(sizes.Count(), 1u);
  EXPECT_FLOAT_EQ(sizes.widths[0], 111.0f);
  EXPECT_EQ(pdfium.lastPassword, L"pw");
}

TEST(EngineChoice, WindowsEngineServesWhatPdfiumCannotOpen) {
  StandIn pdfium(true, E_FAIL), windows(true, S_OK, 222);
  PageSizes sizes;
  EngineOpenResult r = OpenWithEngineChoice(pdfium, windows, L"a.pdf", L"", sizes);
  EXPECT_EQ(r.hr, S_OK);
  EXPECT_EQ(r.engine, EngineKind::Windows);
  ASSERT_EQ(sizes.Count(), 1u);
  EXPECT_FLOAT_EQ(sizes.widths[0], 222.0f);
  EXPECT_NE(LogText().find(L"PDFium could not open the file (hr=0x80004005)"), std::wstring::npos);
}

TEST(EngineChoice, WrongPasswordNeverFallsBack) {
  StandIn pdfium(true, kHrWrongPassword), windows(true, S_OK);
  PageSizes sizes;
  EngineOpenResult r = OpenWithEngineChoice(pdfium, windows, L"a.pdf", L"bad", sizes);
  EXPECT_EQ(r.hr, kHrWrongPassword);
  EXPECT_EQ(r.engine, EngineKind::None);
  EXPECT_EQ(windows.opens, 0);
  EXPECT_EQ(sizes.Count(), 0u);
}

TEST(EngineChoice, WhichErrorIsReported) {
  PageSizes sizes;
  {  // Both fail; the Windows engine's password error wins.
    StandIn pdfium(true, E_FAIL), windows(true, kHrPasswordNeeded);
    EXPECT_EQ(OpenWithEngineChoice(pdfium, windows, L"a", L"", sizes).hr, kHrPasswordNeeded);
  }
  {  // Both fail otherwise: PDFium's error.
    StandIn pdfium(true, E_FAIL), windows(true, E_INVALIDARG);
    EngineOpenResult r = OpenWithEngineChoice(pdfium, windows, L"a", L"", sizes);
    EXPECT_EQ(r.hr, E_FAIL);
    EXPECT_EQ(r.engine, EngineKind::None);
  }
  {  // PDFium fails and there is no Windows engine.
    StandIn pdfium(true, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)), windows(false, S_OK);
    EXPECT_EQ(OpenWithEngineChoice(pdfium, windows, L"a", L"", sizes).hr, HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(windows.opens, 0);
  }
  {  // Without PDFium the Windows engine's result is the result.
    StandIn pdfium(false, S_OK), windows(true, E_INVALIDARG);
    EXPECT_EQ(OpenWithEngineChoice(pdfium, windows, L"a", L"", sizes).hr, E_INVALIDARG);
    EXPECT_EQ(pdfium.opens, 0);
    StandIn works(true, S_OK);
    EngineOpenResult r = OpenWithEngineChoice(pdfium, works, L"a", L"", sizes);
    EXPECT_EQ(r.engine, EngineKind::Windows);
  }
  {  // Neither engine.
    StandIn pdfium(false, S_OK), windows(false, S_OK);
    EngineOpenResult r = OpenWithEngineChoice(pdfium, windows, L"a", L"", sizes);
    EXPECT_EQ(r.hr, kHrNoEngine);
    EXPECT_EQ(r.engine, EngineKind::None);
  }
}

TEST(EngineChoice, Probe) {
  PageSizes sizes;
  StandIn pdfium(true, S_OK, 1), windows(true, S_OK, 2), off(false, S_OK);
  EXPECT_EQ(ProbeWithEngineChoice(pdfium, windows, L"a", L"", sizes), S_OK);
  EXPECT_EQ(windows.probes, 0);
  EXPECT_FLOAT_EQ(sizes.widths[0], 1.0f);
  EXPECT_EQ(ProbeWithEngineChoice(off, windows, L"a", L"", sizes), S_OK);
  EXPECT_FLOAT_EQ(sizes.widths[0], 2.0f);
  EXPECT_EQ(ProbeWithEngineChoice(off, off, L"a", L"", sizes), kHrNoEngine);
  EXPECT_EQ(sizes.Count(), 0u);
}

// The real engines: PDFium loaded, the Windows engine as this system has it.
TEST(EngineChoice, RealEnginesWithPasswordFile) {
  PdfiumEngine& pdfium = SharedPdfium();
  ASSERT_TRUE(pdfium.Ready());
  HRESULT ro = RoInitialize(RO_INIT_MULTITHREADED);
  WindowsPdfEngine windows;
  windows.Start();  // unavailable under Wine; either way a wrong password must stop at PDFium
  PageSizes sizes;
  EngineOpenResult wrong = OpenWithEngineChoice(pdfium, windows, DataFile(L"password.pdf"), L"nope", sizes);
  EXPECT_EQ(wrong.hr, kHrWrongPassword);
  EngineOpenResult right = OpenWithEngineChoice(pdfium, windows, DataFile(L"password.pdf"), L"geheim-\u00fc", sizes);
  EXPECT_EQ(right.hr, S_OK);
  EXPECT_EQ(right.engine, EngineKind::Pdfium);
  EXPECT_EQ(sizes.Count(), 3u);
  pdfium.Close();
  windows.Stop();
  if (SUCCEEDED(ro)) RoUninitialize();
}
