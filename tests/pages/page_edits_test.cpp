// The page edits on a real document in this process, read by the program's
// own worker and PDFium: moves, deletes, undo and pages brought in from
// another PDF, with the messages they show.
#include "pages/page_edits.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "base/handles.h"
#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "doc/document_open.h"
#include "doc/worker_messages.h"
#include "tests/doc/doc_test_support.h"
#include "tests/doc/remembered_settings.h"
#include "tests/engine/worker_test_support.h"

using namespace doc_test;
using namespace worker_test;

namespace {

std::wstring g_message;  // the status bar's message, as the shell would show it

std::wstring Scratch(const std::wstring& name) {
  return TempPath((L"fv-edits-" + std::to_wstring(GetCurrentProcessId()) + L"-" + name).c_str());
}

// The private copies of other PDFs this process has on disk.
// This process's copies of brought-in PDFs; `remove` deletes them (copies
// left by an ended process that had the same number).
int CopiesOnDisk(bool remove = false) {
  WIN32_FIND_DATAW found;
  const std::wstring prefix = L"Folivex-import-" + std::to_wstring(GetCurrentProcessId()) + L"-";
  UniqueFind search(FindFirstFileW(TempPath((prefix + L"*.pdf").c_str()).c_str(), &found));
  if (!search) return 0;
  int n = 0;
  do {
    ++n;
    if (remove) DeleteFileW(TempPath(found.cFileName).c_str());
  } while (FindNextFileW(search.Get(), &found));
  return n;
}

void SetWriteTime(const std::wstring& path, uint64_t time) {
  UniqueFile file(CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  FILETIME t = {DWORD(time), DWORD(time >> 32)};
  SetFileTime(file.Get(), nullptr, nullptr, &t);
}

uint64_t WriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return (uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) | data.ftLastWriteTime.dwLowDateTime;
}

class PageEdits : public ::testing::Test {
 protected:
  void SetUp() override {
    window = std::make_unique<TestWindow>([](UINT m, WPARAM, LPARAM l) { return HandleWorkerMessage(m, l); });
    SetRenderTarget(window->Handle());
    ShellHooks shell;
    shell.showMessage = [](const std::wstring& text) { g_message = text; };
    SetShellHooks(shell);
    g_message.clear();
    ASSERT_TRUE(g_worker.Start(MakeProgramEngines(false)));
    path = Scratch(L"five.pdf");
    WritePdf(path, 5);
    OpenDocument(path, L"");
    ASSERT_TRUE(PumpUntil([] { return g_doc.loaded || !g_doc.loading; }, 20000));
    ASSERT_TRUE(g_doc.loaded);
    ASSERT_TRUE(g_doc.pdfium);
  }
  void TearDown() override {
    CloseDocument();
    g_doc.pending = PendingLoad();
    EXPECT_TRUE(g_worker.Shutdown(5000));
    PumpUntil([] { return true; }, 0);
    ReleaseDocumentAtExit();
    SetShellHooks({});
    DeleteFileW(path.c_str());
  }
  const PageOrder& Order() { return g_doc.pages.order; }

