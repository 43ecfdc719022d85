#include "app/ribbon_rules.h"

#include <algorithm>
#include <cmath>

#include "app/window_geometry.h"
#include "ui/commands.h"

namespace {

bool Has(uint32_t state, uint32_t bit) { return (state & bit) != 0; }

int ZoomMode(uint32_t state) { return int((state & kStateZoomModeMask) >> kStateZoomModeShift); }

// Width of the widest line of a label ("\n" separates the lines).
int WidestLine(std::wstring_view label, const RibbonTextWidth& textWidth) {
  int widest = 0;
  while (true) {
    size_t br = label.find(L'\n');
    widest = std::max(widest, textWidth(label.substr(0, br)));
    if (br == std::wstring_view::npos) break;
    label.remove_prefix(br + 1);
  }
  return widest;
}

}  // namespace

int RibbonReferencePosition(const RibbonFacts& facts) {
  if (facts.selectedPosition >= 0 && facts.selectedPosition < facts.positions) return facts.selectedPosition;
  return facts.currentPosition;
}

uint32_t RibbonStateWord(const RibbonFacts& facts, bool printing, bool saving) {
  uint32_t state = 0;
  if (facts.loaded) state |= kStateLoaded;
  if (printing) state |= kStatePrinting;
  state |= (uint32_t(facts.zoomMode) & 3u) << kStateZoomModeShift;
  if (std::fabs(facts.zoomPercent - 100.0) <= 0.5) state |= kStateZoom100;
  if (facts.orderChanged) state |= kStateOrderChanged;
  if (facts.panelShown) state |= kStatePanelShown;
  if (facts.undoSteps > 0) state |= kStateCanUndo;
  int r = RibbonReferencePosition(facts);
  if (r > 0) state |= kStateRefAboveFirst;
  if (r >= 0 && r < facts.positions - 1) state |= kStateRefBeforeLast;
  if (saving) state |= kStateSaving;
  if (facts.findOpen) state |= kStateFindOpen;
  return state;
}

bool RibbonCommandEnabled(unsigned short command, uint32_t state, int positions) {
  const CommandInfo* info = FindCommand(command);
  const bool loaded = Has(state, kStateLoaded);
  switch (info ? info->enabled : CommandRule::Loaded) {
    case CommandRule::Always:
      return true;
    case CommandRule::Loaded:
      return loaded;
    case CommandRule::OrderChanged:
      return loaded && Has(state, kStateOrderChanged);
    case CommandRule::CanUndo:
      return loaded && Has(state, kStateCanUndo);
    case CommandRule::PageAbove:
      return loaded && positions >= 1 && Has(state, kStateRefAboveFirst);
    case CommandRule::PageBelow:
      return loaded && positions >= 1 && Has(state, kStateRefBeforeLast);
    case CommandRule::SeveralPages:
      return loaded && positions > 1;
  }
  return loaded;
}

bool RibbonCommandHighlighted(unsigned short command, uint32_t state) {
  const CommandInfo* info = FindCommand(command);
  const bool loaded = Has(state, kStateLoaded);
  switch (info ? info->lit : CommandLight::None) {
    case CommandLight::None:
      return false;
    case CommandLight::PanelShown:
      return Has(state, kStatePanelShown);
    case CommandLight::FindOpen:
      return Has(state, kStateFindOpen);
    case CommandLight::FitWidth:
      return loaded && ZoomMode(state) == 0;
    case CommandLight::FitPage:
      return loaded && ZoomMode(state) == 1;
    case CommandLight::ActualSize:
      return loaded && ZoomMode(state) == 2 && Has(state, kStateZoom100);
  }
  return false;
}

RibbonButtonLook RibbonLook(unsigned short command, uint32_t state, int positions) {
  if (Has(state, kStatePrinting) || Has(state, kStateSaving))
    return {false, command == CMD_TOGGLE_PANEL && Has(state, kStatePanelShown)};
  return {RibbonCommandEnabled(command, state, positions), RibbonCommandHighlighted(command, state)};
}

int RibbonHeightAt(int dpi) {
  return ScalePx(kRibbonStripHeight, dpi) + ScalePx(kRibbonPanelHeight, dpi) + ScalePx(1, dpi);
}

RibbonLayout LayOutRibbon(int currentTab, int width, int dpi, const RibbonTextWidth& textWidth) {
  auto s = [dpi](int v) { return ScalePx(v, dpi); };
  RibbonLayout out;
  std::span<const RibbonTab> tabs = RibbonTabs();

  int x = s(10);
  for (int i = 0; i < kRibbonTabCount; ++i) {
    int right = x + textWidth(tabs[size_t(i)].name) + s(28);
    out.tabs[i] = {x, s(2), right, s(30)};
    x = right + s(2);
  }

  int linkWidth = textWidth(kRibbonVersionText);
  out.versionLink = {width - linkWidth - s(16) - s(8), s(4), width - s(8), s(28)};

  if (currentTab < 0 || currentTab >= kRibbonTabCount) return out;
  int x0 = s(6);
  for (const RibbonGroup& group : tabs[size_t(currentTab)].groups) {
    if (out.groupCount == kRibbonMaxGroups) break;
    int firstButton = out.buttonCount;
    int groupWidth;
    if (group.fixedWidth > 0) {
      groupWidth = s(group.fixedWidth);
    } else {
      int bx = x0 + s(4);
      int lastRight = bx;
      for (const RibbonButton& button : group.buttons) {
        if (out.buttonCount == kRibbonMaxButtons) break;
        int w = std::max(WidestLine(button.label, textWidth) + s(16), s(52));
        out.buttons[out.buttonCount] = {bx, s(34), bx + w, s(106)};
        out.buttonEntries[out.buttonCount] = &button;
        ++out.buttonCount;
        lastRight = bx + w;
        bx = lastRight + s(2);
      }
      groupWidth = lastRight + s(2) - x0 + s(2);
    }
    int nameWidth = textWidth(group.name) + s(20);
    if (nameWidth > groupWidth) {
      int shift = (nameWidth - groupWidth) / 2;
      for (int b = firstButton; b < out.buttonCount; ++b) {
        out.buttons[b].left += shift;
        out.buttons[b].right += shift;
      }
      groupWidth = nameWidth;
    }
    out.groups[out.groupCount] = {x0, s(30), x0 + groupWidth, s(128)};
    out.groupEntries[out.groupCount] = &group;
    ++out.groupCount;
    x0 += groupWidth + s(1);
  }
  return out;
}

int RibbonTabAt(const RibbonLayout& layout, int x, int y) {
  for (int i = 0; i < kRibbonTabCount; ++i)
    if (layout.tabs[i].Contains(x, y)) return i;
  return -1;
}

int RibbonButtonAt(const RibbonLayout& layout, int x, int y) {
  for (int i = 0; i < layout.buttonCount; ++i)
    if (layout.buttons[i].Contains(x, y)) return i;
  return -1;
}

int RibbonTabAfterWheel(int currentTab, int delta) {
  if (delta > 0 && currentTab > 0) return currentTab - 1;
  if (delta < 0 && currentTab < kRibbonTabCount - 1) return currentTab + 1;
  return currentTab;
}
