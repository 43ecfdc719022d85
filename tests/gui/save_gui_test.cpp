// Saving through the real program: Save and Save As on varied PDFs checked
// with qpdf and poppler, the view kept across the reopen, the question
// about unsaved changes, and every way a save can fail — each time the
// original must be byte for byte what it was and no temporary file may be
// left beside it. Faults the file system won't produce on demand (a short
// write, a wrong read-back, the process dying mid-write) come from the test
// build FolivexFaults.exe.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "base/handles.h"
#include "tests/gui/gui_harness.h"
#include "ui/commands.h"

namespace {

std::string Unix(const std::wstring& windowsPath) { return UnixPath(windowsPath); }

std::vector<uint8_t> Bytes(const std::wstring& path) {
  std::vector<uint8_t> bytes;
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, 0, nullptr));
  LARGE_INTEGER size = {};
  if (!file || !GetFileSizeEx(file.Get(), &size)) return bytes;
  bytes.resize(size_t(size.QuadPart));
  size_t done = 0;
  DWORD got = 0;
  while (done < bytes.size() && ReadFile(file.Get(), bytes.data() + done, DWORD(bytes.size() - done), &got, nullptr) &&
         got > 0)
    done += got;
  bytes.resize(done);
  return bytes;
}

std::wstring Folder(const std::wstring& path) { return path.substr(0, path.find_last_of(L'\\')); }

// Temporary files of a save left in a folder once the save has settled
// (the replaced file is deleted in the background, at once).
int TempFilesIn(const std::wstring& folder) {
  int n = 0;
  for (int look = 0; look < 30; ++look) {
    n = 0;
    WIN32_FIND_DATAW found;
    if (UniqueFind find{FindFirstFileW((folder + L"\\*.folivex-tmp").c_str(), &found)}) {
      do ++n;
      while (FindNextFileW(find.Get(), &found));
    }
    if (n == 0) break;
    Sleep(100);
  }
  return n;
}

// A fresh folder for one test with copies of the save test documents.
std::wstring WorkFolder(const std::wstring& name) {
  CreateDirectoryW((BuildDir() + L"\\save-test").c_str(), nullptr);
  const std::wstring dir = BuildDir() + L"\\save-test\\" + name;
  CreateDirectoryW(dir.c_str(), nullptr);
  WIN32_FIND_DATAW found;
  if (UniqueFind find{FindFirstFileW((dir + L"\\*").c_str(), &found)}) {
    do {
      const std::wstring file = dir + L"\\" + found.cFileName;
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileW(file.c_str());
    } while (FindNextFileW(find.Get(), &found));
  }
  return dir;
}

std::wstring CopyIn(const std::wstring& dir, const std::wstring& name) {
  const std::wstring to = dir + L"\\" + name;
  SetFileAttributesW(to.c_str(), FILE_ATTRIBUTE_NORMAL);
  CopyFileW(TestPdf(L"save\\" + name).c_str(), to.c_str(), FALSE);
  return to;
}

// qpdf --check, the page count and every page's "Folivex page K" in order,
// and with `prefix` the original's bytes at the start.
std::string CheckSaved(const std::wstring& saved, const std::vector<int>& pages, const std::wstring& prefix) {
  std::string list;
  for (int k : pages) list += (list.empty() ? "" : ",") + std::to_string(k);
  const std::wstring summary = saved + L".check";
  DeleteFileW(summary.c_str());
  RunOnLinux("python3 " + std::string(FV_SOURCE_DIR) + "/tests/gui/save_check.py '" + Unix(saved) + "' " + list +
             " " + (prefix.empty() ? std::string("-") : "'" + Unix(prefix) + "'") + " '" + Unix(summary) + "'");
  WaitForFile(summary, 30000);
  Sleep(200);
  const std::vector<uint8_t> text = Bytes(summary);
  return std::string(text.begin(), text.end());
}

std::vector<int> Range(int from, int to) {
  std::vector<int> r;
  for (int k = from; k <= to; ++k) r.push_back(k);
  return r;
}

