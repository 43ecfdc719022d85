#include "engine/engine_bootstrap.h"

#include <bcrypt.h>
#include <shlobj.h>

#include <cstring>
#include <cwchar>
#include <vector>

#include "base/crc32.h"
#include "base/event_log.h"
#include "base/inflate.h"
#include "base/win_util.h"
#include "engine/pdfium_engine.h"
#include "engine_build.h"

namespace {

constexpr LONGLONG kMaxEngineFileSize = 0x4000000;  // 64 MiB
constexpr size_t kMaxInflatedSize = 0x4000000;
constexpr int kEngineResource = 310;
const uint8_t kExpectedSha256[32] = FV_ENGINE_SHA256;

std::wstring WriteError(const std::wstring& folder) { return L"couldn't write the engine to " + folder; }

// Removes older engine files and stray temporary files, keeping `target`.
// Files in use stay.
void CleanEngineFolder(const std::wstring& folder, const std::wstring& target) {
  WIN32_FIND_DATAW found;
  UniqueFind search(FindFirstFileW((folder + L"\\pdfium-*.*").c_str(), &found));
  if (!search) return;
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    std::wstring path = folder + L"\\" + found.cFileName;
    if (CompareStringOrdinal(path.c_str(), int(path.size()), target.c_str(), int(target.size()), TRUE) ==
        CSTR_EQUAL)
      continue;
    DeleteFileW(path.c_str());
  } while (FindNextFileW(search.Get(), &found));
}

std::wstring WithoutTrailingBackslashes(std::wstring path) {
  while (!path.empty() && (path.back() == L'\\' || path.back() == L'/')) path.pop_back();
  return path;
}

}  // namespace

std::wstring EngineFileName() { return L"pdfium-" FV_ENGINE_BUILD_TEXT L"-" FV_ENGINE_CRC32_TEXT L".dll"; }

bool Sha256(const uint8_t* data, size_t size, uint8_t digest[32]) {
  if (size > 0xFFFFFFFFu) return false;
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0))) return false;
  bool ok = false;
  BCRYPT_HASH_HANDLE hash = nullptr;
  if (BCRYPT_SUCCESS(BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0))) {
    ok = BCRYPT_SUCCESS(BCryptHashData(hash, const_cast<PUCHAR>(data), ULONG(size), 0)) &&
         BCRYPT_SUCCESS(BCryptFinishHash(hash, digest, 32, 0));
    BCryptDestroyHash(hash);
  }
  BCryptCloseAlgorithmProvider(algorithm, 0);
  return ok;
}

bool IsExpectedEngine(const uint8_t* data, size_t size) {
  if (!data || size != FV_ENGINE_SIZE) return false;
  if (Crc32(data, size) != FV_ENGINE_CRC32) return false;
  uint8_t digest[32];
  return Sha256(data, size, digest) && std::memcmp(digest, kExpectedSha256, 32) == 0;
}

bool VerifyEngineFile(const std::wstring& path, EngineFileHold* hold) {
  if (hold) hold->Release();
  // Others may read the file while we hold it, but not change, rename or
  // delete it: what was checked is what gets loaded.
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  bool ok = false;
  LARGE_INTEGER size{};
  if (GetFileSizeEx(file.Get(), &size) && size.QuadPart > 0 && size.QuadPart < kMaxEngineFileSize &&
      size.QuadPart == LONGLONG(FV_ENGINE_SIZE)) {
    try {
      std::vector<uint8_t> bytes(size_t(size.QuadPart));
      DWORD read = 0;
      ok = ReadFile(file.Get(), bytes.data(), DWORD(bytes.size()), &read, nullptr) && read == bytes.size() &&
           IsExpectedEngine(bytes.data(), bytes.size());
    } catch (const std::bad_alloc&) {
      ok = false;
    }
  }
  if (ok && hold) *hold = EngineFileHold(std::move(file));
  return ok;
}

EnginePackage PackedEngine(HMODULE module) {
  EnginePackage package;
  HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(kEngineResource), MAKEINTRESOURCEW(10) /* RT_RCDATA */);
  if (!found) return package;
  DWORD size = SizeofResource(module, found);
  HGLOBAL loaded = LoadResource(module, found);
  const void* data = loaded ? LockResource(loaded) : nullptr;
  if (!data || size == 0) return package;
  package.data = static_cast<const uint8_t*>(data);
  package.size = size;
  return package;
}

