// Speed of Inflate() against the system zlib's inflate on two sets of data:
// (a) the PDFium DLL compressed with zlib level 9, as the program carries it,
// and (b) a few MB of generated PDF page content streams of 1-50 KB each,
// compressed at zlib's default level, as FlateDecode streams in PDF files.
//
// Build and run (the DLL path is optional; without it only set (b) runs):
//   cmake -S . -B build/bench -G Ninja -DFV_BENCH=ON -DFV_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench --target inflate_bench
//   build/bench/inflate_bench /root/.cache/folivex/pdfium-5.15.2/pdfium.dll
//
// Each set is decoded several times; the best time counts. Both decoders
// produce the whole output each time: zlib into a buffer of the known size,
// Inflate() into a vector that it sizes itself.
#include "base/inflate.h"

#include <zlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

namespace {

struct Item {
  std::vector<uint8_t> plain;
  std::vector<uint8_t> packed;
};

std::vector<uint8_t> Compress(const std::vector<uint8_t>& data, int level) {
  uLongf size = compressBound(uLong(data.size()));
  std::vector<uint8_t> packed(size);
  if (compress2(packed.data(), &size, data.data(), uLong(data.size()), level) != Z_OK) {
    std::fprintf(stderr, "compress2 failed\n");
    std::exit(1);
  }
  packed.resize(size);
  return packed;
}

// A page content stream: text objects with fonts, positions, strings and
// kerned arrays, interleaved with graphics state, colours and path drawing.
std::string ContentStream(std::mt19937& rng, size_t target) {
  static const char* const kWords[] = {
      "the", "of", "and", "to", "in", "is", "that", "for", "it", "as", "was", "with", "be", "by", "on", "not",
      "he", "this", "are", "or", "his", "from", "at", "which", "but", "have", "an", "had", "they", "you",
      "were", "their", "one", "all", "we", "can", "her", "has", "there", "been", "if", "more", "when", "will",
      "would", "who", "so", "no", "Section", "Table", "Figure", "results", "analysis", "report", "annual",
      "revenue", "customer", "agreement", "shall", "pursuant", "provided", "however", "2023", "page"};
  auto num = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(rng); };
  auto real = [&](int lo, int hi) {
    int v = num(lo * 100, hi * 100);
    std::string s = std::to_string(v / 100);
    if (v % 100) s += "." + std::to_string(v % 100 / 10) + (v % 10 ? std::to_string(v % 10) : "");
    return s;
  };
  auto words = [&](int count) {
    std::string s;
    for (int i = 0; i < count; ++i) {
      if (i) s += ' ';
      s += kWords[num(0, int(std::size(kWords)) - 1)];
    }
    return s;
  };
  std::string out;
  int y = 760;
  while (out.size() < target) {
    int kind = num(0, 9);
    if (kind < 6) {
      out += "BT\n/F" + std::to_string(num(1, 4)) + " " + std::to_string(num(8, 14)) + " Tf\n";
      out += real(50, 90) + " " + std::to_string(y) + " Td\n";
      int lines = num(1, 8);
      for (int i = 0; i < lines; ++i) {
        if (num(0, 2) == 0) {
          out += "[(" + words(num(1, 4)) + ")" + std::to_string(-num(10, 300)) + "(" + words(num(1, 5)) + ")] TJ\n";
        } else {
          out += "(" + words(num(3, 12)) + ") Tj\n";
        }
        out += "0 -" + real(10, 16) + " Td\n";
      }
      out += "ET\n";
      y = y > 80 ? y - num(14, 60) : 760;
    } else if (kind < 8) {
      out += "q\n" + real(0, 1) + " " + real(0, 1) + " " + real(0, 1) + " rg\n";
      out += real(40, 500) + " " + real(40, 700) + " " + real(10, 200) + " " + real(5, 40) + " re\nf\nQ\n";
    } else {
      out += real(0, 2) + " w\n" + real(40, 500) + " " + real(40, 700) + " m\n";
      int segments = num(1, 6);
      for (int i = 0; i < segments; ++i) {
        if (num(0, 1))
          out += real(40, 500) + " " + real(40, 700) + " l\n";
        else
          out += real(40, 500) + " " + real(40, 700) + " " + real(40, 500) + " " + real(40, 700) + " " +
                 real(40, 500) + " " + real(40, 700) + " c\n";
      }
      out += "S\n";
    }
  }
  return out;
}