std::wstring Name(const std::wstring& path) { return path.substr(path.find_last_of(L'\\') + 1); }

class SaveGui : public ::testing::Test {
 protected:
  void SetUp() override {
    SetNumber(L"ReopenLast", 0);
    SetNumber(L"DefaultZoom", 0);
  }

  // Opens `path`, waits for it and moves the first page to the end.
  std::unique_ptr<FolivexApp> OpenAndMove(const std::wstring& path, const wchar_t* program = L"Folivex.exe") {
    auto app = std::make_unique<FolivexApp>(BuildDir() + L"\\" + program, L"/at 40,40,900,700 " + Quoted(path));
    EXPECT_NE(app->MainWindow(), nullptr);
    EXPECT_TRUE(WaitForTitle(*app, Name(path) + L" - Folivex"));
    app->Command(CMD_MOVE_TO_END);
    EXPECT_TRUE(WaitForTitle(*app, L"* " + Name(path) + L" - Folivex"));
    return app;
  }

  // The save ends in the failure message; its text is returned and the
  // message closed. The original and its folder must be as they were.
  std::wstring ExpectFailure(FolivexApp& app, const std::wstring& original, const std::vector<uint8_t>& before,
                             const wchar_t* screenshot = nullptr) {
    HWND box = WaitForDialog(app, L"Folivex couldn't save", 30000);
    EXPECT_NE(box, nullptr) << "no failure message";
    if (!box) {
      app.Screenshot(L"save-no-failure-message");
      return std::wstring();
    }
    const std::wstring text = DialogMessage(box);
    if (screenshot) app.Screenshot(screenshot);
    Press(box, IDOK);
    EXPECT_TRUE(WaitForStatus(app, 3, L"  Not saved."));
    EXPECT_TRUE(Bytes(original) == before) << "the original changed";
    EXPECT_EQ(TempFilesIn(Folder(original)), 0) << "a temporary file was left";
    EXPECT_EQ(app.Title(), L"* " + Name(original) + L" - Folivex") << "the edits are still on screen";
    return text;
  }
};

const wchar_t kUnchanged[] = L"\n\nYour original PDF has not been changed.";

