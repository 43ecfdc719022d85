#include "engine/pdf_rebuild.h"

#include <algorithm>
#include <functional>
#include <new>
#include <vector>

#include "base/handles.h"
#include "engine/pdfium_engine.h"
#include "engine/save_faults.h"

namespace {

constexpr wchar_t kListText[] = L"The list of pages to save didn't make sense (internal error).";
constexpr wchar_t kReadText[] = L"The PDF file couldn't be read from disk (or there wasn't enough memory for it).";
constexpr wchar_t kLoadText[] = L"The PDF engine couldn't open the file for changing.";
constexpr wchar_t kNoPagesText[] = L"A PDF needs at least one page.";
constexpr wchar_t kDeleteText[] = L"The PDF engine couldn't remove the deleted pages.";
constexpr wchar_t kMoveText[] = L"The PDF engine couldn't put the pages in the new order.";
constexpr wchar_t kImportText[] = L"The PDF engine couldn't copy in the pages from the other PDF.";
constexpr wchar_t kCountText[] = L"The rebuilt PDF didn't end up with the right number of pages.";
constexpr wchar_t kCreateText[] =
    L"Folivex couldn't write in that folder. The folder may be read-only or protected. Try Save As and pick "
    L"another folder, such as Documents or the Desktop.";
constexpr wchar_t kWriteText[] = L"The new file couldn't be written completely (is the disk full?).";

constexpr LONGLONG kMaxInputBytes = 2147483631LL;
constexpr DWORD kReadPiece = 4194304;      // 4 MiB
constexpr size_t kWriteBuffer = 4194304;   // PDFium's many small blocks go out in pieces of this size
constexpr unsigned long kNoIncremental = 2;  // FPDF_NO_INCREMENTAL

// Where a page of the new file comes from.
struct Target {
  FPDF_DOCUMENT document = nullptr;  // null: the main document
  int page = 0;
};

bool ReadInput(const std::wstring& path, std::vector<unsigned char>& bytes) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file) return false;
  LARGE_INTEGER size = {};
  if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 1 || size.QuadPart > kMaxInputBytes) return false;
  try {
    bytes.resize(size_t(size.QuadPart));
  } catch (const std::bad_alloc&) {
    return false;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD want = DWORD(std::min<size_t>(bytes.size() - done, kReadPiece)), got = 0;
    if (!ReadFile(file.Get(), bytes.data() + done, want, &got, nullptr) || got == 0) return false;
    done += got;
  }
  return true;
}

// The block writer PDFium calls while it saves. Blocks are gathered and
// written in large pieces; once one write fails or comes up short, every
// later block fails too, so a file with a hole in it is never finished.
struct BlockWriter {
  FPDF_FILEWRITE base;  // first: PDFium hands back a pointer to it
  HANDLE file = nullptr;
  std::vector<unsigned char> pending;
  bool failed = false;

  bool Drain() {
    size_t done = 0;
    while (!failed && done < pending.size()) {
      DWORD want = DWORD(std::min<size_t>(pending.size() - done, kWriteBuffer)), wrote = 0;
      if (!WriteSaveFile(file, pending.data() + done, want, &wrote) || wrote != want) failed = true;
      done += wrote;
    }
    pending.clear();
    return !failed;
  }

  static int WriteBlock(FPDF_FILEWRITE* self, const void* data, unsigned long size) {
    auto* writer = reinterpret_cast<BlockWriter*>(self);
    if (writer->failed) return 0;
    try {
      const auto* bytes = static_cast<const unsigned char*>(data);
      writer->pending.insert(writer->pending.end(), bytes, bytes + size);
    } catch (const std::bad_alloc&) {
      writer->failed = true;
      return 0;
    }
    if (writer->pending.size() >= kWriteBuffer && !writer->Drain()) return 0;
    return 1;
  }
};

// Maps every position to its page; false when an entry names nothing.
bool MapTargets(const PdfiumEngine& engine, const std::vector<int>& order, std::vector<Target>& targets) {
  const int fileCount = engine.MainPageCount();
  for (int s : order) {
    if (s < 0) return false;
    Target t;
    if (s < fileCount) {
      t.page = s;
    } else if (!engine.BroughtInSource(s, t.document, t.page)) {
      return false;
    }
    targets.push_back(t);
  }
  return true;
}

