// Benchmark: the PDF structure reader's ReadPages on a big generated PDF
// (over 100 MB, 6,000 pages) against `qpdf --show-npages` on the same file,
// once with a classic table and once as qpdf writes it with object streams
// and a cross-reference stream. The files are made in /tmp and removed.
//
// Goal: ReadPages at most half of qpdf's time.
//
// Build and run (qpdf on the PATH):
//   cmake -S . -B build/bench -G Ninja -DFV_BENCH=ON -DFV_TESTS=OFF -DCMAKE_BUILD_TYPE=Release
//   cmake --build build/bench --target pdf_read_bench
//   build/bench/pdf_read_bench
#include <sys/stat.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/pdf_bench_common.h"
#include "pdf/pdf_reader.h"

using namespace pdfbench;

namespace {

bool Measure(const std::string& label, const std::string& path) {
  std::vector<uint8_t> bytes;
  if (!ReadAll(path, bytes)) return false;  // also warms the page cache
  const double readMs = Median(3, [&] { ReadAll(path, bytes); });
  size_t pages = 0;
  bool ok = true;
  const double oursMs = Median(5, [&] {
    PdfReader reader;
    ok = ok && reader.ReadPages(bytes.data(), bytes.size());
    pages = reader.Pages().size();
    if (!reader.ErrorText().empty()) std::printf("  reader: %s\n", reader.ErrorText().c_str());
  });
  const std::string qpdfPages = Capture("qpdf --show-npages '" + path + "'");
  const double qpdfMs = Median(5, [&] { Spawn({"qpdf", "--show-npages", path}); });
  std::printf("%s: %.1f MB, %zu pages (qpdf: %s)\n", label.c_str(), bytes.size() / 1e6, pages, qpdfPages.c_str());
  std::printf("  ReadPages            %8.2f ms\n", oursMs);
  std::printf("  file read + ReadPages%8.2f ms\n", readMs + oursMs);
  std::printf("  qpdf --show-npages   %8.2f ms\n", qpdfMs);
  std::printf("  ratio ReadPages / qpdf          %.3f (goal <= 0.5)\n", oursMs / qpdfMs);
  std::printf("  ratio (read + ReadPages) / qpdf %.3f\n", (readMs + oursMs) / qpdfMs);
  return ok && std::to_string(pages) == qpdfPages;
}

}  // namespace

int main() {
  const std::string dir = "/tmp/folivex-bench";
  mkdir(dir.c_str(), 0755);
  const std::string classic = dir + "/read-classic.pdf";
  const std::string streams = dir + "/read-objstm.pdf";
  std::printf("Generating %s ...\n", classic.c_str());
  if (!WriteBigPdf(classic, 6000, 130, 10)) return 1;
  std::printf("Converting with qpdf --object-streams=generate ...\n");
  const bool haveStreams = Spawn({"qpdf", "--object-streams=generate", classic, streams}) == 0;
  bool ok = Measure("classic table", classic);
  if (haveStreams) ok = Measure("object streams", streams) && ok;
  std::remove(classic.c_str());
  std::remove(streams.c_str());
  if (!ok) std::printf("FAILED: page counts differ or the reader refused a file\n");
  return ok ? 0 : 1;
}
