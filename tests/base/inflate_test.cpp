#include "base/inflate.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <random>
#include <string>

#include "base/crc32.h"

namespace {

constexpr size_t kNoLimit = size_t(64) << 20;

// Deflate bit stream assembly for hand-made test streams.
class BitWriter {
 public:
  // value's n low bits, least significant first (header fields, extra bits)
  void Bits(uint32_t value, int n) {
    for (int i = 0; i < n; ++i) Bit((value >> i) & 1);
  }
  // a Huffman codeword, most significant bit first
  void Code(uint32_t code, int len) {
    for (int i = len - 1; i >= 0; --i) Bit((code >> i) & 1);
  }
  void AlignToByte() { used_ = 0; }
  void Byte(uint8_t b) {
    AlignToByte();
    bytes_.push_back(b);
  }
  // The stream with a zlib header (and a trailer of four bytes unless told
  // otherwise; its value is not checked by the decoder).
  std::vector<uint8_t> Zlib(bool trailer = true) const {
    std::vector<uint8_t> s;
    s.reserve(bytes_.size() + 6);
    s.push_back(0x78);
    s.push_back(0x9C);
    s.insert(s.end(), bytes_.begin(), bytes_.end());
    if (trailer) s.insert(s.end(), {0, 0, 0, 1});
    return s;
  }

 private:
  void Bit(uint32_t b) {
    if (used_ == 0) bytes_.push_back(0);
    bytes_.back() |= uint8_t(b << used_);
    used_ = (used_ + 1) & 7;
  }
  std::vector<uint8_t> bytes_;
  int used_ = 0;
};

// Canonical Huffman code from code lengths (RFC 1951 section 3.2.2).
struct Huffman {
  std::vector<uint8_t> lengths;
  std::vector<uint32_t> codes;
  explicit Huffman(std::vector<uint8_t> lens) : lengths(std::move(lens)), codes(lengths.size()) {
    int count[16] = {}, next[16] = {};
    for (uint8_t l : lengths) ++count[l];
    count[0] = 0;
    for (int bits = 1, code = 0; bits < 16; ++bits) {
      code = (code + count[bits - 1]) << 1;
      next[bits] = code;
    }
    for (size_t s = 0; s < lengths.size(); ++s)
      if (lengths[s]) codes[s] = uint32_t(next[lengths[s]]++);
  }
  void Put(BitWriter& w, int sym) const { w.Code(codes[sym], lengths[sym]); }
};

std::vector<uint8_t> FixedLitLengths() {
  std::vector<uint8_t> l(288, 8);
  std::fill(l.begin() + 144, l.begin() + 256, 9);
  std::fill(l.begin() + 256, l.begin() + 280, 7);
  return l;
}
const Huffman kFixedLit(FixedLitLengths());
const Huffman kFixedDist(std::vector<uint8_t>(30, 5));

constexpr int kLengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                 31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr int kLengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2, 2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr int kDistBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,    65,    97,    129,
                               193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr int kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6, 6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};

// A match of length 3-258 at distance 1-32768 in the given codes.
void PutMatch(BitWriter& w, int length, int distance, const Huffman& lit = kFixedLit, const Huffman& dist = kFixedDist) {
  int l = 28;
  while (kLengthBase[l] > length) --l;
  lit.Put(w, 257 + l);
  w.Bits(uint32_t(length - kLengthBase[l]), kLengthExtra[l]);
  int d = 29;
  while (kDistBase[d] > distance) --d;
  dist.Put(w, d);
  w.Bits(uint32_t(distance - kDistBase[d]), kDistExtra[d]);
}

void PutLiterals(BitWriter& w, const std::string& text, const Huffman& lit = kFixedLit) {
  for (unsigned char c : text) lit.Put(w, c);
}

bool Decode(const std::vector<uint8_t>& stream, std::vector<uint8_t>& out, size_t maximum = kNoLimit) {
  return Inflate(stream.data(), stream.size(), out, maximum);
}