bool EndsWith(const std::wstring& text, const std::wstring& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST_F(SaveGui, MovesAndDeletionsAreSavedIntoVariedPdfs) {
  const std::wstring dir = WorkFolder(L"varied");
  for (const wchar_t* name : {L"tree.pdf", L"incremental.pdf", L"hybrid.pdf", L"xrefstream.pdf", L"linearized.pdf"}) {
    SCOPED_TRACE(Narrow(name));
    const std::wstring path = CopyIn(dir, name);
    const std::wstring before = path + L".before";
    CopyFileW(path.c_str(), before.c_str(), FALSE);
    auto app = OpenAndMove(path);
    app->Command(CMD_SAVE);
    ASSERT_TRUE(WaitForStatus(*app, 3, L"  Saved \u2014 the pages of " + std::wstring(name) +
                                           L" are now in the new order.", 30000))
        << Narrow(app->StatusParts()[3]);
    EXPECT_TRUE(WaitForTitle(*app, std::wstring(name) + L" - Folivex"));
    std::vector<int> order = Range(2, 14);
    order.push_back(1);
    EXPECT_EQ(CheckSaved(path, order, before), "ok");

    // A deletion: the engine rebuilds the file.
    app->Command(CMD_FIRST_PAGE);
    app->Settle();
    app->Command(CMD_DELETE_PAGE);
    ASSERT_TRUE(WaitForTitle(*app, L"* " + std::wstring(name) + L" - Folivex"));
    app->Command(CMD_SAVE);
    ASSERT_TRUE(WaitForStatus(*app, 3, L"  Saved \u2014 " + std::wstring(name) + L" now has the pages you see.", 30000))
        << Narrow(app->StatusParts()[3]) << " " << Narrow(DialogMessage(WaitForDialog(*app, nullptr, 1000)));
    order.erase(order.begin());
    EXPECT_EQ(CheckSaved(path, order, L""), "ok");
    EXPECT_EQ(TempFilesIn(dir), 0);
  }
}

TEST_F(SaveGui, TheViewStaysAsItWasAcrossTheSave) {
  const std::wstring dir = WorkFolder(L"view");
  const std::wstring path = CopyIn(dir, L"tree.pdf");
  auto app = OpenAndMove(path);
  app->Command(CMD_ROTATE_RIGHT);
  app->Command(CMD_ZOOM_IN);
  app->Command(CMD_FIRST_PAGE);
  app->Command(CMD_NEXT_PAGE);
  app->Command(CMD_NEXT_PAGE);
  ASSERT_TRUE(WaitForStatus(*app, 0, L"  Page 3 of 14"));
  const std::vector<std::wstring> parts = app->StatusParts();
  HWND view = FindWindowExW(app->MainWindow(), nullptr, L"FolivexView", nullptr);
  RECT r = {};
  GetWindowRect(view, &r);
  // Until two looks agree: the pictures have arrived.
  std::vector<uint32_t> shown;
  for (int i = 0; i < 40; ++i) {
    app->Settle(150);
    std::vector<uint32_t> now = ScreenPixels(r.left, r.top, r.right - r.left - 30, r.bottom - r.top - 30);
    if (now == shown) break;
    shown = std::move(now);
  }

  app->Command(CMD_SAVE);
  ASSERT_TRUE(WaitForStatus(*app, 3, L"  Saved \u2014 the pages of tree.pdf are now in the new order.", 30000));
  // Right after the reopen the same pictures are on screen, not placeholders.
  EXPECT_TRUE(ScreenPixels(r.left, r.top, r.right - r.left - 30, r.bottom - r.top - 30) == shown)
      << "the view changed across the save";
  app->Screenshot(L"save-done");
  const std::vector<std::wstring> after = app->StatusParts();
  EXPECT_EQ(after[0], parts[0]);
  EXPECT_EQ(after[1], parts[1]);
  EXPECT_EQ(after[2], parts[2]);
  EXPECT_EQ(app->Title(), L"tree.pdf - Folivex");
  // Nothing to undo: the saved file is the new starting point.
  app->Command(CMD_UNDO);
  app->Settle();
  EXPECT_EQ(app->Title(), L"tree.pdf - Folivex");
  EXPECT_EQ(app->StatusParts()[3], L"  Saved \u2014 the pages of tree.pdf are now in the new order.");

  // Save As with nothing changed: a copy, opened in its place.
  app->Command(CMD_SAVE_AS);
  HWND dialog = WaitForDialog(*app, L"Save this PDF under a new name");
  ASSERT_NE(dialog, nullptr);
  HWND name = GetDlgItem(dialog, 0x47C);
  if (!name) name = GetDlgItem(dialog, 0x480);
  Type(name, dir + L"\\copy.pdf");
  Press(dialog, IDOK);
  ASSERT_TRUE(WaitForStatus(*app, 3, L"  Saved as copy.pdf (now open). The original file was not changed.", 30000))
      << Narrow(app->StatusParts()[3]);
  EXPECT_EQ(app->Title(), L"copy.pdf - Folivex");
  EXPECT_TRUE(Bytes(dir + L"\\copy.pdf") == Bytes(path));
}

TEST_F(SaveGui, UnsavedChangesAreAskedAbout) {
  const std::wstring dir = WorkFolder(L"question");
  const std::wstring path = CopyIn(dir, L"tree.pdf");
  const std::vector<uint8_t> before = Bytes(path);
  {
    auto app = OpenAndMove(path);
    // Closing the window: Cancel keeps it, No closes without saving.
    PostMessageW(app->MainWindow(), WM_CLOSE, 0, 0);
    HWND ask = WaitForDialog(*app, L"Folivex");
    ASSERT_NE(ask, nullptr);
    EXPECT_EQ(DialogMessage(ask).rfind(L"You changed the pages of tree.pdf (moved, deleted or added some) but haven't "
                                       L"saved that.\n\nSave it now?",
                                       0),
              0u)
        << Narrow(DialogMessage(ask));
    app->Screenshot(L"save-question");
    Press(ask, IDCANCEL);
    app->Settle();
    EXPECT_EQ(app->Title(), L"* tree.pdf - Folivex");
    PostMessageW(app->MainWindow(), WM_CLOSE, 0, 0);
    ask = WaitForDialog(*app, L"Folivex");
    ASSERT_NE(ask, nullptr);
    Press(ask, IDNO);
    EXPECT_TRUE(app->WaitForExit(10000));
    EXPECT_TRUE(Bytes(path) == before);
  }
  // Close (Ctrl+W) with Yes saves first.
  auto app = OpenAndMove(path);
  app->Command(CMD_CLOSE);
  HWND ask = WaitForDialog(*app, L"Folivex");
  ASSERT_NE(ask, nullptr);
  Press(ask, IDYES);
  ASSERT_TRUE(WaitForTitle(*app, L"Folivex", 30000));
  std::vector<int> order = Range(2, 14);
  order.push_back(1);
  EXPECT_EQ(CheckSaved(path, order, L""), "ok");
}

TEST_F(SaveGui, FailuresBeforeTheReplaceLeaveTheOriginal) {
  const std::wstring dir = WorkFolder(L"failures");
  const std::wstring path = CopyIn(dir, L"tree.pdf");
  const std::vector<uint8_t> before = Bytes(path);

  {  // The engine's rebuild fails: its block writer stops after a short write.
    SetEnvironmentVariableW(L"FV_SAVE_FAULTS", L"short-write=0");
    auto app = OpenAndMove(path, L"FolivexFaults.exe");
    app->Command(CMD_DELETE_PAGE);
    app->Command(CMD_SAVE);
    const std::wstring text = ExpectFailure(*app, path, before, L"save-failed");
    EXPECT_EQ(text, L"The new file couldn't be written completely (is the disk full?)." + std::wstring(kUnchanged));
  }
  {  // The file read back doesn't match the screen.
    SetEnvironmentVariableW(L"FV_SAVE_FAULTS", L"skew-read-back");
    auto app = OpenAndMove(path, L"FolivexFaults.exe");
    app->Command(CMD_SAVE);
    EXPECT_EQ(ExpectFailure(*app, path, before).rfind(L"Folivex built the new file, but when Windows read it back", 0),
              0u);
  }
  SetEnvironmentVariableW(L"FV_SAVE_FAULTS", nullptr);

  auto app = OpenAndMove(path);
  {  // Another program has the original open for writing: it can't be read.
    UniqueFile writer(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(bool(writer));
    app->Command(CMD_SAVE);
    EXPECT_EQ(ExpectFailure(*app, path, before).rfind(L"The PDF file couldn't be read: ", 0), 0u);
  }
  {  // Changed by another program since it was opened: refused.
    std::vector<uint8_t> changed = before;
    changed.push_back('\n');
    UniqueFile out(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                               TRUNCATE_EXISTING, 0, nullptr));
    DWORD wrote = 0;
    ASSERT_TRUE(WriteFile(out.Get(), changed.data(), DWORD(changed.size()), &wrote, nullptr));
    out.Reset();
    app->Command(CMD_SAVE);
    EXPECT_TRUE(EndsWith(ExpectFailure(*app, path, changed), kUnchanged));
    // The same bytes and date again, as if nothing had happened.
    UniqueFile back(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(WriteFile(back.Get(), before.data(), DWORD(before.size()), &wrote, nullptr));
    SetEndOfFile(back.Get());
    back.Reset();
  }
}

TEST_F(SaveGui, TheWriterRefusesAFileItNoLongerUnderstands) {
  const std::wstring dir = WorkFolder(L"writer");
  const std::wstring path = CopyIn(dir, L"tree.pdf");
  auto app = OpenAndMove(path);
  // Another program spoils the end of the file but keeps its size and date,
  // so only our own writer can notice.
  WIN32_FILE_ATTRIBUTE_DATA data = {};
  ASSERT_TRUE(GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data));
  std::vector<uint8_t> spoiled = Bytes(path);
  const std::string tail(spoiled.end() - 40, spoiled.end());
  const size_t at = spoiled.size() - 40 + tail.find("startxref");
  ASSERT_NE(tail.find("startxref"), std::string::npos);
  spoiled[at] = 'S';
  {
    UniqueFile out(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                               OPEN_EXISTING, 0, nullptr));
    DWORD wrote = 0;
    ASSERT_TRUE(WriteFile(out.Get(), spoiled.data(), DWORD(spoiled.size()), &wrote, nullptr));
    SetFileTime(out.Get(), nullptr, nullptr, &data.ftLastWriteTime);
  }
  app->Command(CMD_SAVE);
  const std::wstring text = ExpectFailure(*app, path, spoiled);
  EXPECT_FALSE(text.empty());
  EXPECT_EQ(text.find(L"Folivex couldn't write"), std::wstring::npos) << Narrow(text);
}

