// The model of the page arrangement of the open document: where each page
// comes from (the file itself or another PDF), the order the user sees, the
// undo snapshots and the selection. Platform-neutral; UI thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// Source index per on-screen position: position p shows source order[p].
// Sources 0..F-1 are the file's own pages in file order; F+k is the k-th page
// brought in from another PDF.
using PageOrder = std::vector<int>;

// A page brought in from another PDF; entry k of the list is source F+k.
struct BroughtInPage {
  int32_t pdf = 0;   // index into PageModel::importedPdfs
  int32_t page = 0;  // 0-based page number inside that PDF
};

// Another PDF that pages were brought in from.
struct ImportedPdf {
  std::wstring copyPath;       // private temporary copy the pages are read from
  std::wstring displayName;    // file name shown in messages
  std::wstring sentFrom;       // path the page was sent from
  uint64_t fileSize = 0;       // size of `sentFrom` when the copy was made
  uint64_t lastWriteTime = 0;  // its last-write time (FILETIME as 64 bits) then
};

// Undo keeps at most this many snapshots; pushing more drops the oldest.
inline constexpr size_t kMaxUndoSteps = 100;

struct PageModel {
  int fileCount = 0;  // F: pages of the opened file as the engine reported them
  // Size of every source in 1/96 inch, indexed by source.
  std::vector<float> sourceWidths;
  std::vector<float> sourceHeights;
  std::vector<BroughtInPage> broughtIn;  // only ever appended while a document is open
  std::vector<ImportedPdf> importedPdfs;

  PageOrder order;
  // Copies of the source sizes in `order` order; layout and the page panel
  // read these.
  std::vector<float> widths;
  std::vector<float> heights;
  std::vector<int> positionOf;  // per source: the position showing it, or -1
  // Set when the order differs from the file's own (n != F or some
  // order[p] != p). Recomputed only by ApplyOrder.
  bool orderChanged = false;
  std::deque<PageOrder> undoStack;  // newest last
  int selected = -1;                // selected position, -1 for none

  int PageCount() const { return static_cast<int>(order.size()); }
  // Sources that have both a width and a height.
  int SourceCount() const;
};

// Whether every entry is a source index of the model and none repeats.
bool IsValidOrder(const PageModel& model, const PageOrder& order);

// Installs an order: per-position sizes, order-changed flag and position map
// are rebuilt from it, then the order-applied handler (if any) runs. An order
// that is not valid (see IsValidOrder) is refused and changes nothing.
bool ApplyOrder(PageModel& model, PageOrder order);

// After every installed order the view must drop its text selection and
// mouse-hover state and, with an open search, search the new order again.
// That belongs to the view, which registers here; ApplyOrder calls the
// handler after the model is consistent. None is registered by default.
using OrderAppliedHandler = void (*)(PageModel& model);
void SetOrderAppliedHandler(OrderAppliedHandler handler);

// Appends a copy of the current order to the undo stack, dropping the oldest
// snapshot when more than kMaxUndoSteps would be kept.
void PushUndoStep(PageModel& model);
// Takes the newest snapshot off the stack; false when the stack is empty.
bool PopUndoStep(PageModel& model, PageOrder& snapshot);

// Adds a source for a page brought in from importedPdfs[pdf]; returns its
// source index. The order is not changed.
int AddBroughtInPage(PageModel& model, int pdf, int page, float width, float height);

// The page the commands act on: the selected position when it lies in
// 0..n-1; otherwise the page at the view's reading line, clamped to 0..n-1.
// -1 with no document loaded or no pages.
int SelectedPageForCommands(const PageModel& model, bool loaded, int readingLinePage);

// Empties everything, as after closing a document. Deleting the temporary
// copies named in importedPdfs is the caller's job and must come first.
void ResetPageModel(PageModel& model);