bool Decodes(const std::vector<uint8_t>& stream, size_t maximum = kNoLimit) {
  std::vector<uint8_t> out;
  return Decode(stream, out, maximum);
}

std::string Text(const std::vector<uint8_t>& v) { return std::string(v.begin(), v.end()); }

// Dynamic block header. The code-length code gives lengths 0-12 four bits
// and 13-18 five (a complete code) unless clens says otherwise; the code
// lengths are written as (symbol, extra bits value) pairs.
struct ClenOp {
  int sym;
  int extra;
};
constexpr std::array<uint8_t, 19> kDefaultClens = {4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 4, 5, 5, 5, 5, 5, 5};

void PutDynamicHeader(BitWriter& w, int hlit, int hdist, const std::vector<ClenOp>& ops,
                      const std::array<uint8_t, 19>& clens = kDefaultClens) {
  static const int kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  w.Bits(uint32_t(hlit - 257), 5);
  w.Bits(uint32_t(hdist - 1), 5);
  w.Bits(19 - 4, 4);
  for (int i = 0; i < 19; ++i) w.Bits(clens[kOrder[i]], 3);
  Huffman clen(std::vector<uint8_t>(clens.begin(), clens.end()));
  for (const ClenOp& op : ops) {
    clen.Put(w, op.sym);
    if (op.sym == 16) w.Bits(uint32_t(op.extra), 2);
    if (op.sym == 17) w.Bits(uint32_t(op.extra), 3);
    if (op.sym == 18) w.Bits(uint32_t(op.extra), 7);
  }
}

std::vector<ClenOp> PlainOps(const std::vector<uint8_t>& lengths) {
  std::vector<ClenOp> ops;
  for (uint8_t l : lengths) ops.push_back({l, 0});
  return ops;
}

// A final dynamic block with the given codes that decodes `text` followed
// by one match (when the distance code has codes), then ends.
std::vector<uint8_t> DynamicStream(const std::vector<uint8_t>& litLengths, const std::vector<uint8_t>& distLengths,
                                   const std::string& text, int matchLength = 0, int matchDistance = 0) {
  BitWriter w;
  w.Bits(1, 1);
  w.Bits(2, 2);
  std::vector<uint8_t> all = litLengths;
  all.insert(all.end(), distLengths.begin(), distLengths.end());
  PutDynamicHeader(w, int(litLengths.size()), int(distLengths.size()), PlainOps(all));
  Huffman lit(litLengths), dist(distLengths);
  PutLiterals(w, text, lit);
  if (matchLength) PutMatch(w, matchLength, matchDistance, lit, dist);
  lit.Put(w, 256);
  return w.Zlib();
}

// Complete codes in which every literal/length and every distance symbol
// has a codeword: 226 of 8 bits and 60 of 9; 2 of 4 bits and 28 of 5.
std::vector<uint8_t> FullLitLengths() {
  std::vector<uint8_t> l(286, 8);
  std::fill(l.begin() + 196, l.begin() + 256, 9);
  return l;
}
std::vector<uint8_t> FullDistLengths() {
  std::vector<uint8_t> l(30, 5);
  l[0] = l[1] = 4;
  return l;
}

// ---------------------------------------------------------------------------