TEST_F(SaveGui, ReplacingWaitsForAHeldFileAndGivesUpAfterThreeSeconds) {
  const std::wstring dir = WorkFolder(L"replace");
  const std::wstring path = CopyIn(dir, L"tree.pdf");
  const std::vector<uint8_t> before = Bytes(path);
  auto app = OpenAndMove(path);

  // Read-only: refused after the read-back, the temporary file removed.
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
  app->Command(CMD_SAVE);
  EXPECT_EQ(ExpectFailure(*app, path, before).rfind(L"This PDF file is marked read-only, so Folivex can't change it.", 0),
            0u);
  SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);

  // Held open by another program (reading, but letting nobody write or
  // delete it) for longer than the 30 tries: not replaced, edits restored.
  {
    UniqueFile holder(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(bool(holder));
    app->Command(CMD_SAVE);
    const std::wstring text = ExpectFailure(*app, path, before);
    EXPECT_EQ(text.rfind(L"Folivex couldn't replace the PDF file: ", 0), 0u) << Narrow(text);
    EXPECT_TRUE(WaitForStatus(*app, 0, L"  Page 14 of 14"));
  }

  // Held for 2 seconds: the tries outlast it and the file is replaced.
  UniqueFile holder(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(bool(holder));
  std::thread release([&] {
    Sleep(2000);
    holder.Reset();
  });
  app->Command(CMD_SAVE);
  const bool saved = WaitForStatus(*app, 3, L"  Saved \u2014 the pages of tree.pdf are now in the new order.", 30000);
  release.join();
  ASSERT_TRUE(saved) << Narrow(app->StatusParts()[3]);
  std::vector<int> order = Range(2, 14);
  order.push_back(1);
  EXPECT_EQ(CheckSaved(path, order, L""), "ok");
  EXPECT_EQ(TempFilesIn(dir), 0);
}

// The replace moved the original aside, and the new file could neither
// follow it nor be moved over it: the original is back under its own name.
TEST_F(SaveGui, AReplaceThatFailsHalfwayPutsTheOriginalBack) {
  const std::wstring dir = WorkFolder(L"stranded");
  const std::wstring path = CopyIn(dir, L"tree.pdf");
  const std::vector<uint8_t> before = Bytes(path);
  SetEnvironmentVariableW(L"FV_SAVE_FAULTS", L"strand-on-replace");
  auto app = OpenAndMove(path, L"FolivexFaults.exe");
  SetEnvironmentVariableW(L"FV_SAVE_FAULTS", nullptr);
  app->Command(CMD_SAVE);
  const std::wstring text = ExpectFailure(*app, path, before);
  EXPECT_EQ(text.rfind(L"Folivex couldn't replace the PDF file: ", 0), 0u) << Narrow(text);
}

TEST_F(SaveGui, KillingTheProgramMidWriteLeavesTheOriginal) {
  const std::wstring dir = WorkFolder(L"kill");
  const std::wstring path = CopyIn(dir, L"big.pdf");
  const std::vector<uint8_t> before = Bytes(path);
  ASSERT_GT(before.size(), 20u << 20) << "the test needs several written pieces";
  // Our own writer (a move) and the engine's rebuild (a deletion), each
  // killed before its first, second and third piece.
  for (bool rebuild : {false, true}) {
    for (int piece : {0, 1, 2}) {
      SCOPED_TRACE(std::to_string(piece) + (rebuild ? " rebuild" : " writer"));
      SetEnvironmentVariableW(L"FV_SAVE_FAULTS", (L"exit-at-write=" + std::to_wstring(piece)).c_str());
      auto app = OpenAndMove(path, L"FolivexFaults.exe");
      if (rebuild) app->Command(CMD_DELETE_PAGE);
      app->Settle();
      app->Command(CMD_SAVE);
      DWORD code = 0;
      EXPECT_TRUE(app->WaitForExit(60000, &code));
      EXPECT_EQ(code, 97u);
      EXPECT_TRUE(Bytes(path) == before) << "the original changed";
    }
  }
  SetEnvironmentVariableW(L"FV_SAVE_FAULTS", nullptr);
}

// A disk with no room, then one that can't be written at all: a small
// file system of its own (made with mount, which needs root; skipped
// otherwise).
TEST_F(SaveGui, AFullOrReadOnlyDiskLeavesTheOriginal) {
  const std::wstring dir = BuildDir() + L"\\save-test\\full";
  const std::string unixDir = Unix(dir);
  const std::wstring marker = dir + L"\\mounted";
  RunOnLinux("umount '" + unixDir + "' 2>/dev/null; mkdir -p '" + unixDir + "' && mount -t tmpfs -o size=3m tmpfs '" +
             unixDir + "' && touch '" + unixDir + "/mounted'");
  if (!WaitForFile(marker)) GTEST_SKIP() << "can't mount a small disk here";
  struct Unmount {
    std::string dir;
    ~Unmount() { RunOnLinux("umount '" + dir + "'"); }
  } unmount{unixDir};
  // A file of about 2 MB on a 3 MB disk: no room for a second copy.
  RunOnLinux("python3 " + std::string(FV_SOURCE_DIR) + "/tools/make_big_pdf.py '" + unixDir +
             "/small.tmp' 1.9 && mv '" + unixDir + "/small.tmp' '" + unixDir + "/small.pdf'");
  const std::wstring path = dir + L"\\small.pdf";
  ASSERT_TRUE(WaitForFile(path));
  const std::vector<uint8_t> before = Bytes(path);
  ASSERT_GT(before.size(), 1000000u);
  auto app = OpenAndMove(path);
  app->Command(CMD_SAVE);
  std::wstring text = ExpectFailure(*app, path, before);
  EXPECT_EQ(text.rfind(L"Folivex couldn't write in that folder: ", 0), 0u) << Narrow(text);
  app->Command(CMD_DELETE_PAGE);
  app->Command(CMD_SAVE);
  text = ExpectFailure(*app, path, before);
  EXPECT_EQ(text, L"The new file couldn't be written completely (is the disk full?)." + std::wstring(kUnchanged));

  // The same disk made read-only: nothing can be written in the folder.
  RunOnLinux("mount -o remount,ro '" + unixDir + "' && touch /tmp/fv-save-ro-" + std::to_string(app->ProcessId()));
  ASSERT_TRUE(WaitForFile(L"Z:\\tmp\\fv-save-ro-" + std::to_wstring(app->ProcessId())));
  app->Command(CMD_SAVE);
  text = ExpectFailure(*app, path, before);
  EXPECT_EQ(text.rfind(L"Folivex couldn't write in that folder: ", 0), 0u) << Narrow(text);
}

}  // namespace
