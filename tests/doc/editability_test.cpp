#include "doc/editability.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "base/handles.h"
#include "base/win_util.h"
#include "doc/document.h"
#include "tests/doc/doc_test_support.h"

namespace {

using namespace doc_test;

TEST(Editability, SystemErrorText) {
  std::wstring text = SystemErrorText(ERROR_FILE_NOT_FOUND);
  ASSERT_FALSE(text.empty());
  EXPECT_NE(text.back(), L'\n');
  EXPECT_NE(text.back(), L' ');
  EXPECT_EQ(SystemErrorText(0x2FFFFFFF), L"Windows error 805306367.");
}

TEST(Editability, ReadWholeFileLimits) {
  std::vector<uint8_t> bytes;
  std::wstring error;
  EXPECT_FALSE(ReadWholeFile(TempPath(L"folivex-no-such-file.pdf"), bytes, error));
  EXPECT_EQ(error.rfind(L"The PDF file couldn't be read: ", 0), 0u) << std::string(error.begin(), error.end());

  // Sizes are checked before anything is read: a sparse file is enough.
  std::wstring big = TempPath(L"folivex-1gb.pdf");
  LARGE_INTEGER size;
  {
    UniqueFile file(CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_NE(file.Get(), INVALID_HANDLE_VALUE);
    size.QuadPart = LONGLONG(kMaxEditableFileBytes) + 1;
    SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN);
    SetEndOfFile(file.Get());
  }  // closed before it is read
  EXPECT_FALSE(ReadWholeFile(big, bytes, error));
  EXPECT_EQ(error, L"This PDF is bigger than 1 GB, which is too big for Folivex to rearrange.");

  // Exactly 1 GB is read (and then examined).
  {
    UniqueFile file(CreateFileW(big.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    size.QuadPart = LONGLONG(kMaxEditableFileBytes);
    SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN);
    SetEndOfFile(file.Get());
  }
  EXPECT_TRUE(ReadWholeFile(big, bytes, error));
  EXPECT_EQ(bytes.size(), size_t(kMaxEditableFileBytes));
  bytes = std::vector<uint8_t>();
  DeleteFileW(big.c_str());
}

TEST(Editability, VerdictIsKeptAndRefusalsExplained) {
  std::wstring path = TempPath(L"folivex-editable.pdf");
  WritePdf(path, 4);
  g_doc.path = path;
  g_doc.pages.fileCount = 4;
  // Fewer positions on screen than pages in the file (a page was deleted
  // and the save failed): the file itself still matches.
  g_doc.pages.order = {0, 2, 3};
  g_doc.editState = kEditNotChecked;
  {
    MessageBoxAnswerer answerer;
    EXPECT_TRUE(EnsureEditable());
    EXPECT_EQ(g_doc.editState, kEditAllowed);
    EXPECT_EQ(answerer.Count(), 0);
  }

  // The file was replaced by one with another page count since it was opened.
  WritePdf(path, 5);
  g_doc.editState = kEditNotChecked;
  {
    MessageBoxAnswerer answerer;
    EXPECT_FALSE(EnsureEditable());
    EXPECT_EQ(g_doc.editState, kEditRefused);
    EXPECT_EQ(g_doc.editRefusal,
              L"Folivex and Windows don't agree on how many pages this PDF has, so it isn't safe to change it.");
    EXPECT_EQ(answerer.Count(), 1);
    EXPECT_EQ(answerer.LastText().rfind(L"The pages of this PDF can't be rearranged.\n\nFolivex and Windows", 0), 0u);

    // A second attempt explains again without reading the file again.
    DeleteFileW(path.c_str());
    EXPECT_FALSE(EnsureEditable());
    EXPECT_EQ(answerer.Count(), 2);
    EXPECT_EQ(g_doc.editRefusal,
              L"Folivex and Windows don't agree on how many pages this PDF has, so it isn't safe to change it.");
  }
  g_doc.editState = kEditNotChecked;
  g_doc.path.clear();
  g_doc.pages.order.clear();
}

}  // namespace
