#include "base/inflate.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

// Table-driven deflate decoder.
//
// Huffman codes are decoded through lookup tables indexed by the next input
// bits (least significant first): a primary table of kLitBits / kDistBits
// bits, whose entries either decode a symbol outright or link to a sub-table
// for the longer codewords sharing that prefix. The bit buffer is 64 bits
// wide and refilled 8 bytes at a time while the input allows; near the end
// of the input a byte-wise refill supplies zero bytes past the end and
// counts them, so running out of input is detected exactly.
//
// The output vector's size is the room allocated (grown by doubling); the
// decoded length is tracked separately and the vector is cut to it at the
// end. While there is ample room and input the hot loop works without
// per-byte limit checks and copies matches a word at a time; near the
// limits each symbol goes through an exact, checked path.

namespace {

// Table entry, 32 bits:
//   bits 0-3    codeword bits to consume (for a link: the primary table bits)
//   bits 4-7    flags below
//   bits 8-11   extra bits after the codeword (for a link: the sub-table bits)
//   bits 16-31  literal byte, length or distance base, or sub-table start
constexpr uint32_t kLiteral = 0x10;
constexpr uint32_t kEndOfBlock = 0x20;
constexpr uint32_t kLink = 0x40;
constexpr uint32_t kInvalid = 0x80;

constexpr unsigned kLitBits = 10;
constexpr unsigned kDistBits = 8;
constexpr unsigned kCodeLenBits = 7;
// Room for the primary table plus every sub-table a valid code can need
// (1332 and 402 entries at most for these primary sizes), with margin; the
// table builder checks the bound regardless.
constexpr unsigned kLitCapacity = 2048;
constexpr unsigned kDistCapacity = 1024;
constexpr unsigned kCodeLenCapacity = 1u << kCodeLenBits;

constexpr unsigned kMaxMatch = 258;
// Output room the fast loop needs: one longest match plus the overshoot of
// word-sized copies.
constexpr size_t kFastRoom = kMaxMatch + 32;

struct SymbolInfo {
  uint32_t lit[288];
  uint32_t dist[32];
  uint32_t codeLen[19];
};

constexpr SymbolInfo MakeSymbolInfo() {
  constexpr uint16_t lengthBase[29] = {3,  4,  5,  6,  7,  8,  9,  10,  11,  13,  15,  17,  19,  23, 27,
                                       31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
  constexpr uint8_t lengthExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                       2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
  constexpr uint16_t distBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,    65,    97,    129,
                                     193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
  constexpr uint8_t distExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                     6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
  SymbolInfo info{};
  for (unsigned s = 0; s < 288; ++s) {
    if (s < 256)
      info.lit[s] = s << 16 | kLiteral;
    else if (s == 256)
      info.lit[s] = kEndOfBlock;
    else if (s <= 285)
      info.lit[s] = uint32_t(lengthBase[s - 257]) << 16 | uint32_t(lengthExtra[s - 257]) << 8;
    else
      info.lit[s] = kInvalid;
  }
  for (unsigned s = 0; s < 32; ++s)
    info.dist[s] = s < 30 ? uint32_t(distBase[s]) << 16 | uint32_t(distExtra[s]) << 8 : kInvalid;
  for (unsigned s = 0; s < 19; ++s) info.codeLen[s] = s << 16;
  return info;
}

constexpr SymbolInfo kSymbols = MakeSymbolInfo();

// Fills table (primary of rootBits bits, sub-tables after it) for the
// canonical code given by lengths[0, count). Fails for an over-subscribed
// code and for an incomplete one, unless allowSingle is set and the code has
// exactly one codeword. A code with no codewords at all is accepted when
// allowSingle is set: every lookup then finds an invalid entry.
bool BuildTable(const uint8_t* lengths, unsigned count, const uint32_t* info, unsigned rootBits, uint32_t* table,
                unsigned capacity, bool allowSingle) {
  unsigned perLength[16] = {};
  for (unsigned s = 0; s < count; ++s) ++perLength[lengths[s]];
  unsigned used = count - perLength[0];
  perLength[0] = 0;

  int left = 1;
  for (unsigned len = 1; len <= 15; ++len) {
    left = (left << 1) - int(perLength[len]);
    if (left < 0) return false;
  }
  if (left > 0) {
    if (!allowSingle || used > 1) return false;
    std::fill(table, table + capacity, kInvalid);
    if (used == 0) return true;
  }

  unsigned offset[16];
  offset[1] = 0;
  for (unsigned len = 1; len < 15; ++len) offset[len + 1] = offset[len] + perLength[len];
  uint16_t sorted[288];
  for (unsigned s = 0; s < count; ++s)
    if (lengths[s]) sorted[offset[lengths[s]]++] = uint16_t(s);

  unsigned maxLen = 15;
  while (perLength[maxLen] == 0) --maxLen;

  const unsigned rootSize = 1u << rootBits;
  const unsigned rootMask = rootSize - 1;
  unsigned next = rootSize;  // where the next sub-table goes
  unsigned subStart = 0, subBits = 0, subPrefix = ~0u;
  unsigned code = 0;  // the current codeword, bit-reversed
  unsigned k = 0;
  for (unsigned len = 1; len <= maxLen; ++len) {
    while (perLength[len] > 0) {
      uint32_t entry = info[sorted[k++]];
      if (len <= rootBits) {
        entry |= len;
        for (unsigned i = code; i < rootSize; i += 1u << len) table[i] = entry;
      } else {
        unsigned prefix = code & rootMask;
        if (prefix != subPrefix) {
          // The codewords sharing this prefix follow each other; size the
          // sub-table so that exactly they fill it.
          unsigned bits = len - rootBits;
          int room = 1 << bits;
          while (bits + rootBits < maxLen) {
            room -= int(perLength[bits + rootBits]);
            if (room <= 0) break;
            ++bits;
            room <<= 1;
          }
          if (next + (1u << bits) > capacity) return false;
          subStart = next;
          subBits = bits;
          subPrefix = prefix;
          next += 1u << bits;
          table[prefix] = subStart << 16 | subBits << 8 | kLink | rootBits;
        }
        entry |= len - rootBits;
        for (unsigned i = code >> rootBits; i < (1u << subBits); i += 1u << (len - rootBits)) table[subStart + i] = entry;
      }
      --perLength[len];
      // Next codeword of the same length, in bit-reversed form. Moving on to
      // a longer length appends a zero bit, which leaves the reversed value
      // unchanged.
      unsigned step = 1u << (len - 1);
      while (code & step) step >>= 1;
      code = step ? (code & (step - 1)) + step : 0;
    }
  }
  return true;
}

struct FixedTables {
  uint32_t lit[1u << kLitBits];
  uint32_t dist[1u << kDistBits];
  FixedTables() {
    uint8_t lengths[288];
    std::fill(lengths, lengths + 144, uint8_t(8));
    std::fill(lengths + 144, lengths + 256, uint8_t(9));
    std::fill(lengths + 256, lengths + 280, uint8_t(7));
    std::fill(lengths + 280, lengths + 288, uint8_t(8));
    BuildTable(lengths, 288, kSymbols.lit, kLitBits, lit, 1u << kLitBits, false);
    // Distance codes 30 and 31 take part in the code but are invalid.
    std::fill(lengths, lengths + 32, uint8_t(5));
    BuildTable(lengths, 32, kSymbols.dist, kDistBits, dist, 1u << kDistBits, false);
  }
};

const FixedTables& Fixed() {
  static const FixedTables tables;
  return tables;
}

inline uint64_t Load64(const uint8_t* p) {
  uint64_t v;
  std::memcpy(&v, p, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
  v = __builtin_bswap64(v);
#endif
  return v;
}

inline void Copy64(uint8_t* dst, const uint8_t* src) {
  uint64_t v;
  std::memcpy(&v, src, 8);
  std::memcpy(dst, &v, 8);
}

struct Decoder {
  const uint8_t* start;
  const uint8_t* in;
  const uint8_t* end;
  uint64_t bitbuf = 0;     // unread bits, next bit lowest; bits above bitsleft are
  unsigned bitsleft = 0;   // either zero or the true bits of the bytes at in
  size_t overrun = 0;      // zero bytes supplied past the end of the input
  std::vector<uint8_t>* output;
  size_t produced = 0;     // bytes decoded; output->size() is the room allocated
  size_t maximum;

  uint32_t lit[kLitCapacity];
  uint32_t dist[kDistCapacity];

  // True once a bit past the end of the input has been consumed.
  bool RanOut() const { return overrun * 8 > bitsleft; }

  // Tops the bit buffer up to at least 56 bits.
  void Refill() {
    if (size_t(end - in) >= 8) {
      bitbuf |= Load64(in) << bitsleft;
      in += (63 - bitsleft) >> 3;
      bitsleft |= 56;
      return;
    }
    while (bitsleft <= 56) {
      uint64_t byte = 0;
      if (in < end)
        byte = *in++;
      else
        ++overrun;
      bitbuf |= byte << bitsleft;
      bitsleft += 8;
    }
  }

  unsigned Bits(unsigned n) {
    if (bitsleft < n) Refill();
    unsigned v = unsigned(bitbuf & ((uint64_t(1) << n) - 1));
    bitbuf >>= n;
    bitsleft -= n;
    return v;
  }

  // Makes room for at least `needed` output bytes (needed <= maximum).
  bool Grow(size_t needed) {
    size_t room = output->size();
    size_t target = room > maximum / 2 ? maximum : std::max(room * 2, size_t(4096));
    target = std::min(std::max(target, needed), maximum);
    try {
      output->resize(target);
    } catch (...) {
      return false;
    }
    return true;
  }

  bool Stored();
  bool DynamicTables();
  bool Codes(const uint32_t* litTable, const uint32_t* distTable);
};

bool Decoder::Stored() {
  if (RanOut()) return false;
  // Continue at the byte after the last consumed bit; whole bytes still in
  // the buffer are unread.
  size_t pos = size_t(in - start) + overrun - bitsleft / 8;
  in = start + pos;
  bitbuf = 0;
  bitsleft = 0;
  overrun = 0;
  if (end - in < 4) return false;
  size_t len = size_t(in[0]) | size_t(in[1]) << 8;
  size_t nlen = size_t(in[2]) | size_t(in[3]) << 8;
  if (len != (~nlen & 0xFFFF)) return false;
  in += 4;
  if (size_t(end - in) < len) return false;
  if (len > maximum - produced) return false;
  if (len > output->size() - produced && !Grow(produced + len)) return false;
  if (len) std::memcpy(output->data() + produced, in, len);
  produced += len;
  in += len;
  return true;
}

bool Decoder::DynamicTables() {
  unsigned hlit = Bits(5) + 257;
  unsigned hdist = Bits(5) + 1;
  unsigned hclen = Bits(4) + 4;
  if (hlit > 286 || hdist > 30) return false;

  static constexpr uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
  uint8_t lengths[286 + 30] = {};
  for (unsigned i = 0; i < hclen; ++i) lengths[kOrder[i]] = uint8_t(Bits(3));
  uint32_t codeLen[kCodeLenCapacity];
  if (!BuildTable(lengths, 19, kSymbols.codeLen, kCodeLenBits, codeLen, kCodeLenCapacity, false)) return false;

  const unsigned total = hlit + hdist;
  unsigned i = 0;
  while (i < total) {
    if (bitsleft < 16) Refill();
    uint32_t e = codeLen[bitbuf & (kCodeLenCapacity - 1)];
    bitbuf >>= e & 15;
    bitsleft -= e & 15;
    unsigned sym = e >> 16;
    if (sym < 16) {
      lengths[i++] = uint8_t(sym);
      continue;
    }
    uint8_t value = 0;
    unsigned repeat;
    if (sym == 16) {
      if (i == 0) return false;
      value = lengths[i - 1];
      repeat = 3 + Bits(2);
    } else if (sym == 17) {
      repeat = 3 + Bits(3);
    } else {
      repeat = 11 + Bits(7);
    }
    if (repeat > total - i) return false;
    std::memset(lengths + i, value, repeat);
    i += repeat;
  }
  if (RanOut()) return false;
  if (lengths[256] == 0) return false;
  return BuildTable(lengths, hlit, kSymbols.lit, kLitBits, lit, kLitCapacity, true) &&
         BuildTable(lengths + hlit, hdist, kSymbols.dist, kDistBits, dist, kDistCapacity, true);
}

// Decodes one block's literals and matches up to its end-of-block code.
bool Decoder::Codes(const uint32_t* litTable, const uint32_t* distTable) {
  constexpr uint64_t litMask = (1u << kLitBits) - 1;
  constexpr uint64_t distMask = (1u << kDistBits) - 1;
  // The hot state lives in locals; Sync() writes it back.
  uint64_t buf = bitbuf;
  unsigned left = bitsleft;
  const uint8_t* ip = in;
  const uint8_t* const inEnd = end;
  uint8_t* base = output->data();
  uint8_t* out = base + produced;
  uint8_t* outEnd = base + output->size();
  auto sync = [&] {
    bitbuf = buf;
    bitsleft = left;
    in = ip;
    produced = size_t(out - base);
  };

  for (;;) {
    // Fast loop: at least 8 input bytes and kFastRoom output bytes ahead.
    // One refill gives 56 bits, enough for a length and a distance with all
    // their extra bits (at most 48).
    while (size_t(inEnd - ip) >= 8 && size_t(outEnd - out) >= kFastRoom) {
      buf |= Load64(ip) << left;
      ip += (63 - left) >> 3;
      left |= 56;

      uint32_t e = litTable[buf & litMask];
      if (e & kLink) {
        buf >>= kLitBits;
        left -= kLitBits;
        e = litTable[(e >> 16) + (buf & ((1u << ((e >> 8) & 15)) - 1))];
      }
      buf >>= e & 15;
      left -= e & 15;
      if (e & kLiteral) {
        *out++ = uint8_t(e >> 16);
        // A second literal fits in the bits left (at least 41).
        e = litTable[buf & litMask];
        if (e & kLiteral) {
          buf >>= e & 15;
          left -= e & 15;
          *out++ = uint8_t(e >> 16);
        }
        continue;
      }
      if (e & (kEndOfBlock | kInvalid)) {
        sync();
        return (e & kEndOfBlock) != 0;
      }
      unsigned extra = (e >> 8) & 15;
      size_t length = (e >> 16) + size_t(buf & ((1u << extra) - 1));
      buf >>= extra;
      left -= extra;

      e = distTable[buf & distMask];
      if (e & kLink) {
        buf >>= kDistBits;
        left -= kDistBits;
        e = distTable[(e >> 16) + (buf & ((1u << ((e >> 8) & 15)) - 1))];
      }
      if (e & kInvalid) {
        sync();
        return false;
      }
      buf >>= e & 15;
      left -= e & 15;
      extra = (e >> 8) & 15;
      size_t distance = (e >> 16) + size_t(buf & ((1u << extra) - 1));
      buf >>= extra;
      left -= extra;
      if (distance > size_t(out - base)) {
        sync();
        return false;
      }

      // Word-sized copies may run up to 15 bytes past the match; the room
      // is there and later output overwrites it.
      const uint8_t* src = out - distance;
      uint8_t* dst = out;
      out += length;
      if (distance >= 8) {
        do {
          Copy64(dst, src);
          Copy64(dst + 8, src + 8);
          dst += 16;
          src += 16;
        } while (dst < out);
      } else if (distance == 1) {
        uint64_t v = 0x0101010101010101ull * *src;
        do {
          std::memcpy(dst, &v, 8);
          std::memcpy(dst + 8, &v, 8);
          dst += 16;
        } while (dst < out);
      } else {
        do *dst++ = *src++;
        while (dst < out);
      }
    }

    // Checked path for one symbol near the end of the input or the room.
    if (left < 48) {
      bitbuf = buf;
      bitsleft = left;
      in = ip;
      Refill();
      buf = bitbuf;
      left = bitsleft;
      ip = in;
    }
    uint32_t e = litTable[buf & litMask];
    if (e & kLink) {
      buf >>= kLitBits;
      left -= kLitBits;
      e = litTable[(e >> 16) + (buf & ((1u << ((e >> 8) & 15)) - 1))];
    }
    buf >>= e & 15;
    left -= e & 15;
    if (e & (kEndOfBlock | kInvalid)) {
      sync();
      return (e & kEndOfBlock) != 0 && !RanOut();
    }
    size_t done = size_t(out - base);
    if (e & kLiteral) {
      if (overrun * 8 > left || done >= maximum) {
        sync();
        return false;
      }
      if (out == outEnd) {
        sync();
        if (!Grow(done + 1)) return false;
        base = output->data();
        out = base + done;
        outEnd = base + output->size();
      }
      *out++ = uint8_t(e >> 16);
      continue;
    }
    unsigned extra = (e >> 8) & 15;
    size_t length = (e >> 16) + size_t(buf & ((1u << extra) - 1));
    buf >>= extra;
    left -= extra;
    e = distTable[buf & distMask];
    if (e & kLink) {
      buf >>= kDistBits;
      left -= kDistBits;
      e = distTable[(e >> 16) + (buf & ((1u << ((e >> 8) & 15)) - 1))];
    }
    buf >>= e & 15;
    left -= e & 15;
    extra = (e >> 8) & 15;
    size_t distance = (e >> 16) + size_t(buf & ((1u << extra) - 1));
    buf >>= extra;
    left -= extra;
    if ((e & kInvalid) || overrun * 8 > left || distance > done || length > maximum - done) {
      sync();
      return false;
    }
    if (length > size_t(outEnd - out)) {
      sync();
      if (!Grow(done + length)) return false;
      base = output->data();
      out = base + done;
      outEnd = base + output->size();
    }
    const uint8_t* src = out - distance;
    for (size_t i = 0; i < length; ++i) out[i] = src[i];
    out += length;
  }
}

}  // namespace

bool Inflate(const uint8_t* input, size_t length, std::vector<uint8_t>& output, size_t maximum) {
  output.clear();
  if (length < 2) return false;
  const unsigned cmf = input[0], flg = input[1];
  if ((cmf & 0x0F) != 8 || (cmf << 8 | flg) % 31 != 0 || (flg & 0x20) != 0) return false;

  Decoder d;
  d.start = input;
  d.in = input + 2;
  d.end = input + length;
  d.output = &output;
  d.maximum = maximum;
  // Start with room for a typical compression ratio; Grow() doubles it.
  size_t guess = length <= SIZE_MAX / 4 ? std::max(length * 4, size_t(4096)) : length;
  try {
    output.resize(std::min(guess, maximum));
  } catch (...) {
    return false;
  }

  const FixedTables& fixed = Fixed();
  bool ok = true;
  for (bool last = false; ok && !last;) {
    last = d.Bits(1) != 0;
    unsigned type = d.Bits(2);
    if (d.RanOut()) {
      ok = false;
    } else if (type == 0) {
      ok = d.Stored();
    } else if (type == 1) {
      ok = d.Codes(fixed.lit, fixed.dist);
    } else if (type == 2) {
      ok = d.DynamicTables() && d.Codes(d.lit, d.dist);
    } else {
      ok = false;
    }
  }
  ok = ok && !d.RanOut();
  output.resize(d.produced);
  return ok;
}
