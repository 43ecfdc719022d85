#include "update/download.h"

#include <bcrypt.h>

#include <memory>
#include <vector>

#include "base/event_log.h"
#include "base/win_util.h"
#include "update/http_get.h"
#include "update/update_rules.h"

std::atomic<bool> g_updateCancel{false};

namespace {

constexpr wchar_t kIncomplete[] = L"The downloaded file is incomplete. Please try again.";
constexpr wchar_t kWrongSize[] =
    L"The downloaded file is the wrong size \u2014 it may be damaged. Nothing was changed; please try again.";
constexpr wchar_t kChecksum[] =
    L"The downloaded file failed its security check (checksum mismatch) and was deleted. Nothing was changed.";
constexpr wchar_t kWrongVersion[] = L"The downloaded file isn't the expected Folivex version, so it was not installed.";
constexpr wchar_t kNoInstaller[] =
    L"This version has no installer on the server yet. Download it from the Folivex download page (Help tab \u2192 "
    L"Download Page) and run Folivex-Setup.exe.";

struct CheckJob {
  HWND target;
  bool manual;
};

DWORD WINAPI CheckThread(void* param) {
  std::unique_ptr<CheckJob> job(static_cast<CheckJob*>(param));
  auto* info = new UpdateInfo();
  info->manual = job->manual;
  g_updateCancel = false;
  std::string body;
  HttpTarget target;
  target.memory = &body;
  target.limit = kFeedLimitBytes;
  const std::wstring address = UpdateFeedAddress();
  if (HttpGet(address, target, g_updateCancel, info->errorText)) {
    ReadFeed(body.c_str(), *info);
  }
  LogEvent(L"update: check of %ls: %ls %ls", address.c_str(), info->ok ? L"version" : L"failed",
           info->ok ? info->version.c_str() : info->errorText.c_str());
  if (!PostMessageW(job->target, WM_FV_UPDATE_CHECKED, 0, reinterpret_cast<LPARAM>(info))) delete info;
  return 0;
}

// The download and its checks; on success `verified` holds the file.
std::wstring DownloadAndVerify(const DownloadJob& job, DownloadOutcome& out) {
  const std::wstring temp = TempFolder();
  if (temp.empty()) return L"Couldn't create a temporary file for the download.";
  out.path = DownloadFileName(temp, job.info.version, job.installed);
  DeleteFileW(out.path.c_str());
  std::wstring url = job.info.exeUrl, sha = job.info.exeSha256;
  uint32_t size = job.info.exeSize;
  if (job.installed) {
    if (job.info.setupUrl.empty() || job.info.setupSha256.size() != 64) return kNoInstaller;
    url = job.info.setupUrl;
    sha = job.info.setupSha256;
    size = job.info.setupSize;
  }
  {
    // Nobody else may read or write it while it arrives; deleting is allowed
    // so that a program ending in the middle can take its partial file
    // away (what arrives is checked only after the file is locked below).
    UniqueFile file(CreateFileW(out.path.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return L"Couldn't create a temporary file for the download.";
    HttpTarget target;
    target.file = file.Get();
    target.expectedSize = size;
    target.progressWindow = job.target;
    std::wstring error;
    if (!HttpGet(url, target, g_updateCancel, error)) return error;
  }
  // From here to the installation the file stays open, and nobody may
  // change, rename or delete it: what is checked is what gets installed.
  UniqueFile locked(CreateFileW(out.path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  LARGE_INTEGER actual = {};
  if (!locked || !GetFileSizeEx(locked.Get(), &actual) || uint64_t(actual.QuadPart) < kSmallestDownload)
    return kIncomplete;
  if (size != 0 && uint64_t(actual.QuadPart) != size) return kWrongSize;
  const std::wstring computed = FileSha256(locked.Get());
  if (!SameChecksum(computed, sha)) {
    LogEvent(L"update: checksum %ls, expected %ls", computed.c_str(), sha.c_str());
    return kChecksum;
  }
  const std::wstring name = VersionString(out.path, L"ProductName", 64);
  const std::wstring version = VersionString(out.path, L"ProductVersion", 40);
  if (!ExpectedProduct(name, version, job.installed, job.info.version)) {
    LogEvent(L"update: version resource says \"%ls\" %ls", name.c_str(), version.c_str());
    return kWrongVersion;
  }
  out.verified = std::move(locked);
  return std::wstring();
}

DWORD WINAPI DownloadThread(void* param) {
  std::unique_ptr<DownloadJob> job(static_cast<DownloadJob*>(param));
  auto* out = new DownloadOutcome();
  out->error = DownloadAndVerify(*job, *out);
  if (out->error.size() > 599) out->error.resize(599);
  if (!out->error.empty()) {
    out->verified.Reset();
    if (!out->path.empty()) DeleteFileW(out->path.c_str());
  }
  LogEvent(L"update: download of %ls: %ls", job->info.version.c_str(),
           out->error.empty() ? L"verified" : out->error.c_str());
  if (!PostMessageW(job->target, WM_FV_UPDATE_DOWNLOADED, 0, reinterpret_cast<LPARAM>(out))) {
    out->verified.Reset();
    DeleteFileW(out->path.c_str());
    delete out;
  }
  return 0;
}

}  // namespace

bool StartFeedCheck(HWND target, bool manual) {
  auto* job = new CheckJob{target, manual};
  UniqueHandle thread(CreateThread(nullptr, 0, CheckThread, job, 0, nullptr));
  if (!thread) delete job;
  return bool(thread);
}

UniqueHandle StartDownload(const DownloadJob& job) {
  auto* copy = new DownloadJob(job);
  UniqueHandle thread(CreateThread(nullptr, 0, DownloadThread, copy, 0, nullptr));
  if (!thread) delete copy;
  return thread;
}

std::wstring FileSha256(HANDLE file) {
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) != 0) return std::wstring();
  std::wstring hex;
  BCRYPT_HASH_HANDLE hash = nullptr;
  LARGE_INTEGER start = {};
  if (BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0 &&
      SetFilePointerEx(file, start, nullptr, FILE_BEGIN)) {
    std::vector<uint8_t> buffer(65536);
    bool ok = true;
    for (;;) {
      DWORD read = 0;
      if (!ReadFile(file, buffer.data(), DWORD(buffer.size()), &read, nullptr) || read == 0) break;
      if (BCryptHashData(hash, buffer.data(), read, 0) != 0) {
        ok = false;
        break;
      }
    }
    uint8_t digest[32];
    if (ok && BCryptFinishHash(hash, digest, 32, 0) == 0) hex = HexDigest(digest);
  }
  if (hash) BCryptDestroyHash(hash);
  BCryptCloseAlgorithmProvider(algorithm, 0);
  return hex;
}

std::wstring VersionString(const std::wstring& path, const wchar_t* name, size_t capacity) {
  DWORD ignored = 0;
  const DWORD bytes = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (bytes == 0) return std::wstring();
  std::vector<uint8_t> block(bytes);
  if (!GetFileVersionInfoW(path.c_str(), 0, bytes, block.data())) return std::wstring();
  const std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + name;
  wchar_t* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), query.c_str(), reinterpret_cast<void**>(&value), &length) || !value)
    return std::wstring();
  std::wstring text(value, wcsnlen(value, length));
  if (text.size() > capacity - 1) text.resize(capacity - 1);
  return text;
}
