// Fuzzes Inflate() on the input as given and with a valid zlib header put
// in front (so the deflate data is reached without guessing a header).
// Checks the output limit exactly, and when the system zlib can be loaded,
// compares every answer with zlib's.
#include <dlfcn.h>

#include <cstdio>
#include <cstdlib>

#include "base/inflate.h"
#include "tests/base/zlib_oracle.h"

namespace {

constexpr size_t kMaximum = size_t(1) << 20;

const ZlibApi* LoadZlib() {
  static const ZlibApi* api = [] {
    static ZlibApi loaded;
    void* lib = dlopen("libz.so.1", RTLD_NOW);
    if (lib) {
      loaded.inflateInit2_ = reinterpret_cast<decltype(loaded.inflateInit2_)>(dlsym(lib, "inflateInit2_"));
      loaded.inflate = reinterpret_cast<decltype(loaded.inflate)>(dlsym(lib, "inflate"));
      loaded.inflateEnd = reinterpret_cast<decltype(loaded.inflateEnd)>(dlsym(lib, "inflateEnd"));
    }
    if (!lib || !loaded.inflateInit2_ || !loaded.inflate || !loaded.inflateEnd) {
      std::fprintf(stderr, "inflate_fuzz: libz.so.1 not loaded, no comparison with zlib\n");
      return static_cast<const ZlibApi*>(nullptr);
    }
    return static_cast<const ZlibApi*>(&loaded);
  }();
  return api;
}

void Check(const uint8_t* data, size_t size) {
  std::vector<uint8_t> out, again;
  bool ok = Inflate(data, size, out, kMaximum);
  if (ok) {
    if (out.size() > kMaximum) std::abort();
    // The same answer with the limit at the output size (a different path
    // through the output buffer), and failure one byte below it.
    if (!Inflate(data, size, again, out.size()) || again != out) std::abort();
    if (!out.empty() && Inflate(data, size, again, out.size() - 1)) std::abort();
  }
  if (const ZlibApi* zlib = LoadZlib()) {
    ZlibVerdict expected = JudgeWithZlib(*zlib, data, size, kMaximum);
    if (expected.ok && (!ok || out != expected.output)) std::abort();
    if (!expected.ok && ok && !expected.singleCodeword) std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Check(data, size);
  std::vector<uint8_t> framed = {0x78, 0x9C};
  framed.insert(framed.end(), data, data + size);
  Check(framed.data(), framed.size());
  return 0;
}
