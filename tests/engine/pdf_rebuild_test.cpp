// The engine's rebuild on real PDFium, checked with independent tools
// (qpdf and poppler through tests/gui/save_check.py): deleted pages gone,
// the rest in the new order, runs of pages from another PDF brought in
// where they belong.
#include "engine/pdf_rebuild.h"

#include <gtest/gtest.h>

#include <string>

#include "engine/save_faults.h"
#include "tests/engine/engine_test_support.h"

using namespace engine_test;

namespace {

std::wstring Wide(const std::string& text) { return std::wstring(text.begin(), text.end()); }

void RunOnLinux(const std::string& command) {
  std::wstring line = L"/bin/sh -c \"" + Wide(command) + L"\"";
  STARTUPINFOW startup = {sizeof(startup)};
  PROCESS_INFORMATION process = {};
  ASSERT_TRUE(CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process));
  UniqueHandle thread(process.hThread);
  UniqueHandle handle(process.hProcess);
  WaitForSingleObject(handle.Get(), 120000);
}

// The Unix side may still be at work when Wine reports its process ended.
bool WaitFor(const std::wstring& path) {
  for (int i = 0; i < 300 && !Exists(path); ++i) Sleep(100);
  return Exists(path);
}

std::string Text(const std::wstring& path) {
  WaitFor(path);
  Sleep(100);
  std::vector<uint8_t> bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

class Rebuild : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SharedPdfium().Ready());
    unixDir = "/tmp/fv-rebuild-" + std::to_string(GetCurrentProcessId());
    dir = L"Z:" + Wide(unixDir);
    for (wchar_t& c : dir)
      if (c == L'/') c = L'\\';
    RunOnLinux("mkdir -p " + unixDir + " && python3 " + std::string(FV_SOURCE_DIR) +
               "/tools/make_page_order_pdfs.py " + unixDir + " --pages 14 && touch " + unixDir + "/made");
    ASSERT_TRUE(WaitFor(dir + L"\\made"));
  }
  void TearDown() override {
    SharedPdfium().Close();
    RemoveTree(dir);
  }
  // The rebuild into a file made beforehand, as the save flow makes it.
  HRESULT Run(const std::vector<int>& order, std::wstring& message) {
    UniqueFile made(CreateFileW(out().c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    made.Reset();
    RenderJob job;
    job.kind = kJobRebuild;
    job.path = out();
    job.sourcePath = dir + L"\\tree.pdf";
    job.pageList = order;
    return RebuildWithPdfium(SharedPdfium(), job, message);
  }
  std::wstring out() const { return dir + L"\\out.pdf"; }

  std::string unixDir;
  std::wstring dir;
};

TEST_F(Rebuild, DeletesMovesAndBringsInPages) {
  PdfiumEngine& engine = SharedPdfium();
  PageSizes sizes, added;
  ASSERT_EQ(engine.Open(dir + L"\\tree.pdf", L"", sizes), S_OK);
  // Sources 14.. are pages 10, 11 and 12 and then page 1 of another PDF.
  const std::wstring other = dir + L"\\xrefstream.pdf";
  ASSERT_TRUE(engine.AddBroughtInPages({{other, 9}, {other, 10}, {other, 11}, {other, 0}}, added));
  // File pages 2 and 4 gone, page 5 first; the three brought-in pages
  // together at position 2, the fourth at the end.
  std::vector<int> order = {4, 0, 14, 15, 16, 2};
  for (int s = 5; s < 14; ++s) order.push_back(s);
  order.push_back(17);
  std::wstring message;
  ASSERT_EQ(Run(order, message), S_OK) << std::string(message.begin(), message.end());
  EXPECT_TRUE(message.empty());
  RunOnLinux("python3 " + std::string(FV_SOURCE_DIR) + "/tests/gui/save_check.py " + unixDir + "/out.pdf " +
             "5,1,10,11,12,3,6,7,8,9,10,11,12,13,14,1 - " + unixDir + "/summary");
  EXPECT_EQ(Text(dir + L"\\summary"), "ok");
}

TEST_F(Rebuild, RefusesBadListsAndRemovesAShortFile) {
  PdfiumEngine& engine = SharedPdfium();
  PageSizes sizes;
  ASSERT_EQ(engine.Open(dir + L"\\tree.pdf", L"", sizes), S_OK);
  std::wstring message;
  EXPECT_EQ(Run({0, 1, 1}, message), E_FAIL);
  EXPECT_EQ(message, L"The list of pages to save didn't make sense (internal error).");
  EXPECT_EQ(Run({0, 14}, message), E_FAIL) << "no page was brought in";
  EXPECT_EQ(Run({}, message), E_FAIL);
  EXPECT_EQ(message, L"A PDF needs at least one page.");

  // A write that comes up short fails the whole file, which is removed.
  SaveFaults& faults = TestSaveFaults();
  faults.shortWriteAt = SaveFileWrites();
  const HRESULT hr = Run({1, 0}, message);
  faults.shortWriteAt = -1;
  EXPECT_EQ(hr, E_FAIL);
  EXPECT_EQ(message, L"The new file couldn't be written completely (is the disk full?).");
  EXPECT_FALSE(Exists(out()));
}

}  // namespace