TEST(Inflate, DecodesStreamsFromAnEncoder) {
  // zlib's output for a short text (one fixed-code block), a stored block and
  // a dynamic-code block of page content.
  const std::vector<uint8_t> fixed = {
      0x78, 0xda, 0xf3, 0x48, 0xcd, 0xc9, 0xc9, 0xd7, 0x51, 0xf0, 0x40, 0xa2, 0x14, 0x15, 0x5c,
      0x52, 0xd3, 0x72, 0x12, 0x4b, 0x52, 0x15, 0xca, 0x33, 0x4b, 0x32, 0x14, 0xd2, 0x32, 0x2b,
      0x52, 0x53, 0x14, 0x92, 0xf3, 0x53, 0x52, 0x8b, 0xf5, 0x00, 0x6c, 0x86, 0x0f, 0xd3};
  const std::vector<uint8_t> stored = {0x78, 0x01, 0x01, 0x06, 0x00, 0xf9, 0xff, 0x73, 0x74,
                                       0x6f, 0x72, 0x65, 0x64, 0x09, 0x3c, 0x02, 0x92};
  const std::vector<uint8_t> dynamic = {
      0x78, 0xda, 0x8d, 0xd1, 0xab, 0x0e, 0x02, 0x31, 0x10, 0x85, 0x61, 0xcf, 0x53, 0x1c, 0x09, 0x8a, 0x99, 0x6e,
      0xa7, 0xed, 0xda, 0x4d, 0x40, 0x21, 0xfb, 0x02, 0x24, 0x74, 0xb9, 0x08, 0x40, 0xec, 0xfb, 0x07, 0x12, 0x28,
      0x1d, 0x41, 0x9a, 0x11, 0x47, 0xfe, 0xe2, 0xcb, 0x99, 0x32, 0xb6, 0x7b, 0xc6, 0x88, 0x3c, 0x23, 0x3a, 0x44,
      0x22, 0xe4, 0x13, 0xd6, 0x87, 0xeb, 0xbd, 0x80, 0xf0, 0x98, 0xb1, 0x5c, 0x0a, 0x9e, 0xc7, 0x73, 0xd9, 0x20,
      0xdf, 0xb0, 0xcb, 0xab, 0xe9, 0x13, 0x30, 0x7d, 0x8b, 0x90, 0x42, 0x2b, 0xb8, 0x57, 0x70, 0x2d, 0xde, 0xfb,
      0x15, 0xae, 0x57, 0xb8, 0x5a, 0x48, 0x6a, 0xc5, 0xd0, 0x29, 0x2a, 0x23, 0x78, 0xdf, 0x02, 0x6f, 0x62, 0x0c,
      0x0a, 0x2e, 0x26, 0x06, 0x2b, 0x78, 0x30, 0x31, 0x48, 0xc1, 0xa3, 0x81, 0x21, 0x49, 0xb9, 0x93, 0x85, 0x21,
      0x51, 0xc1, 0x47, 0x0b, 0x43, 0x82, 0x82, 0x33, 0x59, 0x1c, 0xe2, 0xf5, 0xe5, 0x7f, 0x3f, 0x7f, 0x01, 0xce,
      0x26, 0x9a, 0x06};
  std::string page;
  for (int i = 0; i < 12; ++i) {
    char line[80];
    std::snprintf(line, sizeof line, "BT /F1 %d Tf 72 %d Td (Line %d of the page) Tj ET\n", 9 + i % 4, 700 - 14 * i, i);
    page += line;
  }

  std::vector<uint8_t> out = {1, 2, 3};
  ASSERT_TRUE(Decode(fixed, out));
  EXPECT_EQ(Text(out), "Hello, Hello, Hello! Deflate with fixed codes.");
  ASSERT_TRUE(Decode(stored, out));
  EXPECT_EQ(Text(out), "stored");
  ASSERT_TRUE(Decode(dynamic, out));
  EXPECT_EQ(Text(out), page);

  // The Adler-32 trailer is neither checked nor needed.
  std::vector<uint8_t> badTrailer = dynamic;
  badTrailer.back() ^= 0xFF;
  ASSERT_TRUE(Decode(badTrailer, out));
  EXPECT_EQ(Text(out), page);
  std::vector<uint8_t> noTrailer(dynamic.begin(), dynamic.end() - 4);
  ASSERT_TRUE(Decode(noTrailer, out));
  EXPECT_EQ(Text(out), page);
}

