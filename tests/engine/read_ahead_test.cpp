#include "engine/read_ahead.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <vector>

namespace {

// A file in memory that counts its reads and can be told to fail them.
struct FakeFile {
  std::vector<uint8_t> bytes;
  int reads = 0;
  bool failing = false;

  static bool ReadAt(void* file, uint64_t position, uint8_t* buffer, size_t size) {
    auto* self = static_cast<FakeFile*>(file);
    ++self->reads;
    if (self->failing) {
      std::memset(buffer, 0xA5, size);  // a read that failed part way
      return false;
    }
    if (position > self->bytes.size() || size > self->bytes.size() - position) return false;
    std::memcpy(buffer, self->bytes.data() + position, size);
    return true;
  }
};

FakeFile MakeFile(size_t size) {
  FakeFile file;
  std::mt19937 random(7);
  file.bytes.resize(size);
  for (uint8_t& b : file.bytes) b = uint8_t(random());
  return file;
}

constexpr size_t kWindow = 4096;

TEST(ReadAhead, EveryReadGivesTheFilesOwnBytes) {
  FakeFile file = MakeFile(300001);
  ReadAhead reader(FakeFile::ReadAt, &file, file.bytes.size(), kWindow);
  std::mt19937 random(11);
  std::vector<uint8_t> buffer;
  for (int i = 0; i < 20000; ++i) {
    // Mostly small reads near the last one, forwards and backwards, some
    // across a window's edge, some of a window or more, some at the end.
    const size_t size = i % 97 == 0 ? kWindow + random() % 3 : random() % 600;
    uint64_t position = random() % file.bytes.size();
    if (i % 50 == 0) position = file.bytes.size() - std::min(size, file.bytes.size());
    if (position + size > file.bytes.size()) continue;
    buffer.assign(size, 0xEE);
    ASSERT_TRUE(reader.Read(position, buffer.data(), size)) << position << " " << size;
    ASSERT_EQ(0, std::memcmp(buffer.data(), file.bytes.data() + position, size)) << position << " " << size;
  }
}

TEST(ReadAhead, SmallReadsInEitherDirectionCostAboutOneFileReadAWindow) {
  FakeFile file = MakeFile(40 * kWindow);
  ReadAhead reader(FakeFile::ReadAt, &file, file.bytes.size(), kWindow);
  uint8_t buffer[20];
  for (uint64_t at = 0; at + sizeof(buffer) <= file.bytes.size(); at += sizeof(buffer))
    ASSERT_TRUE(reader.Read(at, buffer, sizeof(buffer)));
  EXPECT_LE(file.reads, 2 * 40);
  file.reads = 0;
  for (uint64_t at = file.bytes.size() - sizeof(buffer); at >= sizeof(buffer); at -= sizeof(buffer))
    ASSERT_TRUE(reader.Read(at, buffer, sizeof(buffer)));
  EXPECT_LE(file.reads, 2 * 40);
}

TEST(ReadAhead, ReadsPastTheEndOrOfAFailedFileFailAndLeaveNothingStale) {
  FakeFile file = MakeFile(10000);
  ReadAhead reader(FakeFile::ReadAt, &file, file.bytes.size(), kWindow);
  uint8_t buffer[64];
  EXPECT_FALSE(reader.Read(9990, buffer, 11));
  EXPECT_FALSE(reader.Read(10001, buffer, 0));
  EXPECT_FALSE(reader.Read(1, buffer, SIZE_MAX));
  EXPECT_EQ(0, file.reads);
  EXPECT_TRUE(reader.Read(9990, buffer, 10));

  // A failed read leaves no half-read window behind to be served later.
  ASSERT_TRUE(reader.Read(100, buffer, 8));
  file.failing = true;
  EXPECT_FALSE(reader.Read(5000, buffer, 8));
  file.failing = false;
  for (uint64_t at : {uint64_t(100), uint64_t(5000)}) {
    ASSERT_TRUE(reader.Read(at, buffer, 8));
    EXPECT_EQ(0, std::memcmp(buffer, file.bytes.data() + at, 8)) << at;
  }
}

}  // namespace
