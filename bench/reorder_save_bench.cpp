// Benchmark: saving a new page order into a big generated PDF (over 200 MB,
// 8,000 pages, every page under an intermediate node so that all of them
// are rewritten). Ours: read the file, WritePageOrder, write original plus
// update. Against `qpdf --pages` making the same (reversed) order, and
// against a plain copy of the file with the same reads and writes.
//
// Goals: at least 10 times faster than qpdf; at most 1.5 times a copy.
//
// Build and run (qpdf on the PATH):
//   cmake -S . -B build/bench -G Ninja -DFV_BENCH=ON -DFV_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench --target reorder_save_bench
//   build/bench/reorder_save_bench
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/pdf_bench_common.h"
#include "pdf/page_order_writer.h"
#include "pdf/pdf_reader.h"

using namespace pdfbench;

int main() {
  const std::string dir = "/tmp/folivex-bench";
  mkdir(dir.c_str(), 0755);
  const std::string input = dir + "/reorder-in.pdf";
  const std::string ours = dir + "/reorder-ours.pdf";
  const std::string theirs = dir + "/reorder-qpdf.pdf";
  const std::string copy = dir + "/reorder-copy.pdf";
  const int pages = 8000;
  std::printf("Generating %s ...\n", input.c_str());
  if (!WriteBigPdf(input, pages, 160, 10)) return 1;
  std::vector<uint8_t> warm;
  ReadAll(input, warm);
  std::printf("%.1f MB, %d pages\n", warm.size() / 1e6, pages);
  warm.clear();
  warm.shrink_to_fit();

  std::vector<int> order(pages);
  for (int i = 0; i < pages; ++i) order[static_cast<size_t>(i)] = pages - 1 - i;

  bool ok = true;
  size_t updateSize = 0;
  const double oursMs = Median(3, [&] {
    std::vector<uint8_t> bytes, update;
    std::string error;
    ok = ReadAll(input, bytes) && WritePageOrder(bytes, order, update, error) && WriteAll(ours, bytes, &update) && ok;
    if (!error.empty()) std::printf("  writer: %s\n", error.c_str());
    updateSize = update.size();
  });
  const double copyMs = Median(3, [&] {
    std::vector<uint8_t> bytes;
    ok = ReadAll(input, bytes) && WriteAll(copy, bytes, nullptr) && ok;
  });
  const double qpdfMs = Median(1, [&] { ok = Spawn({"qpdf", input, "--pages", input, "z-1", "--", theirs}) == 0 && ok; });

  // Both results must start with the old last page.
  const std::string first = Capture("pdftotext -f 1 -l 1 '" + ours + "' -");
  const std::string firstQpdf = Capture("pdftotext -f 1 -l 1 '" + theirs + "' -");
  const std::string expected = "Bench page " + std::to_string(pages);
  std::printf("  update: %zu bytes; first page now: \"%s\" (qpdf: \"%s\")\n", updateSize, first.c_str(),
              firstQpdf.c_str());
  if (first != expected || firstQpdf != expected) ok = false;

  std::printf("  reorder-save (read, WritePageOrder, write)  %9.1f ms\n", oursMs);
  std::printf("  qpdf --pages (same order)                    %9.1f ms\n", qpdfMs);
  std::printf("  plain copy (read, write)                     %9.1f ms\n", copyMs);
  std::printf("  qpdf / ours   %.1f x faster (goal >= 10)\n", qpdfMs / oursMs);
  std::printf("  ours / copy   %.3f (goal <= 1.5)\n", oursMs / copyMs);
  for (const std::string& path : {input, ours, theirs, copy}) std::remove(path.c_str());
  if (!ok) std::printf("FAILED: a step failed or the pages are not in the new order\n");
  return ok ? 0 : 1;
}