TEST(Inflate, EveryCutBeforeTheEndOfTheLastBlockFails) {
  BitWriter w;
  w.Bits(0, 1);  // stored, then fixed, then a final dynamic block
  w.Bits(0, 2);
  w.AlignToByte();
  for (uint8_t b : std::vector<uint8_t>{3, 0, 0xFC, 0xFF, 'a', 'b', 'c'}) w.Byte(b);
  w.Bits(0, 1);
  w.Bits(1, 2);
  PutLiterals(w, "defg");
  PutMatch(w, 20, 7);
  kFixedLit.Put(w, 256);
  w.Bits(1, 1);
  w.Bits(2, 2);
  std::vector<uint8_t> lit = FullLitLengths(), dist = FullDistLengths();
  std::vector<uint8_t> all = lit;
  all.insert(all.end(), dist.begin(), dist.end());
  PutDynamicHeader(w, 286, 30, PlainOps(all));
  Huffman litCode(lit), distCode(dist);
  PutLiterals(w, "xyz", litCode);
  PutMatch(w, 4, 3, litCode, distCode);
  litCode.Put(w, 256);
  std::vector<uint8_t> stream = w.Zlib(false);

  std::vector<uint8_t> out;
  ASSERT_TRUE(Decode(stream, out));
  EXPECT_EQ(Text(out), "abcdefgabcdefgabcdefgabcdefxyzxyzx");
  for (size_t cut = 0; cut < stream.size(); ++cut) {
    std::vector<uint8_t> part(stream.begin(), stream.begin() + long(cut));
    EXPECT_FALSE(Decode(part, out)) << "cut at " << cut;
  }
}

TEST(Inflate, ChecksTheHeader) {
  BitWriter w;
  w.Bits(1, 1);
  w.Bits(1, 2);
  PutLiterals(w, "ok");
  kFixedLit.Put(w, 256);
  std::vector<uint8_t> good = w.Zlib();
  ASSERT_TRUE(Decodes(good));

  auto withHeader = [&](uint8_t cmf, uint8_t flg) {
    std::vector<uint8_t> s = good;
    s[0] = cmf;
    s[1] = flg;
    return s;
  };
  // FCHECK makes the big-endian 16-bit header a multiple of 31.
  auto check = [](uint8_t cmf, uint8_t flg) { return uint8_t(flg + (31 - (cmf << 8 | flg) % 31) % 31); };

  EXPECT_FALSE(Decodes({}));
  EXPECT_FALSE(Decodes({0x78}));
  EXPECT_FALSE(Decodes({0x78, 0x9C}));                      // no block at all
  EXPECT_FALSE(Decodes(withHeader(0x79, check(0x79, 0))));  // CM 9
  EXPECT_FALSE(Decodes(withHeader(0x77, check(0x77, 0))));  // CM 7
  EXPECT_FALSE(Decodes(withHeader(0x78, 0x9D)));            // FCHECK off by one
  EXPECT_FALSE(Decodes(withHeader(0x78, check(0x78, 0x20))));  // preset dictionary
  EXPECT_TRUE(Decodes(withHeader(0x08, check(0x08, 0xC0))));   // smallest window
  EXPECT_TRUE(Decodes(withHeader(0xF8, check(0xF8, 0x00))));   // window field is not checked
}

