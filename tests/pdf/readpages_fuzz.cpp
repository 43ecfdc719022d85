// Fuzz target: the PDF structure reader on arbitrary bytes. Besides the
// sanitizers it checks that success and the error text agree and that every
// result points inside its buffer.
//
// Seeds and a run (from the fuzz build directory):
//   python3 ../../tools/make_page_order_pdfs.py seeds --pages 4
//   qpdf --object-streams=generate seeds/tree.pdf seeds/tree-objstm.pdf
//   qpdf --linearize seeds/incremental.pdf seeds/incremental-lin.pdf
//   mkdir -p corpus && cp seeds/* corpus/
//   ./readpages_fuzz corpus -dict=../../tests/pdf/pdf_fuzz.dict -max_len=8192 -runs=1000000
#include <cstddef>
#include <cstdint>

#include "pdf/pdf_reader.h"

namespace {

void Check(bool condition) {
  if (!condition) __builtin_trap();
}

void CheckSpan(const PdfSpan& span) {
  Check(span.data != nullptr && span.start <= span.end && span.end <= span.limit);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  PdfReader reader;
  const bool ok = reader.ReadPages(data, size);
  Check(ok == reader.ErrorText().empty());
  if (!ok) return 0;
  Check(!reader.Pages().empty() && reader.Pages().size() <= PdfReader::kMaxPages);
  Check(reader.PageTreeRoot().found);
  CheckSpan(reader.PageTreeRoot().dictionary);
  CheckSpan(reader.Trailer().root);
  Check(reader.Size() > 0);
  for (const PdfPageRecord& page : reader.Pages()) {
    CheckSpan(page.dictionary);
    Check(page.inherited != nullptr && page.generation <= 65535);
    for (int i = 0; i < kPdfInheritedCount; ++i) {
      if (page.inherited->has[i]) CheckSpan(page.inherited->value[i]);
    }
    Check(!page.directChild || page.inherited->Empty());
    PdfDictionary dict;
    Check(PdfParseDictionary(page.dictionary, dict));
    Check(dict.Find("Kids") == nullptr);
  }
  return 0;
}
