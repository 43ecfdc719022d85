#include "doc/page_order.h"

#include <algorithm>

namespace {
OrderAppliedHandler g_orderAppliedHandler = nullptr;
}

int PageModel::SourceCount() const {
  return static_cast<int>(std::min(sourceWidths.size(), sourceHeights.size()));
}

bool IsValidOrder(const PageModel& model, const PageOrder& order) {
  const int sources = model.SourceCount();
  std::vector<bool> seen(static_cast<size_t>(sources), false);
  for (int source : order) {
    if (source < 0 || source >= sources || seen[static_cast<size_t>(source)]) return false;
    seen[static_cast<size_t>(source)] = true;
  }
  return true;
}

bool ApplyOrder(PageModel& model, PageOrder order) {
  if (!IsValidOrder(model, order)) return false;
  const size_t n = order.size();

  model.order = std::move(order);
  model.widths.resize(n);
  model.heights.resize(n);
  for (size_t p = 0; p < n; ++p) {
    model.widths[p] = model.sourceWidths[static_cast<size_t>(model.order[p])];
    model.heights[p] = model.sourceHeights[static_cast<size_t>(model.order[p])];
  }

  bool changed = static_cast<int>(n) != model.fileCount;
  for (size_t p = 0; p < n && !changed; ++p) changed = model.order[p] != static_cast<int>(p);
  model.orderChanged = changed;

  model.positionOf.assign(static_cast<size_t>(model.SourceCount()), -1);
  for (size_t p = 0; p < n; ++p) model.positionOf[static_cast<size_t>(model.order[p])] = static_cast<int>(p);

  if (g_orderAppliedHandler) g_orderAppliedHandler(model);
  return true;
}

void SetOrderAppliedHandler(OrderAppliedHandler handler) { g_orderAppliedHandler = handler; }

void PushUndoStep(PageModel& model) {
  model.undoStack.push_back(model.order);
  while (model.undoStack.size() > kMaxUndoSteps) model.undoStack.pop_front();
}

bool PopUndoStep(PageModel& model, PageOrder& snapshot) {
  if (model.undoStack.empty()) return false;
  snapshot = std::move(model.undoStack.back());
  model.undoStack.pop_back();
  return true;
}

int AddBroughtInPage(PageModel& model, int pdf, int page, float width, float height) {
  // Keep the two size arrays the same length so the new index is valid in both.
  const size_t index = static_cast<size_t>(model.SourceCount());
  model.sourceWidths.resize(index);
  model.sourceHeights.resize(index);
  model.sourceWidths.push_back(width);
  model.sourceHeights.push_back(height);
  model.broughtIn.push_back(BroughtInPage{pdf, page});
  return static_cast<int>(index);
}

int SelectedPageForCommands(const PageModel& model, bool loaded, int readingLinePage) {
  const int n = model.PageCount();
  if (!loaded || n == 0) return -1;
  if (model.selected >= 0 && model.selected < n) return model.selected;
  return std::clamp(readingLinePage, 0, n - 1);
}

void ResetPageModel(PageModel& model) { model = PageModel{}; }
