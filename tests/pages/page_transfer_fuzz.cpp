// Any bytes as a page record from another window: no crash, and whatever is
// accepted reads back the same after being written out again.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "pages/page_transfer.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // Short inputs are stretched to a record's size so that the fields are
  // reached, not only the size check.
  std::vector<uint8_t> record(data, data + size);
  if (size < kTransferRecordSize && size > 0 && data[0] & 1) record.resize(kTransferRecordSize, 0);
  if (record.size() >= 4 && size > 1 && data[1] & 1) {
    record[0] = 'F', record[1] = 'V', record[2] = 'P', record[3] = 'G';
  }
  PageTransfer t;
  if (!DecodeTransfer(record.data(), record.size(), t)) return 0;
  if (t.page < 0 || t.path.empty() || t.path.size() >= kTransferPathChars || t.name.size() >= kTransferNameChars) {
    std::fprintf(stderr, "an accepted record breaks the rules\n");
    std::abort();
  }
  const std::vector<uint8_t> again = EncodeTransfer(t);
  PageTransfer back;
  if (again.size() != kTransferRecordSize || !DecodeTransfer(again.data(), again.size(), back) ||
      back.path != t.path || back.name != t.name || back.page != t.page || back.move != t.move ||
      back.token != t.token || back.sender != t.sender || back.x != t.x || back.y != t.y) {
    std::fprintf(stderr, "an accepted record doesn't read back\n");
    std::abort();
  }
  return 0;
}