  RememberedSettings remembered;
  std::unique_ptr<TestWindow> window;
  std::wstring path;
};

TEST_F(PageEdits, MovesAreClampedUndoneAndKnowTheSavedOrder) {
  MovePage(2, 99);
  EXPECT_EQ(Order(), (PageOrder{0, 1, 3, 4, 2}));
  EXPECT_EQ(g_doc.pages.selected, 4);
  EXPECT_TRUE(g_doc.pages.orderChanged);
  EXPECT_EQ(g_message, L"Page 3 is now page 5. Click Save (Ctrl+S) to keep the new order.");

  MovePage(4, 2);  // and back
  EXPECT_EQ(Order(), (PageOrder{0, 1, 2, 3, 4}));
  EXPECT_FALSE(g_doc.pages.orderChanged);
  EXPECT_EQ(g_doc.pages.undoStack.size(), 2u);
  EXPECT_EQ(g_message, L"Page 5 is now page 3 \u2014 the pages are back in the order they were saved in.");

  // Onto itself, or up from the top: nothing changes, no undo step.
  MovePage(1, 1);
  MovePage(0, -4);
  MovePage(7, 0);
  EXPECT_EQ(g_doc.pages.undoStack.size(), 2u);

  Undo();
  EXPECT_EQ(Order(), (PageOrder{0, 1, 3, 4, 2}));
  EXPECT_EQ(g_message, L"Undid the last change. Click Save (Ctrl+S) to keep the pages as they are now.");
  Undo();
  EXPECT_EQ(Order(), (PageOrder{0, 1, 2, 3, 4}));
  EXPECT_EQ(g_message, L"Undid the last change \u2014 the pages are back the way they were saved.");

  // 101 edits keep 100 steps; the 101st undo finds nothing.
  for (int i = 0; i < 101; ++i) MovePage(0, 1);
  EXPECT_EQ(g_doc.pages.undoStack.size(), 100u);
  for (int i = 0; i < 100; ++i) Undo();
  const PageOrder before = Order();
  Undo();
  EXPECT_EQ(Order(), before);
  EXPECT_EQ(Order(), (PageOrder{1, 0, 2, 3, 4})) << "the oldest step was dropped";
}

TEST_F(PageEdits, DeletesSelectTheNextPageAndUndoKeepsTheSelectedOne) {
  MessageBoxAnswerer answerer;
  DeletePage(2);
  EXPECT_EQ(Order(), (PageOrder{0, 1, 3, 4}));
  EXPECT_EQ(g_doc.pages.selected, 2) << "the former page 4 moved up into the gap";
  EXPECT_EQ(g_message,
            L"Deleted page 3. Undo (Ctrl+Z) brings it back; the file only changes when you Save (Ctrl+S).");
  Undo();
  EXPECT_EQ(Order(), (PageOrder{0, 1, 2, 3, 4}));
  EXPECT_EQ(g_doc.pages.selected, 3) << "the page that was selected, not the restored one";

  DeletePage(4);
  EXPECT_EQ(g_doc.pages.selected, 3) << "the new last page";
  DeletePage(0);
  DeletePage(0);
  DeletePage(0);
  ASSERT_EQ(Order().size(), 1u);
  const size_t steps = g_doc.pages.undoStack.size();
  DeletePage(0);
  EXPECT_EQ(Order().size(), 1u);
  EXPECT_EQ(g_doc.pages.undoStack.size(), steps);
  ASSERT_TRUE(PumpUntil([&] { return answerer.Count() == 1; }, 5000));
  EXPECT_EQ(answerer.LastText(),
            L"This is the only page left, and a PDF needs at least one page, so it can't be deleted.");
  EXPECT_EQ(answerer.Count(), 1) << "no other message on the way";
}

TEST_F(PageEdits, BroughtInPagesComeFromPrivateCopiesUsedAgainWhileTheFileIsUnchanged) {
  MessageBoxAnswerer answerer;
  const std::wstring other = Scratch(L"other.pdf");
  WritePdf(other, 3);
  SetWriteTime(other, 126227808000000000ull);  // 2001: a copy dated like this would soon be cleaned up
  CopiesOnDisk(true);  // Wine gives process numbers out again
  const int copiesBefore = CopiesOnDisk();

  ASSERT_TRUE(ImportPage(other, L"other.pdf", 1, 2));
  EXPECT_EQ(Order(), (PageOrder{0, 1, 5, 2, 3, 4}));
  EXPECT_TRUE(g_doc.pages.orderChanged);
  EXPECT_EQ(g_doc.pages.selected, 2);
  ASSERT_EQ(g_doc.pages.importedPdfs.size(), 1u);
  ASSERT_EQ(g_doc.pages.broughtIn.size(), 1u);
  EXPECT_EQ(g_doc.pages.broughtIn[0].page, 1);
  EXPECT_EQ(g_message, L"Added page 2 of other.pdf as page 3. Save (Ctrl+S) keeps it; Undo (Ctrl+Z) takes it out.");
  const std::wstring copy = g_doc.pages.importedPdfs[0].copyPath;
  EXPECT_EQ(CopiesOnDisk(), copiesBefore + 1);
  FILETIME now;
  GetSystemTimeAsFileTime(&now);
  const uint64_t nowTime = (uint64_t(now.dwHighDateTime) << 32) | now.dwLowDateTime;
  EXPECT_GT(WriteTime(copy), nowTime - 600000000ull) << "the copy is dated when it was made";
  EXPECT_FALSE(DeleteFileW(copy.c_str())) << "a copy in use can't be deleted under the engine";

  // The same unchanged file: the copy serves again.
  ASSERT_TRUE(ImportPage(other, L"other.pdf", 0, 0));
  EXPECT_EQ(g_doc.pages.importedPdfs.size(), 1u);
  EXPECT_EQ(Order(), (PageOrder{6, 0, 1, 5, 2, 3, 4}));
  // Written again since: a new copy.
  SetWriteTime(other, 126227808010000000ull);
  ASSERT_TRUE(ImportPage(other, L"other.pdf", 2, 99));
  EXPECT_EQ(g_doc.pages.importedPdfs.size(), 2u);
  EXPECT_EQ(Order().back(), 7);
  EXPECT_EQ(CopiesOnDisk(), copiesBefore + 2);

  // A page the PDF doesn't have: nothing changes and the new copy goes.
  SetWriteTime(other, 126227808020000000ull);
  const PageOrder before = Order();
  const size_t steps = g_doc.pages.undoStack.size();
  EXPECT_FALSE(ImportPage(other, L"other.pdf", 9, 0));
  ASSERT_TRUE(PumpUntil([&] { return answerer.Count() == 1; }, 5000));
  EXPECT_EQ(answerer.LastText(), L"Folivex couldn't take that page from other.pdf.\n\nIf that PDF is password "
                                 L"protected, its pages can't be copied into another PDF.");
  EXPECT_EQ(Order(), before);
  EXPECT_EQ(g_doc.pages.undoStack.size(), steps);
  EXPECT_EQ(g_doc.pages.importedPdfs.size(), 2u);
  EXPECT_EQ(CopiesOnDisk(), copiesBefore + 2);

  const std::wstring missing = Scratch(L"missing.pdf");
  EXPECT_FALSE(ImportPage(missing, L"missing.pdf", 0, 0));
  ASSERT_TRUE(PumpUntil([&] { return answerer.Count() == 2; }, 5000));
  EXPECT_EQ(answerer.LastText(), L"Folivex couldn't find the PDF the page comes from:\n\n" + missing);
  EXPECT_EQ(Order(), before);

  Undo();
  EXPECT_EQ(Order(), (PageOrder{6, 0, 1, 5, 2, 3, 4}));
  // Closing the document deletes the copies, once the worker has let go of them.
  CloseDocument();
  EXPECT_TRUE(PumpUntil([&] { return CopiesOnDisk() == copiesBefore; }, 5000));
  DeleteFileW(other.c_str());
}

}  // namespace
