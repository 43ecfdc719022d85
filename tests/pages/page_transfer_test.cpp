// The page record between two windows, checked byte by byte against the
// layout the other side reads, and the records the receiver refuses.
#include "pages/page_transfer.h"

#include <gtest/gtest.h>

namespace {

uint32_t U32(const std::vector<uint8_t>& b, size_t at) {
  return uint32_t(b[at]) | uint32_t(b[at + 1]) << 8 | uint32_t(b[at + 2]) << 16 | uint32_t(b[at + 3]) << 24;
}

PageTransfer Sample() {
  PageTransfer t;
  t.x = -5;
  t.y = 700;
  t.page = 3;
  t.move = true;
  t.token = 0xA1B2C3D4;
  t.sender = 0x0000123400005678ull;
  t.path = u"C:\\Docs\\r\u00e9sum\u00e9.pdf";
  t.name = u"r\u00e9sum\u00e9.pdf";
  return t;
}

TEST(PageTransfer, TheRecordHasItsFixedLayoutAndReadsBack) {
  const std::vector<uint8_t> b = EncodeTransfer(Sample());
  ASSERT_EQ(b.size(), 2600u);
  EXPECT_EQ(std::string(b.begin(), b.begin() + 4), "FVPG");
  EXPECT_EQ(U32(b, 4), uint32_t(-5));
  EXPECT_EQ(U32(b, 8), 700u);
  EXPECT_EQ(U32(b, 12), 3u);
  EXPECT_EQ(U32(b, 16), 1u);
  EXPECT_EQ(U32(b, 20), 0xA1B2C3D4u);
  EXPECT_EQ(U32(b, 24), 0x5678u);
  EXPECT_EQ(U32(b, 28), 0x1234u);
  EXPECT_EQ(b[32], 'C');
  EXPECT_EQ(b[32 + 2 * 9], 0xE9);  // é, UTF-16 little-endian
  EXPECT_EQ(b[2080], 'r');
  EXPECT_EQ(b[2599], 0);

  PageTransfer back;
  ASSERT_TRUE(DecodeTransfer(b.data(), b.size(), back));
  EXPECT_EQ(back.x, -5);
  EXPECT_EQ(back.page, 3);
  EXPECT_TRUE(back.move);
  EXPECT_EQ(back.sender, Sample().sender);
  EXPECT_EQ(back.path, Sample().path);
  EXPECT_EQ(back.name, Sample().name);

  // 1,023 characters fit with their terminator; 1,024 don't.
  PageTransfer longest = Sample();
  longest.path.assign(1023, u'x');
  EXPECT_EQ(EncodeTransfer(longest).size(), 2600u);
  longest.path.push_back(u'x');
  EXPECT_TRUE(EncodeTransfer(longest).empty());
}

TEST(PageTransfer, MalformedRecordsAreRefused) {
  const std::vector<uint8_t> good = EncodeTransfer(Sample());
  PageTransfer out;
  auto refused = [&](std::vector<uint8_t> b) { return !DecodeTransfer(b.data(), b.size(), out); };
  auto patched = [&](size_t at, std::vector<uint8_t> bytes) {
    std::vector<uint8_t> b = good;
    std::copy(bytes.begin(), bytes.end(), b.begin() + std::ptrdiff_t(at));
    return b;
  };
  EXPECT_TRUE(refused(std::vector<uint8_t>(good.begin(), good.end() - 1)));
  std::vector<uint8_t> longer = good;
  longer.push_back(0);
  EXPECT_TRUE(refused(longer));
  EXPECT_TRUE(refused(patched(0, {'F', 'V', 'P', 'X'})));
  EXPECT_TRUE(refused(patched(12, {0, 0, 0, 0x80})));  // a negative page
  EXPECT_TRUE(refused(patched(16, {2, 0, 0, 0})));
  EXPECT_TRUE(refused(patched(24, {0, 0, 0, 0, 0, 0, 0, 0})));
  EXPECT_TRUE(refused(patched(32, {0, 0})));  // no path
  std::vector<uint8_t> noEnd = good;
  for (size_t i = 32; i < 2080; i += 2) noEnd[i] = 'a';
  EXPECT_TRUE(refused(noEnd));
  noEnd = good;
  for (size_t i = 2080; i < 2600; i += 2) noEnd[i] = 'a';
  EXPECT_TRUE(refused(noEnd));
  EXPECT_FALSE(DecodeTransfer(nullptr, 2600, out));
  // What follows a terminator is not read.
  EXPECT_FALSE(refused(patched(2078, {'z', 0})));
}

}  // namespace
