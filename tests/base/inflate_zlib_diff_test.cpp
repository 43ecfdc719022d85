// Inflate() against the system zlib: streams made by zlib's deflate with
// every level and strategy, then damaged. Native only.
#include <gtest/gtest.h>
#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <random>
#include <string>

#include "base/inflate.h"
#include "tests/base/zlib_oracle.h"

namespace {

const ZlibApi kZlib = {inflateInit2_, inflate, inflateEnd};

// Sample data of several kinds: random bytes, page-content-like text, runs
// of few symbols, and a mixture, 0 to about 100 KB.
std::vector<uint8_t> SampleData(std::mt19937& rng, int kind, size_t size) {
  std::vector<uint8_t> data;
  static const char* const kTokens[] = {"BT ", "ET\n", "/F1 ", "12 ", "Tf ", "72 ", "700.5 ", "Td ", "(Hello world) ",
                                        "Tj ", "q ", "Q\n", "0 0 1 rg ", "re ", "f\n", "[(A)-120(B)] TJ\n", "1 0 0 1 0 0 cm "};
  while (data.size() < size) {
    switch (kind) {
      case 0:
        data.push_back(uint8_t(rng()));
        break;
      case 1: {
        const char* t = kTokens[rng() % std::size(kTokens)];
        data.insert(data.end(), t, t + std::strlen(t));
        break;
      }
      case 2:
        data.insert(data.end(), 1 + rng() % 300, uint8_t('a' + rng() % 3));
        break;
      default: {
        int part = int(rng() % 3);
        std::vector<uint8_t> piece = SampleData(rng, part, 1 + rng() % 2000);
        data.insert(data.end(), piece.begin(), piece.end());
      }
    }
  }
  data.resize(size);
  return data;
}

// zlib's deflate with the given settings, the input fed in pieces with a
// random flush after each (which makes empty stored blocks and block ends in
// odd places).
std::vector<uint8_t> Deflate(std::mt19937& rng, const std::vector<uint8_t>& data, int level, int strategy,
                             int windowBits, int memLevel) {
  z_stream z{};
  EXPECT_EQ(deflateInit2(&z, level, Z_DEFLATED, windowBits, memLevel, strategy), Z_OK);
  std::vector<uint8_t> out(deflateBound(&z, uLong(data.size())) + 1024 + data.size() / 8);
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  size_t pos = 0;
  static const int kFlushes[] = {Z_NO_FLUSH, Z_NO_FLUSH, Z_NO_FLUSH, Z_SYNC_FLUSH, Z_FULL_FLUSH, Z_PARTIAL_FLUSH, Z_BLOCK};
  while (pos < data.size()) {
    size_t piece = std::min(data.size() - pos, size_t(1 + rng() % 40000));
    z.next_in = const_cast<Bytef*>(data.data() + pos);
    z.avail_in = uInt(piece);
    pos += piece;
    int flush = kFlushes[rng() % std::size(kFlushes)];
    EXPECT_NE(deflate(&z, flush), Z_STREAM_ERROR);
    EXPECT_EQ(z.avail_in, 0u);
  }
  EXPECT_EQ(deflate(&z, Z_FINISH), Z_STREAM_END);
  out.resize(z.total_out);
  deflateEnd(&z);
  return out;
}

struct Tally {
  int accepted = 0, refused = 0, singleCodeword = 0;
};

// Compares Inflate() with zlib's verdict on one stream.
void Compare(const std::vector<uint8_t>& stream, size_t maximum, Tally& tally, const char* what) {
  std::vector<uint8_t> ours;
  bool ok = Inflate(stream.data(), stream.size(), ours, maximum);
  ZlibVerdict zlib = JudgeWithZlib(kZlib, stream.data(), stream.size(), maximum);
  if (zlib.ok) {
    ASSERT_TRUE(ok) << what;
    ASSERT_EQ(ours, zlib.output) << what;
    ++tally.accepted;
  } else if (zlib.singleCodeword && ok) {
    ++tally.singleCodeword;
  } else {
    ASSERT_FALSE(ok) << what;
    ++tally.refused;
  }
}

TEST(InflateVersusZlib, StreamsFromZlibDecodeExactly) {
  std::mt19937 rng(11);
  const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
  for (int level = 0; level <= 9; ++level) {
    for (int strategy : strategies) {
      for (int kind = 0; kind < 4; ++kind) {
        size_t size = rng() % 3 == 0 ? rng() % 64 : rng() % 100000;
        std::vector<uint8_t> data = SampleData(rng, kind, size);
        int windowBits = 9 + int(rng() % 7);
        std::vector<uint8_t> stream = Deflate(rng, data, level, strategy, windowBits, 1 + int(rng() % 9));
        std::vector<uint8_t> out;
        ASSERT_TRUE(Inflate(stream.data(), stream.size(), out, data.size()))
            << "level " << level << " strategy " << strategy << " kind " << kind;
        ASSERT_EQ(out, data);
        if (!data.empty()) {
          EXPECT_FALSE(Inflate(stream.data(), stream.size(), out, data.size() - 1));
        }
      }
    }
  }
}

TEST(InflateVersusZlib, DamagedStreamsGetTheSameAnswer) {
  std::mt19937 rng(12);
  const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
  Tally tally;
  for (int round = 0; round < 400; ++round) {
    int level = int(rng() % 10);
    int strategy = strategies[rng() % std::size(strategies)];
    std::vector<uint8_t> data = SampleData(rng, int(rng() % 4), 1 + rng() % 6000);
    std::vector<uint8_t> stream = Deflate(rng, data, level, strategy, 15, 8);
    const size_t maximum = data.size() * 2 + 100;
    for (int damage = 0; damage < 12; ++damage) {
      std::vector<uint8_t> bad = stream;
      std::string what = "round " + std::to_string(round) + " damage " + std::to_string(damage);
      switch (damage % 4) {
        case 0:  // flipped bits, mostly in the first blocks where the code tables are
          for (int k = 0, n = 1 + int(rng() % 3); k < n; ++k) {
            size_t at = rng() % 2 ? rng() % std::min<size_t>(bad.size(), 64) : rng() % bad.size();
            bad[at] ^= uint8_t(1u << (rng() % 8));
          }
          break;
        case 1:  // a byte overwritten
          bad[rng() % bad.size()] = uint8_t(rng());
          break;
        case 2:  // cut short
          bad.resize(rng() % bad.size());
          break;
        default:  // a byte left out
          bad.erase(bad.begin() + long(rng() % bad.size()));
          break;
      }
      Compare(bad, maximum, tally, what.c_str());
      if (HasFatalFailure()) return;
    }
    // Output limits around the true size, on the undamaged stream.
    Compare(stream, data.size(), tally, "exact limit");
    Compare(stream, data.size() - 1, tally, "limit one short");
    if (HasFatalFailure()) return;
  }
  // Damage must have exercised both answers.
  EXPECT_GT(tally.accepted, 500);
  EXPECT_GT(tally.refused, 2000);
  EXPECT_LT(tally.singleCodeword, 20);
}

TEST(InflateVersusZlib, RandomBytesAfterAHeader) {
  std::mt19937 rng(13);
  Tally tally;
  for (int round = 0; round < 20000; ++round) {
    std::vector<uint8_t> stream = {0x78, 0x9C};
    size_t n = rng() % 64;
    for (size_t i = 0; i < n; ++i) stream.push_back(uint8_t(rng()));
    // Bias towards fixed-code and stored blocks, which random bytes reach.
    if (n && round % 2) stream[2] = uint8_t((stream[2] & ~6u) | (round % 4 == 1 ? 2 : 0));
    Compare(stream, 4096, tally, "random");
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(tally.accepted, 100);
}

}  // namespace