TEST(Inflate, StoredBlocks) {
  auto stored = [](std::vector<uint8_t> body, bool final = true) {
    BitWriter w;
    w.Bits(final ? 1 : 0, 1);
    w.Bits(0, 2);
    for (uint8_t b : body) w.Byte(b);
    return w;
  };
  std::vector<uint8_t> out;
  ASSERT_TRUE(Decode(stored({2, 0, 0xFD, 0xFF, 'h', 'i'}).Zlib(), out));
  EXPECT_EQ(Text(out), "hi");
  EXPECT_TRUE(Decode(stored({0, 0, 0xFF, 0xFF}).Zlib(), out, 0));  // empty block, no room at all
  EXPECT_TRUE(out.empty());

  EXPECT_FALSE(Decodes(stored({2, 0, 0xFD, 0xFE, 'h', 'i'}).Zlib()));  // NLEN not the complement
  EXPECT_FALSE(Decodes(stored({2, 0, 0xFC, 0xFF, 'h', 'i'}).Zlib()));
  EXPECT_FALSE(Decodes(stored({3, 0, 0xFC, 0xFF, 'h', 'i'}).Zlib(false)));  // data cut short
  EXPECT_FALSE(Decodes(stored({2, 0, 0xFD}).Zlib(false)));                  // LEN/NLEN cut short

  // A stored block after a fixed block starts at the next whole byte.
  BitWriter w;
  w.Bits(0, 1);
  w.Bits(1, 2);
  PutLiterals(w, "ab");
  kFixedLit.Put(w, 256);
  w.Bits(1, 1);
  w.Bits(0, 2);
  for (uint8_t b : std::vector<uint8_t>{1, 0, 0xFE, 0xFF, 'c'}) w.Byte(b);
  ASSERT_TRUE(Decode(w.Zlib(false), out));
  EXPECT_EQ(Text(out), "abc");
}

TEST(Inflate, RejectsBadCodesInBlocks) {
  auto fixedWith = [](auto put) {
    BitWriter w;
    w.Bits(1, 1);
    w.Bits(1, 2);
    PutLiterals(w, "abcd");
    put(w);
    kFixedLit.Put(w, 256);
    return w.Zlib();
  };
  EXPECT_TRUE(Decodes(fixedWith([](BitWriter& w) { PutMatch(w, 3, 4); })));
  EXPECT_FALSE(Decodes(fixedWith([](BitWriter& w) { PutMatch(w, 3, 5); })));  // before the output start
  EXPECT_FALSE(Decodes(fixedWith([](BitWriter& w) { kFixedLit.Put(w, 286); })));
  EXPECT_FALSE(Decodes(fixedWith([](BitWriter& w) { kFixedLit.Put(w, 287); })));
  for (int code : {30, 31})
    EXPECT_FALSE(Decodes(fixedWith([code](BitWriter& w) {
      kFixedLit.Put(w, 257);
      w.Code(uint32_t(code), 5);
    })));

  BitWriter reserved;
  reserved.Bits(1, 1);
  reserved.Bits(3, 2);
  EXPECT_FALSE(Decodes(reserved.Zlib()));

  // The same at a long distance: 19876 bytes, then a match reaching
  // exactly to the start, then one reaching one byte further.
  for (int extra : {0, 1}) {
    BitWriter w;
    w.Bits(1, 1);
    w.Bits(1, 2);
    PutLiterals(w, "0123456789");
    for (int i = 0; i < 77; ++i) PutMatch(w, 258, 10);
    PutMatch(w, 100, 19876 + extra);
    kFixedLit.Put(w, 256);
    std::vector<uint8_t> out;
    EXPECT_EQ(Decode(w.Zlib(), out), extra == 0);
  }
}

