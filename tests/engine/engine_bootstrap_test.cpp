#include "engine/engine_bootstrap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "base/crc32.h"
#include "base/event_log.h"
#include "base/handles.h"
#include "base/inflate.h"
#include "engine/pdfium_engine.h"
#include "engine_build.h"
#include "tests/engine/engine_test_support.h"

using namespace engine_test;

namespace {

const std::vector<uint8_t>& EngineBytes() {
  static const std::vector<uint8_t> bytes = [] {
    std::vector<uint8_t> out;
    EnginePackage package = PackedEngine();
    if (!package.data || !Inflate(package.data, package.size, out, 64u << 20)) out.clear();
    return out;
  }();
  return bytes;
}

// A copy of the DLL with one byte changed near the end and the last four
// bytes adjusted so that its size and CRC-32 are those of the real one.
std::vector<uint8_t> SameCrcImpostor(const std::vector<uint8_t>& dll) {
  static const uint8_t zeros[8] = {};
  // CRC-32 is affine: the change it makes to a CRC depends only on the
  // difference, and a difference in the last 8 bytes acts as on 8 bytes alone.
  auto effect = [](const uint8_t* difference) { return Crc32(difference, 8) ^ Crc32(zeros, 8); };
  uint8_t difference[8] = {0x5A, 0, 0, 0, 0, 0, 0, 0};
  uint32_t needed = effect(difference);
  // Solve over GF(2) for the bits of bytes 4..7 whose effect cancels `needed`.
  uint32_t basis[32] = {}, makeup[32] = {};
  for (int k = 0; k < 32; ++k) {
    uint8_t bit[8] = {};
    bit[4 + k / 8] = uint8_t(1u << (k % 8));
    uint32_t v = effect(bit), c = 1u << k;
    for (int i = 31; i >= 0 && v; --i) {
      if (!(v >> i & 1)) continue;
      if (!basis[i]) {
        basis[i] = v;
        makeup[i] = c;
        break;
      }
      v ^= basis[i];
      c ^= makeup[i];
    }
  }
  uint32_t chosen = 0;
  for (int i = 31; i >= 0; --i) {
    if (!(needed >> i & 1)) continue;
    needed ^= basis[i];
    chosen ^= makeup[i];
  }
  for (int k = 0; k < 32; ++k)
    if (chosen >> k & 1) difference[4 + k / 8] ^= uint8_t(1u << (k % 8));
  std::vector<uint8_t> copy = dll;
  for (int i = 0; i < 8; ++i) copy[copy.size() - 8 + size_t(i)] ^= difference[i];
  return copy;
}

std::wstring LogText() {
  std::wstring log;
  ReadEventLog(log);
  return log;
}

FILETIME OldTime() {
  SYSTEMTIME st{2001, 1, 0, 1, 12, 0, 0, 0};
  FILETIME ft;
  SystemTimeToFileTime(&st, &ft);
  return ft;
}

void SetWriteTime(const std::wstring& path, FILETIME time) {
  UniqueFile file(
      CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_NE(file.Get(), INVALID_HANDLE_VALUE);
  SetFileTime(file.Get(), nullptr, nullptr, &time);
}

FILETIME WriteTime(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data);
  return data.ftLastWriteTime;
}

std::vector<std::wstring> FilesIn(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  UniqueFind search(FindFirstFileW((folder + L"\\*").c_str(), &found));
  if (!search) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileW(search.Get(), &found));
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

TEST(EngineBootstrap, PackedEngineIsTheExpectedDll) {
  EXPECT_EQ(EngineFileName(), std::wstring(L"pdfium-") + FV_ENGINE_BUILD_TEXT + L"-" + FV_ENGINE_CRC32_TEXT + L".dll");
  EXPECT_EQ(EngineFileName(), L"pdfium-8149-0a2ac9c5.dll");
  const std::vector<uint8_t>& dll = EngineBytes();
  ASSERT_EQ(dll.size(), 7835648u);
  EXPECT_EQ(Crc32(dll.data(), dll.size()), 0x0A2AC9C5u);
  EXPECT_TRUE(IsExpectedEngine(dll.data(), dll.size()));
  EXPECT_FALSE(IsExpectedEngine(dll.data(), dll.size() - 1));
  EXPECT_FALSE(IsExpectedEngine(nullptr, 0));
}

TEST(EngineBootstrap, Sha256KnownAnswers) {
  uint8_t digest[32];
  ASSERT_TRUE(Sha256(reinterpret_cast<const uint8_t*>("abc"), 3, digest));
  const uint8_t abc[32] = {0xba, 0x78, 0x16, 0xbf, 0x8f, 0x01, 0xcf, 0xea, 0x41, 0x41, 0x40, 0xde, 0x5d, 0xae, 0x22, 0x23,
                           0xb0, 0x03, 0x61, 0xa3, 0x96, 0x17, 0x7a, 0x9c, 0xb4, 0x10, 0xff, 0x61, 0xf2, 0x00, 0x15, 0xad};
  EXPECT_EQ(memcmp(digest, abc, 32), 0);
  ASSERT_TRUE(Sha256(nullptr, 0, digest));
  EXPECT_EQ(digest[0], 0xe3);  // e3b0c442... of nothing
  EXPECT_EQ(digest[31], 0x55);
}

// A planted file of the right size and CRC-32 but other content must not pass.
TEST(EngineBootstrap, VerifyChecksSizeCrcAndSha256) {
  ScratchFolder dir;
  const std::vector<uint8_t>& dll = EngineBytes();
  ASSERT_FALSE(dll.empty());
  ASSERT_TRUE(WriteBytes(dir / L"good.dll", dll.data(), dll.size()));
  EXPECT_TRUE(VerifyEngineFile(dir / L"good.dll"));

  ASSERT_TRUE(WriteBytes(dir / L"short.dll", dll.data(), dll.size() - 1));
  EXPECT_FALSE(VerifyEngineFile(dir / L"short.dll"));

  std::vector<uint8_t> flipped = dll;
  flipped[1000] ^= 1;
  ASSERT_TRUE(WriteBytes(dir / L"flipped.dll", flipped.data(), flipped.size()));
  EXPECT_FALSE(VerifyEngineFile(dir / L"flipped.dll"));

  std::vector<uint8_t> impostor = SameCrcImpostor(dll);
  ASSERT_EQ(impostor.size(), dll.size());
  ASSERT_NE(impostor, dll);
  ASSERT_EQ(Crc32(impostor.data(), impostor.size()), 0x0A2AC9C5u);
  ASSERT_TRUE(WriteBytes(dir / L"impostor.dll", impostor.data(), impostor.size()));
  EXPECT_FALSE(VerifyEngineFile(dir / L"impostor.dll"));

  ASSERT_TRUE(WriteBytes(dir / L"empty.dll", "", 0));
  EXPECT_FALSE(VerifyEngineFile(dir / L"empty.dll"));
  EXPECT_FALSE(VerifyEngineFile(dir / L"missing.dll"));
}

TEST(EngineBootstrap, VerifiedFileIsHeldUnchangedUntilReleased) {
  ScratchFolder dir;
  const std::vector<uint8_t>& dll = EngineBytes();
  const std::wstring path = dir / L"held.dll";
  ASSERT_TRUE(WriteBytes(path, dll.data(), dll.size()));
  EngineFileHold hold;
  ASSERT_TRUE(VerifyEngineFile(path, &hold));
  ASSERT_TRUE(hold.Holds());

  // Others may read it, but not write, delete, rename or replace it.
  // Each probe is closed again before the next one.
  {
    UniqueFile reader(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_NE(reader.Get(), INVALID_HANDLE_VALUE);
  }
  {
    UniqueFile writer(CreateFileW(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                  nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_EQ(writer.Get(), INVALID_HANDLE_VALUE);
  }
  EXPECT_FALSE(DeleteFileW(path.c_str()));
  ASSERT_TRUE(WriteBytes(dir / L"other.dll", "MZ", 2));
  EXPECT_FALSE(MoveFileExW((dir / L"other.dll").c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING));
  EXPECT_FALSE(MoveFileExW(path.c_str(), (dir / L"renamed.dll").c_str(), 0));

  hold.Release();
  EXPECT_TRUE(DeleteFileW(path.c_str()));

  // A failed verification holds nothing.
  ASSERT_TRUE(WriteBytes(path, dll.data(), 100));
  EXPECT_FALSE(VerifyEngineFile(path, &hold));
  EXPECT_FALSE(hold.Holds());
  EXPECT_TRUE(DeleteFileW(path.c_str()));
}

TEST(EngineBootstrap, ExtractWritesOnceAndReuses) {
  ScratchFolder root;
  const std::wstring folder = root / L"a\\b\\Corvane\\Folivex";  // missing parents are made
  EngineLocation first = ExtractEngine(folder, PackedEngine());
  ASSERT_EQ(first.path, folder + L"\\pdfium-8149-0a2ac9c5.dll") << first.status;
  EXPECT_TRUE(first.hold.Holds());
  first.hold.Release();
  EXPECT_TRUE(VerifyEngineFile(first.path));
  EXPECT_EQ(FilesIn(folder), std::vector<std::wstring>{L"pdfium-8149-0a2ac9c5.dll"});

  // A verified copy is used as it is: nothing is written.
  SetWriteTime(first.path, OldTime());
  EngineLocation second = ExtractEngine(folder, PackedEngine());
  EXPECT_EQ(second.path, first.path);
  second.hold.Release();
  FILETIME after = WriteTime(first.path), old = OldTime();
  EXPECT_EQ(CompareFileTime(&after, &old), 0);
}

TEST(EngineBootstrap, ExtractCleansOlderEnginesAndStrayTemporaryFiles) {
  ScratchFolder dir;
  ASSERT_TRUE(WriteBytes(dir / L"pdfium-8000-deadbeef.dll", "old", 3));
  ASSERT_TRUE(WriteBytes(dir / L"pdfium-1234-5678.tmp", "stray", 5));
  ASSERT_TRUE(WriteBytes(dir / L"notes.txt", "keep", 4));
  EngineLocation where = ExtractEngine(dir.Path(), PackedEngine());
  ASSERT_FALSE(where.path.empty()) << where.status;
  where.hold.Release();
  EXPECT_EQ(FilesIn(dir.Path()), (std::vector<std::wstring>{L"notes.txt", L"pdfium-8149-0a2ac9c5.dll"}));
}

TEST(EngineBootstrap, DamagedTargetIsRewritten) {
  ScratchFolder dir;
  const std::vector<uint8_t>& dll = EngineBytes();
  const std::wstring target = dir / EngineFileName();
  std::vector<std::vector<uint8_t>> damaged = {std::vector<uint8_t>(dll.begin(), dll.begin() + 4096),
                                               SameCrcImpostor(dll)};
  for (const auto& bytes : damaged) {
    ASSERT_TRUE(WriteBytes(target, bytes.data(), bytes.size()));
    EngineLocation where = ExtractEngine(dir.Path(), PackedEngine());
    EXPECT_EQ(where.path, target) << where.status;
    where.hold.Release();
    EXPECT_EQ(ReadBytes(target), dll);
  }
}

TEST(EngineBootstrap, ExtractFailures) {
  ScratchFolder dir;
  EngineLocation none = ExtractEngine(dir / L"x", EnginePackage{});
  EXPECT_EQ(none.path, L"");
  EXPECT_EQ(none.status, L"the engine is missing from this copy of Folivex");
  // A module without the resource gives no package.
  EXPECT_EQ(PackedEngine(GetModuleHandleW(L"kernel32.dll")).data, nullptr);

  const uint8_t garbage[] = {1, 2, 3, 4, 5, 6, 7, 8};
  EngineLocation bad = ExtractEngine(dir / L"x", EnginePackage{garbage, sizeof garbage});
  EXPECT_EQ(bad.status, L"the engine inside this copy of Folivex is damaged (download Folivex again)");
  // Valid zlib data that is not the engine: "abc" compressed.
  const uint8_t otherBytes[] = {0x78, 0x9c, 0x4b, 0x4c, 0x4a, 0x06, 0x00, 0x02, 0x4d, 0x01, 0x27};
  EngineLocation other = ExtractEngine(dir / L"x", EnginePackage{otherBytes, sizeof otherBytes});
  EXPECT_EQ(other.status, L"the engine inside this copy of Folivex is damaged (download Folivex again)");
  EXPECT_FALSE(Exists(dir / L"x"));  // nothing was written

  // A folder that can't be made: its parent is a file.
  ASSERT_TRUE(WriteBytes(dir / L"file", "x", 1));
  const std::wstring blocked = dir / L"file\\Corvane\\Folivex";
  EngineLocation unwritable = ExtractEngine(blocked, PackedEngine());
  EXPECT_EQ(unwritable.path, L"");
  EXPECT_EQ(unwritable.status, L"couldn't write the engine to " + blocked);
}

TEST(EngineBootstrap, ValidDllBesideTheProgramIsUsedAndNothingWritten) {
  ScratchFolder root;
  const std::vector<uint8_t>& dll = EngineBytes();
  CreateDirectoryW((root / L"program").c_str(), nullptr);
  ASSERT_TRUE(WriteBytes(root / L"program\\pdfium.dll", dll.data(), dll.size()));
  EngineFolders folders{root / L"program", root / L"data\\Corvane\\Folivex", root / L"temp\\Folivex"};
  EngineLocation where = LocateEngine(folders, PackedEngine());
  EXPECT_EQ(where.path, root / L"program\\pdfium.dll");
  EXPECT_TRUE(where.hold.Holds());
  where.hold.Release();
  EXPECT_FALSE(Exists(root / L"data"));
  EXPECT_FALSE(Exists(root / L"temp"));
}

TEST(EngineBootstrap, WrongDllBesideTheProgramIsIgnoredNotTouched) {
  ScratchFolder root;
  const std::vector<uint8_t>& dll = EngineBytes();
  CreateDirectoryW((root / L"program").c_str(), nullptr);
  ASSERT_TRUE(WriteBytes(root / L"program\\pdfium.dll", dll.data(), dll.size() - 512));
  EngineFolders folders{root / L"program", root / L"data\\Corvane\\Folivex", root / L"temp\\Folivex"};
  EngineLocation where = LocateEngine(folders, PackedEngine());
  EXPECT_EQ(where.path, root / L"data\\Corvane\\Folivex\\pdfium-8149-0a2ac9c5.dll");
  where.hold.Release();
  EXPECT_EQ(ReadBytes(root / L"program\\pdfium.dll").size(), dll.size() - 512);
  EXPECT_FALSE(Exists(root / L"temp"));
}

TEST(EngineBootstrap, UnwritableDataFolderFallsBackToTemporaryFolder) {
  ScratchFolder root;
  ASSERT_TRUE(WriteBytes(root / L"data", "not a folder", 12));
  EngineFolders folders{root / L"program", root / L"data\\Corvane\\Folivex", root / L"temp\\Folivex"};
  EngineLocation where = LocateEngine(folders, PackedEngine());
  EXPECT_EQ(where.path, root / L"temp\\Folivex\\pdfium-8149-0a2ac9c5.dll") << where.status;
  where.hold.Release();

  // When the temporary folder fails too, the status names it.
  ScratchFolder root2;
  ASSERT_TRUE(WriteBytes(root2 / L"data", "x", 1));
  ASSERT_TRUE(WriteBytes(root2 / L"temp", "x", 1));
  EngineFolders blocked{L"", root2 / L"data\\Corvane\\Folivex", root2 / L"temp\\Folivex"};
  EngineLocation nowhere = LocateEngine(blocked, PackedEngine());
  EXPECT_EQ(nowhere.path, L"");
  EXPECT_EQ(nowhere.status, L"couldn't write the engine to " + root2 / L"temp\\Folivex");
}

TEST(EngineBootstrap, WinengineSwitchLogsPdfiumNotInUse) {
  PdfiumEngine pdfium;
  std::wstring status = BootstrapEngine(pdfium, false, true, EngineFolders{}, PackedEngine());
  EXPECT_EQ(status, L"switched off by /winengine");
  EXPECT_FALSE(pdfium.Ready());
  EXPECT_NE(LogText().find(L"PDF engine: PDFium NOT in use (switched off by /winengine); Windows engine not available"),
            std::wstring::npos);
}

TEST(EngineBootstrap, LoadsTheLocatedEngineAndLogsIt) {
  ScratchFolder root;
  EngineFolders folders{L"", root / L"data", root / L"temp"};
  PdfiumEngine pdfium;
  std::wstring status = BootstrapEngine(pdfium, true, false, folders, PackedEngine());
  EXPECT_EQ(status, root / L"data\\pdfium-8149-0a2ac9c5.dll");
  EXPECT_TRUE(pdfium.Ready());
  EXPECT_NE(LogText().find(L"PDF engine: PDFium (" + status + L"); Windows engine available"), std::wstring::npos);

  // Nothing could be written: the extraction's error becomes the status.
  PdfiumEngine none;
  std::wstring failed = BootstrapEngine(none, false, false, EngineFolders{}, EnginePackage{});
  EXPECT_FALSE(none.Ready());
  EXPECT_EQ(failed, L"couldn't write the engine to the temporary folder");
  EXPECT_NE(LogText().find(L"PDF engine: PDFium NOT in use (" + failed + L"); Windows engine not available"),
            std::wstring::npos);
}

TEST(EngineBootstrap, LoadFailuresBecomeStatusTexts) {
  ScratchFolder dir;
  ASSERT_TRUE(WriteBytes(dir / L"notadll.dll", "this is not a program", 21));
  PdfiumEngine pdfium;
  std::wstring status;
  EXPECT_FALSE(pdfium.Load(dir / L"notadll.dll", status));
  EXPECT_EQ(status.rfind(L"Windows couldn't load the engine (error ", 0), 0u) << status;
  EXPECT_NE(status.find(L"); it needs 64-bit Windows 10 or later"), std::wstring::npos);

  // A DLL without PDFium's functions.
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  EXPECT_FALSE(pdfium.Load(std::wstring(system) + L"\\version.dll", status));
  EXPECT_EQ(status, L"the engine is missing a function (FPDF_InitLibrary)");
  EXPECT_FALSE(pdfium.Ready());
}

TEST(EngineBootstrap, ProgramFolders) {
  EngineFolders folders = ProgramEngineFolders();
  EXPECT_TRUE(Exists(folders.program + L"\\fv_win_tests.exe")) << folders.program;
  ASSERT_GT(folders.data.size(), 16u);
  EXPECT_EQ(folders.data.substr(folders.data.size() - 16), L"\\Corvane\\Folivex");
  ASSERT_GT(folders.temp.size(), 8u);
  EXPECT_EQ(folders.temp.substr(folders.temp.size() - 8), L"\\Folivex");
  EXPECT_EQ(folders.temp.find(L"\\\\"), std::wstring::npos);
}
