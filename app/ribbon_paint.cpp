// Drawing the ribbon into its back buffer.
#include "app/app_state.h"
#include "base/handles.h"
#include "ui/paint.h"
#include "app/ribbon_icons.h"
#include "app/ribbon_internal.h"

namespace {

constexpr COLORREF kStrip = RGB(243, 243, 243);
constexpr COLORREF kPanel = RGB(255, 255, 255);
constexpr COLORREF kLine = RGB(218, 218, 218);
constexpr COLORREF kAccent = RGB(0, 103, 192);
constexpr COLORREF kTabHover = RGB(232, 232, 232);
constexpr COLORREF kTabText = RGB(40, 40, 40);
constexpr COLORREF kHoverFill = RGB(229, 241, 251);
constexpr COLORREF kHoverBorder = RGB(204, 228, 247);
constexpr COLORREF kLitFill = RGB(204, 228, 247);
constexpr COLORREF kLinkText = RGB(90, 90, 90);
constexpr COLORREF kGroupText = RGB(110, 110, 110);
constexpr COLORREF kLabel = RGB(30, 30, 30);
constexpr COLORREF kLabelDimmed = RGB(160, 160, 160);

RECT Win(const RibbonRect& r) { return {r.left, r.top, r.right, r.bottom}; }

void HLine(HDC dc, int x0, int x1, int y, COLORREF colour) { FillColour(dc, {x0, y, x1, y + 1}, colour); }
void VLine(HDC dc, int x, int y0, int y1, COLORREF colour) { FillColour(dc, {x, y0, x + 1, y1}, colour); }

void Rounded(HDC dc, const RECT& r, COLORREF fill, COLORREF border) { RoundedBox(dc, r, fill, border, Scaled(6)); }

void PaintTabs(HDC dc) {
  const RibbonLayout& layout = g_ribbon.layout;
  std::span<const RibbonTab> tabs = RibbonTabs();
  for (int i = 0; i < kRibbonTabCount; ++i) {
    RECT r = Win(layout.tabs[i]);
    bool current = i == g_ribbon.currentTab;
    if (current) {
      FillColour(dc, r, kPanel);
      VLine(dc, r.left, r.top, r.bottom, kLine);
      VLine(dc, r.right - 1, r.top, r.bottom, kLine);
      HLine(dc, r.left, r.right, r.top, kLine);
      FillColour(dc, {r.left + Scaled(10), r.bottom - Scaled(3), r.right - Scaled(10), r.bottom - Scaled(1)}, kAccent);
      DrawLabel(dc, tabs[size_t(i)].name, r, kAccent, g_ui.fontBold, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    } else {
      if (i == g_ribbon.hoveredTab) FillColour(dc, r, kTabHover);
      DrawLabel(dc, tabs[size_t(i)].name, r, kTabText, g_ui.fontNormal, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    }
  }
}

void PaintVersionLink(HDC dc) {
  RECT r = Win(g_ribbon.layout.versionLink);
  if (g_ribbon.linkHovered) Rounded(dc, r, kHoverFill, kHoverBorder);
  DrawLabel(dc, kRibbonVersionText, r, kLinkText, g_ui.fontNormal, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

void PaintGroups(HDC dc) {
  const RibbonLayout& layout = g_ribbon.layout;
  for (int i = 0; i < layout.groupCount; ++i) {
    RECT g = Win(layout.groups[i]);
    RECT name = {g.left, g.bottom - Scaled(20), g.right, g.bottom - Scaled(3)};
    DrawLabel(dc, layout.groupEntries[i]->name, name, kGroupText, g_ui.fontNormal,
         DT_CENTER | DT_VCENTER | DT_SINGLELINE);
    VLine(dc, g.right, g.top + Scaled(8), g.bottom - Scaled(6), kLine);
  }
}

void PaintButtons(HDC dc) {
  const RibbonLayout& layout = g_ribbon.layout;
  const RibbonIconSet& icons = RibbonIcons();
  for (int i = 0; i < layout.buttonCount; ++i) {
    const RibbonButton& button = *layout.buttonEntries[i];
    RECT r = Win(layout.buttons[i]);
    RibbonButtonLook look = RibbonLook(button.command, g_ribbon.state, g_ribbon.positions);
    bool hovered = i == g_ribbon.hoveredButton;
    if (hovered && look.enabled) {
      if (i == g_ribbon.pressedButton || look.highlighted)
        Rounded(dc, r, kLitFill, kAccent);
      else
        Rounded(dc, r, kHoverFill, kHoverBorder);
    } else if (look.highlighted) {
      Rounded(dc, r, kLitFill, kLitFill);
    }
    if (!icons.Empty()) {
      int x = r.left + (r.right - r.left - icons.size) / 2;
      DrawRibbonIcon(dc, icons, button.icon, x, r.top + Scaled(5), look.enabled ? 255 : 80);
    }
    RECT label = {r.left + Scaled(2), r.top + Scaled(40), r.right - Scaled(2), r.bottom};
    DrawLabel(dc, button.label, label, look.enabled ? kLabel : kLabelDimmed, g_ui.fontNormal,
         DT_CENTER | DT_WORDBREAK);
  }
}

}  // namespace

void PaintRibbon(HDC dc, const RECT& client) {
  int w = client.right, h = client.bottom;
  int strip = Scaled(kRibbonStripHeight);
  FillColour(dc, {0, 0, w, strip}, kStrip);
  FillColour(dc, {0, strip, w, h}, kPanel);
  HLine(dc, 0, w, strip - 1, kLine);
  HLine(dc, 0, w, h - 1, kLine);
  SetBkMode(dc, TRANSPARENT);
  PaintTabs(dc);
  PaintVersionLink(dc);
  PaintGroups(dc);
  PaintButtons(dc);
}
