// The updater's one HTTP GET (WinHTTP, TLS with the system's certificate
// checks): a small document into memory, or a large file streamed to disk
// with progress messages. Background threads only.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>

// The feed's address: an administrator may point the program at a company
// mirror with the REG_SZ value UpdateFeed under HKEY_LOCAL_MACHINE
// Software\Corvane\Folivex\Policy (an HTTPS address; anything else is
// ignored). Never read from HKEY_CURRENT_USER, which any program of the
// user could change to redirect an elevated installer.
std::wstring UpdateFeedAddress();

struct HttpTarget {
  std::string* memory = nullptr;          // memory mode: the body, plus a terminating zero byte
  size_t limit = 0;                       // memory mode: the largest body accepted
  HANDLE file = INVALID_HANDLE_VALUE;     // file mode: an open, writable file
  uint32_t expectedSize = 0;              // file mode: drives the progress (0: unknown)
  HWND progressWindow = nullptr;          // file mode: receives WM_APP+12 with the percentage
};

// Fetches an HTTPS address. Plain HTTP is refused, and so is a redirect to
// it. Stops with "Update cancelled." once `cancel` is set (checked between
// chunks). On failure `error` says why in words the user can read.
bool HttpGet(const std::wstring& url, const HttpTarget& target, const std::atomic<bool>& cancel, std::wstring& error);