TEST(Inflate, DynamicBlockHeaders) {
  const std::vector<uint8_t> lit = FullLitLengths(), dist = FullDistLengths();
  std::vector<uint8_t> out;
  ASSERT_TRUE(Decode(DynamicStream(lit, dist, "header", 6, 6), out));
  EXPECT_EQ(Text(out), "headerheader");

  auto header = [](int hlit, int hdist, std::vector<ClenOp> ops, std::array<uint8_t, 19> clens = kDefaultClens) {
    BitWriter w;
    w.Bits(1, 1);
    w.Bits(2, 2);
    PutDynamicHeader(w, hlit, hdist, ops, clens);
    return w;
  };
  auto finish = [](BitWriter w) {
    w.Code(0, 1);  // end of block in the code below
    return w.Zlib();
  };

  // 257 literal/length codes: 0-255 of length 9 and 256 of length 1 (a
  // complete code), then a single distance code of length 1.
  std::vector<ClenOp> ok;
  ok.push_back({9, 0});
  ok.push_back({16, 3});  // repeat 6
  for (int i = 0; i < 249; ++i) ok.push_back({9, 0});
  ok.push_back({1, 0});   // code 256
  ok.push_back({1, 0});   // the one distance code
  {
    BitWriter w = header(257, 1, ok);
    std::vector<uint8_t> l(256, 9);
    l.push_back(1);
    Huffman litCode(l);
    litCode.Put(w, 'q');
    litCode.Put(w, 256);
    ASSERT_TRUE(Decode(w.Zlib(), out));
    EXPECT_EQ(Text(out), "q");
  }
  // Each failure below would otherwise be a valid block.
  // A repeat that runs past HLIT + HDIST:
  {
    std::vector<ClenOp> over = ok;
    over.back() = {16, 0};  // three copies of 1 where one length is left
    EXPECT_FALSE(Decodes(finish(header(257, 1, over))));
    std::vector<ClenOp> zeros = ok;
    zeros.back() = {17, 0};
    EXPECT_FALSE(Decodes(finish(header(257, 1, zeros))));
    zeros.back() = {18, 0};
    EXPECT_FALSE(Decodes(finish(header(257, 1, zeros))));
  }
  // A repeat of the previous length as the first length (fine as 3 zeros):
  {
    std::vector<ClenOp> first = {{16, 0}};
    for (int i = 3; i < 256; ++i) first.push_back({9, 0});
    first.push_back({1, 0});  // 256
    for (int i = 257; i < 260; ++i) first.push_back({9, 0});
    first.push_back({1, 0});  // the distance code
    EXPECT_FALSE(Decodes(finish(header(260, 1, first))));
    first.front() = {17, 0};
    EXPECT_TRUE(Decodes(finish(header(260, 1, first))));
  }
  // HLIT above 286 or HDIST above 30, even with the extra codes unused:
  std::vector<uint8_t> lit287 = lit, dist31 = dist;
  lit287.push_back(0);
  dist31.push_back(0);
  const std::vector<uint8_t> oneDist = {1};
  EXPECT_TRUE(Decodes(DynamicStream(lit, oneDist, "x")));
  EXPECT_FALSE(Decodes(DynamicStream(lit287, oneDist, "x")));
  EXPECT_FALSE(Decodes(DynamicStream(lit, dist31, "x")));
  lit287.push_back(0);
  EXPECT_FALSE(Decodes(DynamicStream(lit287, oneDist, "x")));

  // A code-length code that is incomplete or over-subscribed (its codes
  // in use stay the same), or has no codes at all:
  std::array<uint8_t, 19> incomplete = kDefaultClens;
  incomplete[18] = 0;
  EXPECT_FALSE(Decodes(finish(header(257, 1, ok, incomplete))));
  std::array<uint8_t, 19> over = kDefaultClens;
  over[0] = 3;
  EXPECT_FALSE(Decodes(finish(header(257, 1, ok, over))));
  EXPECT_FALSE(Decodes(finish(header(257, 1, ok, std::array<uint8_t, 19>{}))));
}

