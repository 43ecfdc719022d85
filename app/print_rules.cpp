#include "app/print_rules.h"

#include <algorithm>
#include <cmath>

std::vector<int> BuildPrintList(PrintChoice choice, int pageCount, int current,
                                const std::vector<PrintRange>& ranges) {
  std::vector<int> list;
  switch (choice) {
    case PrintChoice::CurrentPage:
      if (current >= 0 && current < pageCount) list.push_back(current);
      break;
    case PrintChoice::PageRanges:
      for (const PrintRange& range : ranges) {
        int from = std::max(std::min(range.from, range.to), 1);
        int to = std::min(std::max(range.from, range.to), pageCount);
        for (int page = from; page <= to; ++page) list.push_back(page - 1);
      }
      break;
    case PrintChoice::AllPages:
      for (int p = 0; p < pageCount; ++p) list.push_back(p);
      break;
  }
  return list;
}

int PrintQualityDpi(int quality) {
  switch (quality) {
    case 0:
      return 150;
    case 2:
      return 600;
    default:
      return 300;
  }
}

PrintPagePlan PlanPrintPage(float pageWidth, float pageHeight, int viewRotation, const PrinterArea& printer,
                            const PrintOptions& options) {
  PrintPagePlan plan;
  const double dx = printer.dpiX < 1 ? 300.0 : printer.dpiX;
  const double dy = printer.dpiY < 1 ? 300.0 : printer.dpiY;
  int r = ((viewRotation % 4) + 4) % 4;
  double w = pageWidth / 96.0;
  double h = pageHeight / 96.0;
  if (r & 1) std::swap(w, h);
  const double areaWidth = printer.width / dx;
  const double areaHeight = printer.height / dy;

  if (options.autoRotate && std::fabs(w - h) > 0.01 && (w > h) != (areaWidth > areaHeight)) {
    r = (r + 1) % 4;
    std::swap(w, h);
  }

  const double s = std::min(areaWidth / w, areaHeight / h);
  double printedWidth = w * s;
  double printedHeight = h * s;
  if (options.scale == 1 && s >= 1.0) {
    printedWidth = w;
    printedHeight = h;
  }
  const int targetWidth = int(printedWidth * dx);
  const int targetHeight = int(printedHeight * dy);

  const double f = std::min(PrintQualityDpi(options.quality) / std::max(dx, dy), 1.0);
  const int pictureWidth = std::max(1, int(std::max(targetWidth, 1) * f));
  const int pictureHeight = std::max(1, int(std::max(targetHeight, 1) * f));

  plan.rotation = r;
  plan.width = std::max(targetWidth, 1);
  plan.height = std::max(targetHeight, 1);
  plan.left = (printer.width - plan.width) / 2;
  plan.top = (printer.height - plan.height) / 2;
  plan.renderWidth = (r & 1) ? pictureHeight : pictureWidth;
  plan.renderHeight = (r & 1) ? pictureWidth : pictureHeight;
  return plan;
}