// Steps 4 to 8 on the loaded copy: delete, reorder, bring in, count.
// `original` is a second copy of the file, loaded only when pages have to
// change places: a page is moved by copying it in from there at its new
// place and deleting it at the old one, because the engine's own move
// loses what the page inherits from the page-tree node above it (its
// fonts and images, its size, its turn).
const wchar_t* Rearrange(const PdfiumApi& api, FPDF_DOCUMENT doc, const std::vector<Target>& targets,
                         const std::function<FPDF_DOCUMENT()>& original) {
  const int count = api.FPDF_GetPageCount(doc);
  if (targets.empty()) return kNoPagesText;
  std::vector<bool> kept(size_t(std::max(count, 0)), false);
  std::vector<int> wanted;  // the main document's pages in their new relative order
  for (const Target& t : targets) {
    if (t.document) continue;
    if (t.page < 0 || t.page >= count || kept[size_t(t.page)]) return kListText;
    kept[size_t(t.page)] = true;
    wanted.push_back(t.page);
  }
  // Deleted from the end, so that the indexes still to come stay valid.
  std::vector<int> current;
  for (int k = count - 1; k >= 0; --k)
    if (!kept[size_t(k)]) api.FPDFPage_Delete(doc, k);
  for (int k = 0; k < count; ++k)
    if (kept[size_t(k)]) current.push_back(k);
  if (api.FPDF_GetPageCount(doc) != int(current.size())) return kDeleteText;

  for (size_t i = 0; i < wanted.size(); ++i) {
    auto found = std::find(current.begin() + std::ptrdiff_t(i), current.end(), wanted[i]);
    if (found == current.end()) return kMoveText;
    const int j = int(found - current.begin());
    if (size_t(j) == i) continue;
    FPDF_DOCUMENT from = original();
    if (!from || !api.FPDF_ImportPagesByIndex(doc, from, &wanted[i], 1, int(i))) return kMoveText;
    api.FPDFPage_Delete(doc, j + 1);  // the old place, one further on now
    if (api.FPDF_GetPageCount(doc) != int(current.size())) return kMoveText;
    current.erase(current.begin() + j);
    current.insert(current.begin() + std::ptrdiff_t(i), wanted[i]);
  }

  // Runs of consecutive positions from the same other PDF come in one call,
  // at their final positions.
  for (size_t k = 0; k < targets.size();) {
    if (!targets[k].document) {
      ++k;
      continue;
    }
    size_t end = k;
    std::vector<int> run;
    while (end < targets.size() && targets[end].document == targets[k].document) run.push_back(targets[end++].page);
    if (!api.FPDF_ImportPagesByIndex(doc, targets[k].document, run.data(), (unsigned long)run.size(), int(k)))
      return kImportText;
    k = end;
  }
  if (api.FPDF_GetPageCount(doc) != int(targets.size())) return kCountText;
  return nullptr;
}

}  // namespace

HRESULT RebuildWithPdfium(PdfEngine& engine, const RenderJob& job, std::wstring& message) {
  message.clear();
  auto& pdfium = static_cast<PdfiumEngine&>(engine);
  const PdfiumApi& api = pdfium.Api();
  std::vector<Target> targets;
  if (!pdfium.Ready() || !pdfium.MainDocument() || !MapTargets(pdfium, job.pageList, targets)) {
    message = kListText;
    return E_FAIL;
  }
  std::vector<unsigned char> bytes;
  if (!ReadInput(job.sourcePath, bytes)) {
    message = kReadText;
    return E_FAIL;
  }
  FPDF_DOCUMENT doc = api.FPDF_LoadMemDocument64(bytes.data(), bytes.size(), nullptr);
  if (!doc) {
    message = kLoadText;
    return E_FAIL;
  }
  FPDF_DOCUMENT original = nullptr;  // loaded when first needed
  const wchar_t* failure = Rearrange(api, doc, targets, [&] {
    if (!original) original = api.FPDF_LoadMemDocument64(bytes.data(), bytes.size(), nullptr);
    return original;
  });
  if (!failure) {
    // The caller made the file; only that file is written.
    UniqueFile out(CreateFileW(job.path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!out) {
      failure = kCreateText;
    } else {
      BlockWriter writer;
      writer.base.version = 1;
      writer.base.WriteBlock = BlockWriter::WriteBlock;
      writer.file = out.Get();
      bool ok = api.FPDF_SaveAsCopy(doc, &writer.base, kNoIncremental) && writer.Drain() &&
                FlushFileBuffers(out.Get());
      if (!ok) {
        out.Reset();
        DeleteFileW(job.path.c_str());
        failure = kWriteText;
      }
    }
  }
  api.FPDF_CloseDocument(doc);
  if (original) api.FPDF_CloseDocument(original);
  if (!failure) return S_OK;
  message = failure;
  return E_FAIL;
}