TEST(Inflate, DynamicCodeCompleteness) {
  const std::vector<uint8_t> lit = FullLitLengths(), dist = FullDistLengths();

  // The end-of-block code must have a codeword.
  std::vector<uint8_t> noEnd = lit;
  noEnd[256] = 0;
  noEnd[257] = 7;  // keeps the code complete
  EXPECT_FALSE(Decodes(DynamicStream(noEnd, dist, "")));

  // Over-subscribed literal/length or distance codes fail.
  std::vector<uint8_t> overLit = lit;
  overLit[0] = 7;
  EXPECT_FALSE(Decodes(DynamicStream(overLit, dist, "a")));
  std::vector<uint8_t> overDist = dist;
  overDist[2] = 4;
  EXPECT_FALSE(Decodes(DynamicStream(lit, overDist, "a")));

  // Incomplete codes with two or more codewords fail.
  std::vector<uint8_t> holeLit = lit;
  holeLit[255] = 0;
  EXPECT_FALSE(Decodes(DynamicStream(holeLit, dist, "a")));
  std::vector<uint8_t> holeDist = dist;
  holeDist[29] = 0;
  EXPECT_FALSE(Decodes(DynamicStream(lit, holeDist, "abc", 3, 3)));
  std::vector<uint8_t> twoLong(30, 0);
  twoLong[3] = 1;
  twoLong[4] = 2;
  EXPECT_FALSE(Decodes(DynamicStream(lit, twoLong, "abc", 3, 3)));

  // A code of exactly one codeword may be incomplete, whatever its length;
  // the other bit patterns are invalid when met.
  std::vector<uint8_t> out;
  for (uint8_t len : {1, 2, 7, 15}) {
    std::vector<uint8_t> single(30, 0);
    single[5] = len;  // distances 7-8
    ASSERT_TRUE(Decode(DynamicStream(lit, single, "abcdefgh", 16, 8), out)) << int(len);
    EXPECT_EQ(Text(out), "abcdefghabcdefghabcdefgh");
  }
  std::vector<uint8_t> onlyEnd(257, 0);
  onlyEnd[256] = 3;
  EXPECT_TRUE(Decode(DynamicStream(onlyEnd, std::vector<uint8_t>(1, 0), ""), out));
  EXPECT_TRUE(out.empty());
  {
    BitWriter w;  // the single 3-bit codeword is 000; 001 is not a code
    w.Bits(1, 1);
    w.Bits(2, 2);
    std::vector<uint8_t> all = onlyEnd;
    all.push_back(0);
    PutDynamicHeader(w, 257, 1, PlainOps(all));
    w.Code(1, 3);
    EXPECT_FALSE(Decodes(w.Zlib()));
  }

  // A distance code without codewords serves a block of literals only.
  std::vector<uint8_t> none(1, 0);
  ASSERT_TRUE(Decode(DynamicStream(lit, none, "literals"), out));
  EXPECT_EQ(Text(out), "literals");
  BitWriter w;
  w.Bits(1, 1);
  w.Bits(2, 2);
  std::vector<uint8_t> all = lit;
  all.push_back(0);
  PutDynamicHeader(w, 286, 1, PlainOps(all));
  Huffman litCode(lit);
  PutLiterals(w, "abc", litCode);
  litCode.Put(w, 257);  // a match, but no distance can be decoded
  w.Bits(0, 16);
  EXPECT_FALSE(Decodes(w.Zlib()));
}

TEST(Inflate, OutputLimit) {
  std::vector<uint8_t> out;
  // Literals only, a match, and a stored block, each exactly 10 bytes.
  BitWriter lits;
  lits.Bits(1, 1);
  lits.Bits(1, 2);
  PutLiterals(lits, "0123456789");
  kFixedLit.Put(lits, 256);
  BitWriter match;
  match.Bits(1, 1);
  match.Bits(1, 2);
  PutLiterals(match, "01");
  PutMatch(match, 8, 2);
  kFixedLit.Put(match, 256);
  BitWriter stored;
  stored.Bits(1, 1);
  stored.Bits(0, 2);
  for (uint8_t b : {10, 0, 0xF5, 0xFF}) stored.Byte(b);
  for (char c : std::string("0123456789")) stored.Byte(uint8_t(c));

  for (const BitWriter* w : {&lits, &match, &stored}) {
    EXPECT_TRUE(Decode(w->Zlib(), out, 10));
    EXPECT_EQ(out.size(), 10u);
    EXPECT_TRUE(Decodes(w->Zlib(), 11));
    EXPECT_FALSE(Decodes(w->Zlib(), 9));
    EXPECT_FALSE(Decodes(w->Zlib(), 0));
  }

  // A large output from a small input: 'a' then long runs; the output grows
  // far beyond its first allocation and stops exactly at the limit.
  BitWriter runs;
  runs.Bits(1, 1);
  runs.Bits(1, 2);
  PutLiterals(runs, "a");
  for (int i = 0; i < 8000; ++i) PutMatch(runs, 258, 1);
  kFixedLit.Put(runs, 256);
  const size_t total = 1 + 8000 * 258;
  ASSERT_TRUE(Decode(runs.Zlib(), out, total));
  EXPECT_EQ(out, std::vector<uint8_t>(total, 'a'));
  EXPECT_FALSE(Decodes(runs.Zlib(), total - 1));
}

