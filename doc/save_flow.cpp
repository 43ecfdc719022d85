#include "doc/save_flow.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>
#include <map>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/event_log.h"
#include "base/handles.h"
#include "base/win_util.h"
#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "doc/document_open.h"
#include "doc/document_rules.h"
#include "doc/layout.h"
#include "doc/save_rules.h"
#include "engine/render_worker.h"
#include "engine/save_faults.h"
#include "pdf/page_order_writer.h"

namespace {

constexpr int kReplaceAttempts = 30;
constexpr DWORD kReplacePauseMs = 100;
// Big writes can cost far more per byte than small ones: Linux takes them
// into its cache in pieces as big as the write, and on a virtual machine
// such pieces often need memory the host must hand back first. Measured
// under Wine, 210 MB written after a few seconds' pause took 42-63 ms in
// pieces of 256 KiB, 43-394 ms in pieces of 1 MiB (every other time slow)
// and about 850 ms in pieces of 8 MiB.
constexpr size_t kWritePiece = 262144;  // 256 KiB
constexpr int kTempNameTries = 50;
constexpr LONGLONG kFreeStep = 4 << 20;  // 4 MiB
constexpr DWORD kSaveNameChars = 1040;  // 1039 and the terminator

uint32_t g_tempCounter = 0;  // temporary files made by this process

std::wstring Widen(const std::string& text) {
  std::wstring wide;
  wide.reserve(text.size());
  for (unsigned char c : text) wide.push_back(wchar_t(c));
  return wide;
}

// Deletes a temporary file of ours, read-only or not.
void RemoveTemp(const std::wstring& temp) {
  if (temp.empty()) return;
  SetFileAttributesW(temp.c_str(), FILE_ATTRIBUTE_NORMAL);
  DeleteFileW(temp.c_str());
}

// Creates the temporary file beside the target under a name no file has:
// an existing file is never opened, let alone truncated.
UniqueFile CreateTempBeside(const std::wstring& target, std::wstring& temp, DWORD& error) {
  for (int i = 0; i < kTempNameTries; ++i) {
    temp = SaveTempName(target, GetCurrentProcessId(), ++g_tempCounter);
    UniqueFile file(
        CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file) return file;
    error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  temp.clear();
  return UniqueFile();
}

// The original file, mapped read-only: our writer reads it where it lies
// and its bytes go to the new file without another copy in memory. Others
// may read it meanwhile but not change it.
class MappedOriginal {
 public:
  MappedOriginal() = default;
  MappedOriginal(const MappedOriginal&) = delete;
  MappedOriginal& operator=(const MappedOriginal&) = delete;
  ~MappedOriginal() {
    if (bytes_) UnmapViewOfFile(bytes_);
  }

  bool Map(const std::wstring& path, std::wstring& error) {
    file_.Reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size = {};
    if (!file_ || !GetFileSizeEx(file_.Get(), &size)) return CouldNotRead(GetLastError(), error);
    if (uint64_t(size.QuadPart) > kMaxEditableFileBytes) {
      error = L"This PDF is bigger than 1 GB, which is too big for Folivex to rearrange.";
      return false;
    }
    if (size.QuadPart == 0) return CouldNotRead(ERROR_HANDLE_EOF, error);
    mapping_.Reset(CreateFileMappingW(file_.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    if (!mapping_) return CouldNotRead(GetLastError(), error);
    bytes_ = static_cast<const uint8_t*>(MapViewOfFile(mapping_.Get(), FILE_MAP_READ, 0, 0, 0));
    if (!bytes_) return CouldNotRead(GetLastError(), error);
    size_ = size_t(size.QuadPart);
    return true;
  }
  const uint8_t* Bytes() const { return bytes_; }
  size_t Size() const { return size_; }

 private:
  static bool CouldNotRead(DWORD code, std::wstring& error) {
    error = L"The PDF file couldn't be read: " + SystemErrorText(code);
    return false;
  }
  UniqueFile file_;
  UniqueHandle mapping_;
  const uint8_t* bytes_ = nullptr;
  size_t size_ = 0;
};

// Writes all of `data` in pieces of at most 256 KiB; every write must write
// something.
bool WriteAll(HANDLE file, const uint8_t* data, size_t size, DWORD& error) {
  size_t done = 0;
  while (done < size) {
    const DWORD want = DWORD(std::min(size - done, kWritePiece));
    DWORD wrote = 0;
    if (!WriteSaveFile(file, data + done, want, &wrote)) {
      error = GetLastError();
      return false;
    }
    if (wrote == 0) {
      error = ERROR_WRITE_FAULT;
      return false;
    }
    done += wrote;
  }
  return true;
}

// Our writer's update, made on a thread of its own while the original's
// bytes go out to the new file.
struct UpdateMaker {
  const uint8_t* bytes = nullptr;
  size_t size = 0;
  const PageOrder* order = nullptr;
  std::vector<uint8_t> update;
  std::string why;
  bool made = false;
  bool outOfMemory = false;

  static DWORD WINAPI Run(void* parameter) {
    auto* maker = static_cast<UpdateMaker*>(parameter);
    try {
      maker->made = WritePageOrder(maker->bytes, maker->size, *maker->order, maker->update, maker->why);
    } catch (const std::bad_alloc&) {
      maker->outOfMemory = true;
    }
    return 0;
  }
};

// A pure reordering (or a plain copy): the original's bytes, then our
// writer's update when the order changed; put on disk later, while the
// engine reads the file back. Empty on success, else the error.
std::wstring BuildWithWriter(const std::wstring& path, HANDLE temp, bool orderChanged, const PageOrder& order) {
  MappedOriginal original;
  std::wstring error;
  if (!original.Map(path, error)) return error;
  UpdateMaker maker;
  maker.bytes = original.Bytes();
  maker.size = original.Size();
  maker.order = &order;
  UniqueHandle thread;
  if (orderChanged) {
    thread.Reset(CreateThread(nullptr, 0, UpdateMaker::Run, &maker, 0, nullptr));
    if (!thread) UpdateMaker::Run(&maker);
  }
  DWORD code = 0;
  const bool wrote = WriteAll(temp, original.Bytes(), original.Size(), code);
  if (thread) WaitForSingleObject(thread.Get(), INFINITE);
  if (maker.outOfMemory) throw std::bad_alloc();
  if (orderChanged && !maker.made)
    return maker.why.empty() ? std::wstring(L"Folivex couldn't read this PDF's structure.") : Widen(maker.why);
  if (!wrote || !WriteAll(temp, maker.update.data(), maker.update.size(), code))
    return FolderNotWritableText(SystemErrorText(code));
  return std::wstring();
}

// Any other change: the worker rebuilds the file with the engine into the
// temporary file (already made). Empty on success, else the error.
std::wstring BuildWithEngine(const std::wstring& path, const std::wstring& temp, const PageOrder& order) {
  SyncResult result;
  std::wstring message;
  RenderJob job;
  job.kind = kJobRebuild;
  job.path = temp;
  job.sourcePath = path;
  job.pageList = order;
  job.syncResult = &result;
  job.errorText = &message;
  const bool same = RunDocumentJob(std::move(job));
  if (same && SUCCEEDED(result.hr)) return std::wstring();
  return (message.empty() ? std::wstring(kBuildFailedText) : message) + kOriginalUnchanged;
}

// Puts the new file's bytes on disk through a handle of its own, so that
// the engine may read the file meanwhile. 0 on success, else the error.
DWORD FlushToDisk(const std::wstring& temp) {
  UniqueFile file(CreateFileW(temp.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file || !FlushFileBuffers(file.Get())) return GetLastError();
  return 0;
}

// The engine reads the new file back: it must show what the screen shows.
// With `flush`, the file goes to disk meanwhile (the two take about as long
// each); either way nothing is replaced before both are done. Empty on
// success, else the error.
std::wstring ReadBack(const std::wstring& temp, const std::wstring& password, bool flush) {
  SyncResult probe;
  RenderJob job;
  job.kind = kJobProbe;
  job.path = temp;
  job.password = password;
  job.syncResult = &probe;
  job.generation = g_doc.generation;
  UniqueHandle done;
  const bool started = g_worker.Start(std::move(job), done);
  const DWORD flushError = flush ? FlushToDisk(temp) : 0;
  if (started) WaitDispatchingMessages(done.Get());
  if (flushError) return FolderNotWritableText(SystemErrorText(flushError));
  if (TestSaveFaults().skewReadBack && !probe.widths.empty()) probe.widths[0] += 2.0f;
  const PageModel& pages = g_doc.pages;
  LogEvent(L"Save verify hr=0x%08X pages=%d want=%d", unsigned(probe.hr), int(probe.widths.size()),
           pages.PageCount());
  return ReadBackMatches(int32_t(probe.hr), probe.widths, probe.heights, pages.widths, pages.heights)
             ? std::wstring()
             : std::wstring(kReadBackText);
}

bool ChangedOnDisk(const std::wstring& path) {
  uint64_t size = 0, written = 0;
  if (!g_doc.fileStamped || !FileStampOf(path, size, written)) return false;
  return size != g_doc.fileSize || written != g_doc.fileWriteTime;
}

// True when the file is there and holds something.
bool HoldsBytes(const std::wstring& path) {
  uint64_t size = 0, written = 0;
  return FileStampOf(path, size, written) && size > 0;
}

bool Exists(const std::wstring& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// The files that saves replaced, each deleted on a thread of its own:
// giving back a big file's space takes the system tens of milliseconds
// (about 50 ms for 210 MB here) that nobody needs to wait for. The program
// waits for the deletion before it ends, so no old copy stays beside the
// PDF.
class ReplacedFiles {
 public:
  ReplacedFiles() = default;
  ReplacedFiles(const ReplacedFiles&) = delete;
  ReplacedFiles& operator=(const ReplacedFiles&) = delete;
  ~ReplacedFiles() { Wait(); }

  void Delete(const std::wstring& path) {
    Wait();
    auto* owned = new std::wstring(path);
    thread_.Reset(CreateThread(nullptr, 0, Run, owned, 0, nullptr));
    if (!thread_) Run(owned);
  }
  void Wait() {
    if (!thread_) return;
    WaitForSingleObject(thread_.Get(), INFINITE);
    thread_.Reset();
  }

 private:
  static DWORD WINAPI Run(void* parameter) {
    std::unique_ptr<std::wstring> path(static_cast<std::wstring*>(parameter));
    // Emptied first, a few megabytes at a time: under Wine, the server that
    // every thread of the program talks to gives the space back, and a big
    // file deleted in one go keeps it busy for tens of milliseconds.
    {
      UniqueFile file(CreateFileW(path->c_str(), GENERIC_WRITE | DELETE, FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                  FILE_FLAG_DELETE_ON_CLOSE, nullptr));
      LARGE_INTEGER size = {};
      if (file && GetFileSizeEx(file.Get(), &size)) {
        while (size.QuadPart > 0) {
          size.QuadPart -= std::min<LONGLONG>(size.QuadPart, kFreeStep);
          if (!SetFilePointerEx(file.Get(), size, nullptr, FILE_BEGIN) || !SetEndOfFile(file.Get())) break;
          Sleep(1);
        }
      }
    }
    // A program that glances at new files (a virus scanner, an indexer)
    // may hold it for a moment.
    for (int attempt = 0; attempt < kReplaceAttempts && Exists(*path); ++attempt) {
      RemoveTemp(*path);
      if (Exists(*path)) Sleep(kReplacePauseMs);
    }
    return 0;
  }
  UniqueHandle thread_;
};

ReplacedFiles g_replacedFiles;

// Puts the new file in place of the target, trying for a while when another
// program holds the target. The replaced file goes aside under a name of
// ours (reserved empty beforehand) and is deleted later; should the new file
// fail to follow it, the original is put back under its own name before
// anything else is tried. 0 on success, else the last error.
DWORD PutInPlace(const std::wstring& temp, const std::wstring& target) {
  std::wstring aside;
  DWORD error = ERROR_GEN_FAILURE;
  CreateTempBeside(target, aside, error).Reset();
  const wchar_t* backup = aside.empty() ? nullptr : aside.c_str();
  for (int attempt = 0; attempt < kReplaceAttempts; ++attempt) {
    DWORD replaceError = 0;
    if (Exists(target)) {
      if (ReplaceSavedFile(target.c_str(), temp.c_str(), backup)) {
        if (backup) g_replacedFiles.Delete(aside);
        return 0;
      }
      replaceError = GetLastError();
      // The original went aside but the new file did not take its place.
      if (backup && !Exists(target) && HoldsBytes(aside) &&
          !MoveFileExW(aside.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        LogEvent(L"Save: the original stays as %ls (error %lu)", aside.c_str(), GetLastError());
        return replaceError;
      }
    }
    if (MoveSavedFile(temp.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
      if (backup) g_replacedFiles.Delete(aside);
      return 0;
    }
    // The replace's reason says more (a sharing violation) than the move's.
    error = replaceError ? replaceError : GetLastError();
    Sleep(kReplacePauseMs);
  }
  if (backup && !HoldsBytes(aside)) RemoveTemp(aside);
  return error;
}

bool AskSaveAsName(const std::wstring& proposed, std::wstring& chosen) {
  std::vector<wchar_t> name(kSaveNameChars, L'\0');
  std::copy_n(proposed.begin(), std::min<size_t>(proposed.size(), kSaveNameChars - 1), name.begin());
  OPENFILENAMEW dialog = {};
  dialog.lStructSize = sizeof(dialog);
  dialog.hwndOwner = DocumentOwner();
  dialog.lpstrFilter = L"PDF files (*.pdf)\0*.pdf\0";
  dialog.lpstrFile = name.data();
  dialog.nMaxFile = kSaveNameChars;
  dialog.lpstrTitle = kSaveDialogTitle;
  dialog.lpstrDefExt = L"pdf";
  dialog.Flags = OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_NOCHANGEDIR;
  if (!GetSaveFileNameW(&dialog)) return false;
  chosen = name.data();
  return !chosen.empty();
}

// Pictures taken out of the caches across the reopen, by position.
using HeldPictures = std::map<int, CachedPicture>;

void HoldPictures(PictureCache& cache, const PageOrder& order, HeldPictures& held) {
  for (size_t p = 0; p < order.size(); ++p) {
    CachedPicture picture;
    if (cache.Take(order[p], picture)) held[int(p)] = picture;
  }
}

// Keyed by source again, for a reopen that restores the unsaved order.
HeldPictures BySource(const HeldPictures& held, const PageOrder& order) {
  HeldPictures bySource;
  for (const auto& [position, picture] : held) bySource[order[size_t(position)]] = picture;
  return bySource;
}

void PutBack(PictureCache& cache, HeldPictures& held) {
  for (const auto& [key, picture] : held) cache.Store(key, picture);
  held.clear();
}

// Runs the messages of this thread until the open job has been answered.
void WaitForLoad() {
  MSG msg;
  while (g_doc.loading) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(int(msg.wParam));
      break;
    }
    if (got < 0) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// For the whole save: the saving flag, the main window disabled (and later
// enabled again only when it was enabled before), the wait cursor.
class SavingState {
 public:
  SavingState() : owner_(DocumentOwner()) {
    g_busy.saving = true;
    ownerWasEnabled_ = owner_ && IsWindowEnabled(owner_);
    if (ownerWasEnabled_) EnableWindow(owner_, FALSE);
    cursor_ = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  }
  ~SavingState() {
    g_busy.saving = false;
    if (ownerWasEnabled_) {
      EnableWindow(owner_, TRUE);
      SetForegroundWindow(owner_);
    }
    SetCursor(cursor_);
  }
  SavingState(const SavingState&) = delete;
  SavingState& operator=(const SavingState&) = delete;

 private:
  HWND owner_;
  bool ownerWasEnabled_ = false;
  HCURSOR cursor_ = nullptr;
};

struct SaveRequest {
  std::wstring path;    // the opened file
  std::wstring target;  // where the pages go
  std::wstring password;
  bool differentTarget = false;
  bool orderChanged = false;
  bool rebuild = false;
};

// Build, read back and replace; then the reopen. Returns the error, empty
// on success.
std::wstring RunSave(const SaveRequest& save) {
  std::wstring temp;
  std::wstring error;
  try {
    // The screen's edits belong to the file as it was opened.
    if (!save.differentTarget && ChangedOnDisk(save.path)) return kChangedOnDiskText;
    DWORD code = 0;
    UniqueFile tempFile = CreateTempBeside(save.target, temp, code);
    if (!tempFile) return FolderNotWritableText(SystemErrorText(code));
    if (save.rebuild) {
      tempFile.Reset();  // the worker writes it
      error = BuildWithEngine(save.path, temp, g_doc.pages.order);
    } else {
      error = BuildWithWriter(save.path, tempFile.Get(), save.orderChanged, g_doc.pages.order);
      tempFile.Reset();
    }
  } catch (const std::bad_alloc&) {
    error = kSaveMemoryText;
  }
  if (error.empty()) error = ReadBack(temp, save.password, !save.rebuild);
  if (error.empty() && !save.differentTarget) {
    const DWORD attributes = GetFileAttributesW(save.target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) error = kReadOnlyText;
  }
  if (!error.empty()) {
    RemoveTemp(temp);
    return error;
  }

  // Replace: what the reopen needs is taken first, then the document closes
  // so that the engine lets go of the file.
  PendingLoad& pending = g_doc.pending;
  const int readingPosition = CurrentPage(g_doc.view);
  const PageOrder order = g_doc.pages.order;
  const std::vector<ImportedPdf> importedPdfs = g_doc.pages.importedPdfs;
  const std::vector<BroughtInPage> broughtIn = g_doc.pages.broughtIn;
  const bool orderChanged = g_doc.pages.orderChanged;
  pending.keepSources = true;
  HeldPictures pictures, thumbnails;
  HoldPictures(g_doc.pictures, order, pictures);
  HoldPictures(g_doc.thumbnails, order, thumbnails);
  pending.keepView = true;
  pending.zoomMode = g_doc.view.zoomMode;
  pending.zoom = g_doc.view.zoomPercent;
  pending.rotation = g_doc.view.rotation;

  CloseDocumentForReopen();
  RenderJob close;
  close.kind = kJobClose;
  close.generation = g_doc.generation;
  g_worker.RunAndWait(std::move(close));

  DWORD replaceError = 0;
  if (!save.differentTarget && ChangedOnDisk(save.path)) {
    error = kChangedOnDiskText;
  } else {
    replaceError = PutInPlace(temp, save.target);
    if (replaceError) error = ReplaceFailedText(save.differentTarget, SystemErrorText(replaceError));
  }
  std::wstring reopen = save.target;
  if (error.empty() || !orderChanged) {
    for (const ImportedPdf& pdf : importedPdfs)
      if (!pdf.copyPath.empty()) DeleteFileW(pdf.copyPath.c_str());
  }
  if (!error.empty()) {
    RemoveTemp(temp);
    reopen = save.path;
    if (orderChanged) {
      // The unsaved edits come back on screen, brought-in pages included.
      pending.order = order;
      pending.importedPdfs = importedPdfs;
      pending.broughtIn = broughtIn;
      pictures = BySource(pictures, order);
      thumbnails = BySource(thumbnails, order);
    }
  }
  pending.keepSources = false;

  pending.pagePosition = readingPosition;
  OpenDocument(reopen, save.password);
  PutBack(g_doc.pictures, pictures);
  PutBack(g_doc.thumbnails, thumbnails);
  WaitForLoad();
  if (!g_doc.loaded) {
    g_doc.pictures.Clear();
    g_doc.thumbnails.Clear();
  }
  pending.order.clear();
  pending.keepView = false;
  for (const ImportedPdf& pdf : pending.importedPdfs)
    if (!pdf.copyPath.empty()) DeleteFileW(pdf.copyPath.c_str());
  pending.importedPdfs.clear();
  pending.broughtIn.clear();
  if (error.empty() && !g_doc.loaded) error = kReopenFailedText;
  return error;
}

}  // namespace

bool SaveDocument(bool saveAs) {
  if (!g_doc.loaded || g_busy.printing || g_busy.saving || g_doc.path.empty()) return false;
  SaveRequest save;
  save.path = g_doc.path;
  save.target = g_doc.path;
  save.password = g_doc.password;
  save.orderChanged = g_doc.pages.orderChanged;
  const bool pure = IsPureReordering(g_doc.pages);
  save.rebuild = save.orderChanged && !pure;
  if (saveAs && !AskSaveAsName(ProposedSaveAsName(save.path, save.orderChanged, pure), save.target)) {
    WipeText(save.password);
    return false;
  }
  save.differentTarget = !SamePathIgnoringCase(save.target, save.path);
  if (!save.differentTarget && !save.orderChanged) {
    WipeText(save.password);
    return true;
  }

  std::wstring error;
  {
    SavingState saving;
    ShowShellMessage(kSavingText);
    UpdateShellStatus();
    error = RunSave(save);
    LogEvent(L"Save done ok=%d reopened=%d why=%ls", int(error.empty()), int(g_doc.loaded), error.c_str());
  }
  WipeText(save.password);
  UpdateShellTitle();
  UpdateShellStatus();
  // The reopened document is on screen, with the pictures carried over,
  // before the outcome is told.
  if (HWND owner = DocumentOwner()) RedrawWindow(owner, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
  if (!error.empty()) {
    ShowShellMessage(kNotSavedText);
    MessageBoxW(DocumentOwner(), error.c_str(), kSaveFailedCaption, MB_OK | MB_ICONWARNING);
    return false;
  }
  ShowShellMessage(SavedStatusText(save.differentTarget, save.rebuild, g_doc.displayName));
  return true;
}
