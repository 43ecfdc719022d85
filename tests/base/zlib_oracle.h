// What Inflate() should answer for a stream, judged by the system zlib.
// Native only. The functions come in through ZlibApi so that a program that
// cannot link zlib directly can load them at run time.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <cstring>
#include <memory>
#include <vector>

struct ZlibApi {
  int (*inflateInit2_)(z_streamp, int, const char*, int);
  int (*inflate)(z_streamp, int);
  int (*inflateEnd)(z_streamp);
};

struct ZlibVerdict {
  bool ok = false;
  std::vector<uint8_t> output;  // when ok
  // zlib refused a literal/length or distance code that is incomplete but has
  // a single codeword longer than one bit; Inflate() accepts any code of
  // exactly one codeword, so either answer is right.
  bool singleCodeword = false;
};

// Inflate() differs from zlib's inflate by design in that it ignores the
// Adler-32 trailer and the window size field of the header. So the header
// is judged by zlib's wrapped decoder (window size complaints aside) and the
// deflate data by its raw decoder, with an output buffer of maximum bytes.
inline ZlibVerdict JudgeWithZlib(const ZlibApi& api, const uint8_t* data, size_t size, size_t maximum) {
  ZlibVerdict verdict;
  if (size < 2) return verdict;

  z_stream z;
  std::memset(&z, 0, sizeof z);
  if (api.inflateInit2_(&z, 15, ZLIB_VERSION, int(sizeof z)) != Z_OK) return verdict;
  uint8_t none = 0;
  z.next_in = const_cast<Bytef*>(data);
  z.avail_in = uInt(size);
  z.next_out = &none;
  z.avail_out = 0;  // the header only
  int rc = api.inflate(&z, Z_NO_FLUSH);
  const char* msg = z.msg ? z.msg : "";
  api.inflateEnd(&z);
  // A preset dictionary is refused outright; zlib only asks for it once the
  // four bytes of its identifier are there, and not at all after
  // complaining about the window size.
  bool headerOk = rc != Z_NEED_DICT && (data[1] & 0x20) == 0;
  if (rc == Z_DATA_ERROR &&
      (!std::strcmp(msg, "incorrect header check") || !std::strcmp(msg, "unknown compression method")))
    headerOk = false;
  if (!headerOk) return verdict;

  std::memset(&z, 0, sizeof z);
  if (api.inflateInit2_(&z, -15, ZLIB_VERSION, int(sizeof z)) != Z_OK) return verdict;
  std::unique_ptr<uint8_t[]> out(new uint8_t[maximum + 1]);  // +1: a valid pointer even for maximum 0
  z.next_in = const_cast<Bytef*>(data + 2);
  z.avail_in = uInt(size - 2);
  z.next_out = out.get();
  z.avail_out = uInt(maximum);
  rc = api.inflate(&z, Z_FINISH);
  msg = z.msg ? z.msg : "";
  size_t produced = z.total_out;
  api.inflateEnd(&z);
  if (rc == Z_STREAM_END) {
    verdict.ok = true;
    verdict.output.assign(out.get(), out.get() + produced);
  } else if (rc == Z_DATA_ERROR) {
    verdict.singleCodeword =
        !std::strcmp(msg, "invalid literal/lengths set") || !std::strcmp(msg, "invalid distances set");
  }
  return verdict;
}