// Random literals and matches of every length and of short and long
// distances, in fixed-code blocks, against a plain expansion.
TEST(Inflate, MatchesOfAllShapes) {
  std::mt19937 rng(7);
  for (int round = 0; round < 20; ++round) {
    BitWriter w;
    std::vector<uint8_t> expected;
    int blocks = 1 + round % 4;
    for (int b = 0; b < blocks; ++b) {
      w.Bits(b == blocks - 1, 1);
      w.Bits(1, 2);
      for (int i = 0; i < 3000; ++i) {
        int kind = int(rng() % 8);
        if (expected.empty() || kind < 3) {
          uint8_t c = uint8_t(kind == 0 ? rng() : 'a' + rng() % 4);
          kFixedLit.Put(w, c);
          expected.push_back(c);
          continue;
        }
        int length = kind == 3 ? 258 : 3 + int(rng() % (kind == 4 ? 256 : 20));
        size_t maxDist = std::min<size_t>(expected.size(), 32768);
        int distance = kind < 6 ? 1 + int(rng() % std::min<size_t>(maxDist, 9)) : 1 + int(rng() % maxDist);
        PutMatch(w, length, distance);
        for (int k = 0; k < length; ++k) expected.push_back(expected[expected.size() - size_t(distance)]);
      }
      kFixedLit.Put(w, 256);
    }
    std::vector<uint8_t> out;
    ASSERT_TRUE(Decode(w.Zlib(), out)) << round;
    ASSERT_EQ(out, expected) << round;
    // Limits in the middle of the stream hold as well.
    EXPECT_TRUE(Decodes(w.Zlib(), expected.size()));
    EXPECT_FALSE(Decodes(w.Zlib(), expected.size() - 1 - rng() % 1000));
  }
}

// ---------------------------------------------------------------------------

uint32_t BitwiseCrc(const uint8_t* p, size_t n) {
  uint32_t c = 0xFFFFFFFF;
  for (size_t i = 0; i < n; ++i) {
    c ^= p[i];
    for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1)));
  }
  return ~c;
}

TEST(Crc32, CheckValuesAndContinuation) {
  const std::string check = "123456789";
  EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(check.data()), check.size()), 0xCBF43926u);
  EXPECT_EQ(Crc32(nullptr, 0), 0u);
  const std::string fox = "The quick brown fox jumps over the lazy dog";
  EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>(fox.data()), fox.size()), 0x414FA339u);

  std::mt19937 rng(3);
  std::vector<uint8_t> data(5000);
  for (uint8_t& b : data) b = uint8_t(rng());
  for (size_t offset : {0, 1, 3, 7}) {
    for (size_t n : {0, 1, 7, 8, 9, 63, 64, 65, 4000}) {
      EXPECT_EQ(Crc32(data.data() + offset, n), BitwiseCrc(data.data() + offset, n)) << offset << " " << n;
    }
  }
  for (size_t split : {0, 1, 5, 8, 13, 2500, 4999, 5000}) {
    uint32_t first = Crc32(data.data(), split);
    EXPECT_EQ(Crc32(data.data() + split, data.size() - split, first), BitwiseCrc(data.data(), data.size()));
  }
}

}  // namespace
