// Putting the PDFium DLL in place: a verified copy beside the program, or the
// copy packed into the program written out to a data folder, then loaded.
#pragma once
#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>

#include "base/handles.h"

class PdfiumEngine;

// An open handle on a verified engine file that lets others only read it,
// so the file can't be changed, renamed or replaced until it is released.
class EngineFileHold {
 public:
  EngineFileHold() = default;
  explicit EngineFileHold(UniqueFile file) : file_(std::move(file)) {}

  bool Holds() const { return bool(file_); }
  void Release() { file_.Reset(); }

 private:
  UniqueFile file_;
};

// The engine file name of this build: "pdfium-<build>-<crc32 hex>.dll".
std::wstring EngineFileName();

// True when the bytes are exactly the expected DLL (size, CRC-32, SHA-256).
bool IsExpectedEngine(const uint8_t* data, size_t size);
// SHA-256 through the system's CNG provider; false when that fails.
bool Sha256(const uint8_t* data, size_t size, uint8_t digest[32]);

// True when the file is the expected DLL. With a hold, the file stays open
// (read sharing only) on success until the hold is released.
bool VerifyEngineFile(const std::wstring& path, EngineFileHold* hold = nullptr);

// The compressed engine carried in the program's resources.
struct EnginePackage {
  const uint8_t* data = nullptr;
  size_t size = 0;
};
EnginePackage PackedEngine(HMODULE module = nullptr);

struct EngineLocation {
  std::wstring path;    // the verified DLL, empty when none could be had
  std::wstring status;  // why not, when path is empty
  EngineFileHold hold;  // keeps the verified file as it is until it is loaded
};

// Puts the engine into `folder` (created when missing) unless a verified copy
// is already there, and removes older engine files and stray temporary files.
EngineLocation ExtractEngine(const std::wstring& folder, const EnginePackage& package);

// Where to look and write. An empty folder is skipped.
struct EngineFolders {
  std::wstring program;  // the program's own folder: "pdfium.dll" there is used as is
  std::wstring data;     // the per-user data folder
  std::wstring temp;     // the last resort
};
EngineFolders ProgramEngineFolders();

// Finds or writes the engine: beside the program, then the data folder, then
// the temporary folder.
EngineLocation LocateEngine(const EngineFolders& folders, const EnginePackage& package);

// The whole start of the engines: unless switched off, locate the DLL and
// load it into `pdfium`; then log the engine line. Returns the engine status
// text (the DLL's path when PDFium is in use, otherwise the reason).
std::wstring BootstrapEngine(PdfiumEngine& pdfium, bool windowsEngineAvailable, bool switchedOff,
                             const EngineFolders& folders, const EnginePackage& package);
// The same with the program's own folders and resources; `switchedOff` is
// the "/winengine" switch.
std::wstring BootstrapEngine(PdfiumEngine& pdfium, bool windowsEngineAvailable, bool switchedOff);
