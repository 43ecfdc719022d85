// Fuzz target: the page-order writer. The input is a whole file; the new
// order is a shuffle seeded from its bytes. Whenever an update is written,
// the updated file must read back with the pages in exactly the new order.
//
// Seeds and a run (from the fuzz build directory):
//   python3 ../../tools/make_page_order_pdfs.py seeds --pages 4
//   qpdf --object-streams=generate seeds/tree.pdf seeds/tree-objstm.pdf
//   qpdf --linearize seeds/incremental.pdf seeds/incremental-lin.pdf
//   mkdir -p corpus && cp seeds/* corpus/
//   ./writepageorder_fuzz corpus -dict=../../tests/pdf/pdf_fuzz.dict -max_len=8192 -runs=1000000
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "pdf/page_order_writer.h"
#include "pdf/pdf_reader.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PdfReader reader;
  std::vector<uint8_t> update;
  std::string error;
  if (!reader.ReadPages(data, size)) {
    Check(!WritePageOrder(data, size, {}, update, error));
    Check(update.empty() && error == reader.ErrorText());
    return 0;
  }
  const std::vector<PdfPageRecord>& pages = reader.Pages();
  const size_t n = pages.size();

  uint32_t seed = 2166136261u;
  for (size_t i = 0; i < size; ++i) seed = (seed ^ data[i]) * 16777619u;
  std::vector<int> order(n);
  for (size_t i = 0; i < n; ++i) order[i] = static_cast<int>(i);
  for (size_t i = n; i > 1; --i) {
    seed = seed * 1664525u + 1013904223u;
    std::swap(order[i - 1], order[(seed >> 8) % i]);
  }

  // A wrong count is always refused.
  Check(!WritePageOrder(data, size, std::vector<int>(n + 1, 0), update, error) && update.empty());

  if (!WritePageOrder(data, size, order, update, error)) {
    // Only a stream-based file whose /Size leaves no number for the new
    // cross-reference stream is refused here.
    Check(reader.Trailer().isStream && reader.Size() > 2147483632);
    Check(update.empty());
    return 0;
  }
  Check(error.empty() && !update.empty());
  if (reader.SectionCount() >= 5000) return 0;  // one more section is too many

  std::vector<uint8_t> updated(data, data + size);
  updated.insert(updated.end(), update.begin(), update.end());
  PdfReader after;
  Check(after.ReadPages(updated.data(), updated.size()));
  Check(after.Pages().size() == n);
  for (size_t k = 0; k < n; ++k) {
    const PdfPageRecord& expected = pages[static_cast<size_t>(order[k])];
    Check(after.Pages()[k].number == expected.number);
    Check(after.Pages()[k].generation == expected.generation);
    Check(after.Pages()[k].directChild);
  }
  return 0;
}