bool ZlibInflate(const std::vector<uint8_t>& packed, std::vector<uint8_t>& out) {
  z_stream z{};
  if (inflateInit(&z) != Z_OK) return false;
  z.next_in = const_cast<Bytef*>(packed.data());
  z.avail_in = uInt(packed.size());
  z.next_out = out.data();
  z.avail_out = uInt(out.size());
  int rc = inflate(&z, Z_FINISH);
  inflateEnd(&z);
  return rc == Z_STREAM_END && z.total_out == out.size();
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

void Run(const char* name, const std::vector<Item>& items, int repetitions) {
  size_t plainTotal = 0, packedTotal = 0;
  for (const Item& item : items) {
    plainTotal += item.plain.size();
    packedTotal += item.packed.size();
  }
  std::vector<uint8_t> ours;
  std::vector<std::vector<uint8_t>> theirs;
  for (const Item& item : items) theirs.emplace_back(item.plain.size());
  // Check both once, then time.
  for (size_t i = 0; i < items.size(); ++i) {
    if (!Inflate(items[i].packed.data(), items[i].packed.size(), ours, 256u << 20) || ours != items[i].plain ||
        !ZlibInflate(items[i].packed, theirs[i]) || theirs[i] != items[i].plain) {
      std::fprintf(stderr, "%s: item %zu does not decode to its input\n", name, i);
      std::exit(1);
    }
  }
  double bestOurs = 1e30, bestZlib = 1e30;
  for (int r = 0; r < repetitions; ++r) {
    auto t0 = std::chrono::steady_clock::now();
    for (const Item& item : items)
      if (!Inflate(item.packed.data(), item.packed.size(), ours, 256u << 20)) std::exit(1);
    auto t1 = std::chrono::steady_clock::now();
    for (size_t i = 0; i < items.size(); ++i)
      if (!ZlibInflate(items[i].packed, theirs[i])) std::exit(1);
    auto t2 = std::chrono::steady_clock::now();
    bestOurs = std::min(bestOurs, Seconds(t1 - t0));
    bestZlib = std::min(bestZlib, Seconds(t2 - t1));
  }
  double mb = double(plainTotal) / 1e6;
  std::printf("%s: %zu streams, %.2f MB -> %.2f MB\n", name, items.size(), double(packedTotal) / 1e6, mb);
  std::printf("  ours %8.1f MB/s (%.2f ms)\n  zlib %8.1f MB/s (%.2f ms)\n  ratio ours/zlib time %.3f\n",
              mb / bestOurs, bestOurs * 1e3, mb / bestZlib, bestZlib * 1e3, bestOurs / bestZlib);
}

}  // namespace

int main(int argc, char** argv) {
  int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 15;
  std::printf("zlib %s, best of %d\n", zlibVersion(), repetitions);
  if (argc > 1) {
    std::ifstream file(argv[1], std::ios::binary);
    std::vector<uint8_t> dll((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (dll.empty()) {
      std::fprintf(stderr, "cannot read %s\n", argv[1]);
      return 1;
    }
    std::vector<Item> set(1);
    set[0].packed = Compress(dll, 9);
    set[0].plain = std::move(dll);
    Run("engine DLL, level 9", set, repetitions);
  }
  std::mt19937 rng(20240611);
  std::vector<Item> streams;
  size_t total = 0;
  while (total < (4u << 20)) {
    std::string text = ContentStream(rng, std::uniform_int_distribution<size_t>(1024, 50 * 1024)(rng));
    Item item;
    item.plain.assign(text.begin(), text.end());
    item.packed = Compress(item.plain, Z_DEFAULT_COMPRESSION);
    total += item.plain.size();
    streams.push_back(std::move(item));
  }
  Run("content streams, default level", streams, repetitions);
  return 0;
}
