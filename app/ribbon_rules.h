// What the ribbon shows, as pure functions: the state word built from the
// program's state, which buttons are enabled and which are lit, and where
// tabs, groups and buttons go. Platform-neutral.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>

#include "app/ribbon_table.h"

// The facts about the open document that the ribbon reflects. The main
// window fills them; with no document everything is "no".
struct RibbonFacts {
  bool loaded = false;
  int positions = 0;          // pages in the order shown
  int currentPosition = -1;   // the page being read
  int selectedPosition = -1;  // the page panel's selection, -1 for none
  int zoomMode = 0;           // 0 fit width, 1 fit page, 2 custom
  double zoomPercent = 100.0;
  bool orderChanged = false;
  int undoSteps = 0;
  bool panelShown = false;
  bool findOpen = false;
};

// Bits of the state word.
enum RibbonStateBit : uint32_t {
  kStateLoaded = 1u << 0,
  kStatePrinting = 1u << 1,
  kStateZoomModeShift = 2,  // bits 2-3: the zoom mode
  kStateZoomModeMask = 3u << 2,
  kStateZoom100 = 1u << 4,
  kStateOrderChanged = 1u << 5,
  kStatePanelShown = 1u << 6,
  kStateCanUndo = 1u << 7,
  kStateRefAboveFirst = 1u << 8,
  kStateRefBeforeLast = 1u << 9,
  kStateSaving = 1u << 10,
  kStateFindOpen = 1u << 11,
};

// The reference position of the Organize commands: the page panel's
// selection when it is a valid position, otherwise the current page.
int RibbonReferencePosition(const RibbonFacts& facts);

uint32_t RibbonStateWord(const RibbonFacts& facts, bool printing, bool saving);

// Whether the command can run now (busy flags aside). `positions` is the
// number of pages in the order shown.
bool RibbonCommandEnabled(unsigned short command, uint32_t state, int positions);
// Whether the command's mode is on (the button is drawn lit).
bool RibbonCommandHighlighted(unsigned short command, uint32_t state);

// How a button is drawn: while printing or saving everything is dimmed and
// only the page panel button keeps its light.
struct RibbonButtonLook {
  bool enabled;
  bool highlighted;
};
RibbonButtonLook RibbonLook(unsigned short command, uint32_t state, int positions);

// ---- Layout ----

struct RibbonRect {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool Contains(int x, int y) const { return x >= left && x < right && y >= top && y < bottom; }
  int Width() const { return right - left; }
};

inline constexpr int kRibbonMaxGroups = 8;
inline constexpr int kRibbonMaxButtons = 24;

struct RibbonLayout {
  RibbonRect tabs[kRibbonTabCount];
  RibbonRect versionLink;
  int groupCount = 0;
  RibbonRect groups[kRibbonMaxGroups];
  const RibbonGroup* groupEntries[kRibbonMaxGroups] = {};
  int buttonCount = 0;
  RibbonRect buttons[kRibbonMaxButtons];
  const RibbonButton* buttonEntries[kRibbonMaxButtons] = {};
};

// Measures a text in the normal UI font, in device pixels.
using RibbonTextWidth = std::function<int(std::wstring_view)>;

// Heights at 96 DPI: the tab strip and the panel under it, plus the bottom line.
inline constexpr int kRibbonStripHeight = 30;
inline constexpr int kRibbonPanelHeight = 98;
// The ribbon's height at this DPI, each term scaled on its own.
int RibbonHeightAt(int dpi);

// Lays out the tabs, the version link and the current tab's groups and
// buttons for a ribbon `width` device pixels wide.
RibbonLayout LayOutRibbon(int currentTab, int width, int dpi, const RibbonTextWidth& textWidth);

// Hit tests; -1 when nothing is there.
int RibbonTabAt(const RibbonLayout& layout, int x, int y);
int RibbonButtonAt(const RibbonLayout& layout, int x, int y);

// The tab a wheel turn selects: a forward turn (positive delta) goes to the
// previous tab, a backward turn to the next; the ends stay where they are.
int RibbonTabAfterWheel(int currentTab, int delta);