EngineLocation ExtractEngine(const std::wstring& folder, const EnginePackage& package) {
  EngineLocation result;
  const std::wstring target = folder + L"\\" + EngineFileName();
  if (VerifyEngineFile(target, &result.hold)) {
    result.path = target;  // written earlier: nothing to do
    return result;
  }
  if (!package.data || package.size == 0) {
    result.status = L"the engine is missing from this copy of Folivex";
    return result;
  }
  std::vector<uint8_t> dll;
  bool inflated = false;
  try {
    inflated = Inflate(package.data, package.size, dll, kMaxInflatedSize) && IsExpectedEngine(dll.data(), dll.size());
  } catch (const std::bad_alloc&) {
    inflated = false;
  }
  if (!inflated) {
    result.status = L"the engine inside this copy of Folivex is damaged (download Folivex again)";
    return result;
  }

  SHCreateDirectoryExW(nullptr, folder.c_str(), nullptr);  // an existing folder is fine
  wchar_t name[80];
  _snwprintf(name, 79, L"\\pdfium-%lu-%lu.tmp", GetCurrentProcessId(), GetTickCount());
  name[79] = 0;
  const std::wstring temporary = folder + name;
  bool written = false;
  UniqueFile file(
      CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (file) {
    DWORD done = 0;
    written = WriteFile(file.Get(), dll.data(), DWORD(dll.size()), &done, nullptr) && done == dll.size();
    // Closing can report a write that failed late; it counts.
    if (!CloseHandle(file.Release())) written = false;
  }
  if (!written) {
    DeleteFileW(temporary.c_str());
    result.status = WriteError(folder);
    return result;
  }
  // The rename fails when another running copy has the target loaded or held;
  // the target is then still fine if it verifies (that copy wrote it).
  MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING);
  DeleteFileW(temporary.c_str());
  if (!VerifyEngineFile(target, &result.hold)) {
    result.status = WriteError(folder);
    return result;
  }
  CleanEngineFolder(folder, target);
  result.path = target;
  return result;
}

EngineFolders ProgramEngineFolders() {
  EngineFolders folders;
  std::wstring program = ProgramPath();
  size_t slash = program.find_last_of(L'\\');
  if (slash != std::wstring::npos) folders.program = program.substr(0, slash);

  wchar_t data[MAX_PATH] = {};
  if (SUCCEEDED(SHGetFolderPathW(nullptr, CSIDL_LOCAL_APPDATA, nullptr, 0, data)) && data[0])
    folders.data = WithoutTrailingBackslashes(data) + L"\\Corvane\\Folivex";

  const std::wstring temp = WithoutTrailingBackslashes(TempFolder());
  if (!temp.empty()) folders.temp = temp + L"\\Folivex";
  return folders;
}

EngineLocation LocateEngine(const EngineFolders& folders, const EnginePackage& package) {
  EngineLocation result;
  if (!folders.program.empty()) {
    std::wstring beside = folders.program + L"\\pdfium.dll";
    if (VerifyEngineFile(beside, &result.hold)) {
      result.path = beside;
      return result;
    }
  }
  if (!folders.data.empty()) {
    result = ExtractEngine(folders.data, package);
    if (!result.path.empty()) return result;
  }
  if (!folders.temp.empty()) {
    result = ExtractEngine(folders.temp, package);
  } else if (result.status.empty()) {
    result.status = WriteError(L"the temporary folder");
  }
  return result;
}

std::wstring BootstrapEngine(PdfiumEngine& pdfium, bool windowsEngineAvailable, bool switchedOff,
                             const EngineFolders& folders, const EnginePackage& package) {
  std::wstring status;
  if (switchedOff) {
    status = L"switched off by /winengine";
  } else {
    EngineLocation where = LocateEngine(folders, package);
    if (where.path.empty())
      status = where.status;
    else
      pdfium.Load(where.path, status);
    where.hold.Release();  // only now that the loader has mapped it
  }
  LogEvent(L"PDF engine: %ls (%ls); Windows engine %ls", pdfium.Ready() ? L"PDFium" : L"PDFium NOT in use",
           status.c_str(), windowsEngineAvailable ? L"available" : L"not available");
  return status;
}

std::wstring BootstrapEngine(PdfiumEngine& pdfium, bool windowsEngineAvailable, bool switchedOff) {
  if (switchedOff) return BootstrapEngine(pdfium, windowsEngineAvailable, true, {}, {});
  return BootstrapEngine(pdfium, windowsEngineAvailable, false, ProgramEngineFolders(), PackedEngine());
}
