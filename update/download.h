// The updater's two background threads: the feed check and the download
// with its checks (size, SHA-256, version resource). Neither touches a
// window: each posts one record to the main window, which frees it.
#pragma once
#include <windows.h>

#include <atomic>
#include <string>

#include "base/handles.h"
#include "update/feed.h"

constexpr UINT WM_FV_UPDATE_CHECKED = WM_APP + 11;     // lParam: UpdateInfo*
constexpr UINT WM_FV_UPDATE_PROGRESS = WM_APP + 12;    // wParam: percent
constexpr UINT WM_FV_UPDATE_DOWNLOADED = WM_APP + 13;  // lParam: DownloadOutcome*

// Asks the running transfer to stop; read between chunks.
extern std::atomic<bool> g_updateCancel;

// Starts the check thread; false when it can't be created.
bool StartFeedCheck(HWND target, bool manual);

// What the download thread hands over.
struct DownloadOutcome {
  std::wstring error;  // empty on success
  std::wstring path;   // the verified file (deleted on failure)
  // On success the verified file, open for reading with writing and
  // deleting refused to everyone else, so that what was checked is what
  // gets installed.
  UniqueFile verified;
};

struct DownloadJob {
  HWND target = nullptr;
  UpdateInfo info;         // the download's own copy
  bool installed = false;  // fetch the installer rather than the program file
};

// Starts the download thread with its own copy of the job; the thread
// handle is returned (empty when it can't be created).
UniqueHandle StartDownload(const DownloadJob& job);

// The file's SHA-256 as 64 lower-case hexadecimal digits, read through an
// open handle from its start; empty when reading or hashing fails.
std::wstring FileSha256(HANDLE file);

// A string of the file's version resource (block 040904B0), empty when
// missing.
std::wstring VersionString(const std::wstring& path, const wchar_t* name, size_t capacity);
