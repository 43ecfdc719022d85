// The ribbon's table, state word, enabled and lit rules, layout and the
// icon shrinking, without any window.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "app/icon_scale.h"
#include "app/ribbon_rules.h"
#include "app/ribbon_table.h"
#include "ui/commands.h"

namespace {

// The commands that work without a document.
const std::set<unsigned short> kAlwaysEnabled = {
    CMD_OPEN,          CMD_SEND,          CMD_SEND_EMAIL,    CMD_SEND_MESSENGER, CMD_SEND_WHATSAPP,
    CMD_SEND_TEXT,     CMD_COPY_LINK,     CMD_HOW_TO_USE,    CMD_CHECK_UPDATES,  CMD_DOWNLOAD_PAGE,
    CMD_RELEASE_NOTES, CMD_ABOUT,         CMD_SEND_TEAMS,    CMD_EMAIL_SERVER,   CMD_TOGGLE_PANEL,
    CMD_DIAGNOSTIC_REPORT, CMD_SECOND_PDF, CMD_USER_GUIDE,
    CMD_CHECK_NOW,     CMD_SET_DEFAULT_APP, CMD_UPDATE_NOW,  CMD_WHATS_NEW,      CMD_LATER};

std::vector<const RibbonButton*> AllButtons() {
  std::vector<const RibbonButton*> all;
  for (const RibbonTab& tab : RibbonTabs())
    for (const RibbonGroup& group : tab.groups)
      for (const RibbonButton& button : group.buttons) all.push_back(&button);
  return all;
}

int CountOf(std::wstring_view text, std::wstring_view piece) {
  int n = 0;
  for (size_t at = text.find(piece); at != std::wstring_view::npos; at = text.find(piece, at + piece.size())) ++n;
  return n;
}

TEST(RibbonTable, HasFiveTabsWithinTheLayoutLimits) {
  std::span<const RibbonTab> tabs = RibbonTabs();
  ASSERT_EQ(tabs.size(), size_t(kRibbonTabCount));
  const wchar_t* names[] = {L"Home", L"Organize", L"Settings", L"Share", L"Help"};
  const size_t buttons[] = {17, 10, 0, 9, 7};
  for (size_t i = 0; i < tabs.size(); ++i) {
    EXPECT_STREQ(tabs[i].name, names[i]);
    EXPECT_LE(tabs[i].groups.size(), size_t(kRibbonMaxGroups));
    size_t n = 0;
    for (const RibbonGroup& g : tabs[i].groups) n += g.buttons.size();
    EXPECT_EQ(n, buttons[i]) << "tab " << i;
    EXPECT_LE(n, size_t(kRibbonMaxButtons));
  }
  // The Settings tab: four fixed-width groups without buttons.
  const RibbonTab& settings = tabs[kRibbonSettingsTab];
  ASSERT_EQ(settings.groups.size(), 4u);
  const int widths[] = {262, 192, 244, 214};
  for (size_t g = 0; g < 4; ++g) {
    EXPECT_EQ(settings.groups[g].fixedWidth, widths[g]);
    EXPECT_TRUE(settings.groups[g].buttons.empty());
  }
}

TEST(RibbonTable, ButtonsAreWellFormed) {
  std::set<int> iconsUsed;
  for (const RibbonButton* b : AllButtons()) {
    SCOPED_TRACE(b->command);
    EXPECT_NE(FindCommand(b->command), nullptr) << "a button sends a command of the table";
    EXPECT_GE(b->icon, 0);
    EXPECT_LT(b->icon, kRibbonIconCount);
    iconsUsed.insert(b->icon);
    EXPECT_LE(CountOf(b->label, L"\n"), 1) << "a label has one or two lines";
    ASSERT_NE(b->tooltip, nullptr);
    std::wstring_view tip = b->tooltip;
    EXPECT_FALSE(tip.empty());
    // Paragraphs are separated by exactly one empty line.
    EXPECT_EQ(CountOf(tip, L"\n\n\n"), 0);
    EXPECT_NE(tip.back(), L'\n');
  }
  // Only one strip position is spare.
  EXPECT_EQ(iconsUsed.size(), size_t(kRibbonIconCount - 1));
  EXPECT_FALSE(iconsUsed.count(21));
}

// ---- State word and rules ----

RibbonFacts Doc(int positions, int current, int selected = -1) {
  RibbonFacts f;
  f.loaded = true;
  f.positions = positions;
  f.currentPosition = current;
  f.selectedPosition = selected;
  return f;
}

TEST(RibbonState, WordCarriesEveryFact) {
  EXPECT_EQ(RibbonStateWord(RibbonFacts{}, false, false), uint32_t(kStateZoom100))
      << "no document: only the 100% bit of the default zoom";
  RibbonFacts f = Doc(5, 2);
  f.zoomMode = 2;
  f.zoomPercent = 100.4;
  f.orderChanged = true;
  f.undoSteps = 3;
  f.panelShown = true;
  f.findOpen = true;
  uint32_t w = RibbonStateWord(f, true, true);
  EXPECT_EQ(w, kStateLoaded | kStatePrinting | (2u << 2) | kStateZoom100 | kStateOrderChanged | kStatePanelShown |
                   kStateCanUndo | kStateRefAboveFirst | kStateRefBeforeLast | kStateSaving | kStateFindOpen);
  f.zoomPercent = 100.6;
  EXPECT_FALSE(RibbonStateWord(f, false, false) & kStateZoom100);
}

TEST(RibbonState, ReferencePositionPrefersAValidSelection) {
  EXPECT_EQ(RibbonReferencePosition(Doc(5, 2, 4)), 4);
  EXPECT_EQ(RibbonReferencePosition(Doc(5, 2, 5)), 2) << "selection past the end is not valid";
  EXPECT_EQ(RibbonReferencePosition(Doc(5, 2, -1)), 2);
  // Selected last page: it can go up but not down.
  uint32_t w = RibbonStateWord(Doc(5, 0, 4), false, false);
  EXPECT_TRUE(w & kStateRefAboveFirst);
  EXPECT_FALSE(w & kStateRefBeforeLast);
}

TEST(RibbonRules, WithNoDocumentExactlyTheAlwaysSetIsEnabled) {
  uint32_t w = RibbonStateWord(RibbonFacts{}, false, false);
  for (const CommandInfo& c : CommandTable())
    EXPECT_EQ(RibbonCommandEnabled(c.id, w, 0), kAlwaysEnabled.count(c.id) == 1) << c.id;
  // Show in Folder sits among the Share buttons but needs a document.
  EXPECT_FALSE(RibbonCommandEnabled(CMD_SHOW_IN_FOLDER, w, 0));
}

TEST(RibbonRules, OrganizeCommandsFollowTheReferencePosition) {
  auto enabled = [](const RibbonFacts& f, unsigned short c) {
    return RibbonCommandEnabled(c, RibbonStateWord(f, false, false), f.positions);
  };
  RibbonFacts first = Doc(3, 0), middle = Doc(3, 1), last = Doc(3, 2), single = Doc(1, 0);
  for (unsigned short up : {CMD_MOVE_UP, CMD_MOVE_TO_START}) {
    EXPECT_FALSE(enabled(first, up));
    EXPECT_TRUE(enabled(middle, up));
    EXPECT_TRUE(enabled(last, up));
    EXPECT_FALSE(enabled(single, up));
  }
  for (unsigned short down : {CMD_MOVE_DOWN, CMD_MOVE_TO_END}) {
    EXPECT_TRUE(enabled(first, down));
    EXPECT_TRUE(enabled(middle, down));
    EXPECT_FALSE(enabled(last, down));
    EXPECT_FALSE(enabled(single, down));
  }
  EXPECT_TRUE(enabled(Doc(2, 0), CMD_DELETE_PAGE));
  EXPECT_FALSE(enabled(single, CMD_DELETE_PAGE)) << "the last page can't be deleted";
  EXPECT_FALSE(enabled(middle, CMD_SAVE)) << "nothing to save";
  EXPECT_FALSE(enabled(middle, CMD_UNDO)) << "nothing to undo";
  RibbonFacts changed = middle;
  changed.orderChanged = true;
  changed.undoSteps = 1;
  EXPECT_TRUE(enabled(changed, CMD_SAVE));
  EXPECT_TRUE(enabled(changed, CMD_UNDO));
  EXPECT_TRUE(enabled(middle, CMD_PRINT)) << "document commands";
  EXPECT_TRUE(enabled(middle, CMD_SHOW_IN_FOLDER));
}

TEST(RibbonRules, ModesLightTheirButtons) {
  RibbonFacts f = Doc(3, 0);
  auto lit = [&](unsigned short c) { return RibbonCommandHighlighted(c, RibbonStateWord(f, false, false)); };
  f.zoomMode = 0;
  EXPECT_TRUE(lit(CMD_FIT_WIDTH));
  EXPECT_FALSE(lit(CMD_FIT_PAGE));
  EXPECT_FALSE(lit(CMD_ACTUAL_SIZE)) << "fit width at 100% is not actual size";
  f.zoomMode = 1;
  EXPECT_TRUE(lit(CMD_FIT_PAGE));
  f.zoomMode = 2;
  f.zoomPercent = 99.6;
  EXPECT_TRUE(lit(CMD_ACTUAL_SIZE));
  f.zoomPercent = 125;
  EXPECT_FALSE(lit(CMD_ACTUAL_SIZE));
  EXPECT_FALSE(lit(CMD_TOGGLE_PANEL));
  f.panelShown = true;
  f.findOpen = true;
  EXPECT_TRUE(lit(CMD_TOGGLE_PANEL));
  EXPECT_TRUE(lit(CMD_FIND));
  // Without a document no zoom mode is lit, but the panel still is.
  RibbonFacts none;
  none.panelShown = true;
  uint32_t w = RibbonStateWord(none, false, false);
  EXPECT_FALSE(RibbonCommandHighlighted(CMD_FIT_WIDTH, w));
  EXPECT_TRUE(RibbonCommandHighlighted(CMD_TOGGLE_PANEL, w));
}

TEST(RibbonRules, BusyDimsEverythingButKeepsThePanelLight) {
  RibbonFacts f = Doc(3, 1);
  f.panelShown = true;
  f.findOpen = true;
  for (bool printing : {true, false}) {
    uint32_t w = RibbonStateWord(f, printing, !printing);
    for (const CommandInfo& command : CommandTable()) {
      const unsigned short c = command.id;
      RibbonButtonLook look = RibbonLook(c, w, f.positions);
      EXPECT_FALSE(look.enabled) << c;
      EXPECT_EQ(look.highlighted, c == CMD_TOGGLE_PANEL) << c;
    }
  }
}

// ---- Layout ----

// A stand-in for the UI font: 7 px per character.
int SevenPerChar(std::wstring_view text) { return int(text.size()) * 7; }

TEST(RibbonLayout, GroupsAndButtonsFollowTheRules) {
  RibbonLayout l = LayOutRibbon(0, 1600, 96, SevenPerChar);
  ASSERT_EQ(l.groupCount, 4);
  ASSERT_EQ(l.buttonCount, 17);
  // File: Open (4 chars -> 52 minimum), Save, Print (5*7+16 = 51 -> 52), Close.
  EXPECT_EQ(l.groups[0].left, 6);
  EXPECT_EQ(l.buttons[0].left, 10);
  EXPECT_EQ(l.buttons[0].Width(), 52);
  EXPECT_EQ(l.buttons[0].top, 34);
  EXPECT_EQ(l.buttons[0].bottom, 106);
  EXPECT_EQ(l.buttons[1].left, l.buttons[0].right + 2);
  EXPECT_EQ(l.groups[0].right, l.buttons[3].right + 2 + 2);
  EXPECT_EQ(l.groups[0].top, 30);
  EXPECT_EQ(l.groups[0].bottom, 128);
  // Pages: "Previous" is 8 chars: 56 + 16 = 72.
  EXPECT_EQ(l.buttons[5].Width(), 72);
  // Two-line labels are measured by their widest line: "Go to\nPage" -> 5 chars -> 52.
  EXPECT_EQ(l.buttons[8].Width(), 52);
  for (int g = 1; g < l.groupCount; ++g) EXPECT_EQ(l.groups[g].left, l.groups[g - 1].right + 1);
  for (int b = 1; b < l.buttonCount; ++b) EXPECT_GE(l.buttons[b].left, l.buttons[b - 1].right);
}

TEST(RibbonLayout, AWideGroupNameCentresItsButtons) {
  // A font in which the group name "Show" is wider than its two buttons.
  auto wideNames = [](std::wstring_view text) { return text == L"Show" ? 400 : int(text.size()) * 7; };
  RibbonLayout l = LayOutRibbon(1, 2000, 96, wideNames);
  // Show's two buttons ("Page\nPanel", "Second\nPDF") take 52 + 2 + 58 = 112 from x0 + 4.
  int natural = (10 + 52 + 2 + 58) + 2 - 6 + 2;
  ASSERT_EQ(l.groups[0].Width(), 420);
  int shift = (420 - natural) / 2;
  EXPECT_EQ(l.buttons[0].left, 10 + shift);
  EXPECT_EQ(l.buttons[1].left, 10 + 52 + 2 + shift);
  EXPECT_EQ(l.groups[1].left, 6 + 420 + 1);
}

TEST(RibbonLayout, SettingsGroupsHaveFixedScaledWidths) {
  RibbonLayout l = LayOutRibbon(kRibbonSettingsTab, 1200, 144, SevenPerChar);
  ASSERT_EQ(l.groupCount, 4);
  EXPECT_EQ(l.buttonCount, 0);
  EXPECT_EQ(l.groups[0].left, 9);
  EXPECT_EQ(l.groups[0].Width(), 393);  // 262 at 150%
  EXPECT_EQ(l.groups[1].Width(), 288);
  EXPECT_EQ(l.groups[1].left, l.groups[0].right + 2);  // 1 px scaled is 2 at 150%
  EXPECT_EQ(l.groups[0].top, 45);
  EXPECT_EQ(l.groups[0].bottom, 192);
  EXPECT_EQ(RibbonHeightAt(96), 129);
  EXPECT_EQ(RibbonHeightAt(144), 45 + 147 + 2);
}

TEST(RibbonLayout, HitTests) {
  RibbonLayout l = LayOutRibbon(0, 1600, 96, SevenPerChar);
  EXPECT_EQ(RibbonTabAt(l, l.tabs[3].left, 10), 3);
  EXPECT_EQ(RibbonTabAt(l, l.tabs[3].right, 10), -1) << "the gap between tabs";
  EXPECT_EQ(RibbonTabAt(l, 5, 10), -1);
  EXPECT_EQ(RibbonButtonAt(l, l.buttons[6].left + 3, 50), 6);
  EXPECT_EQ(RibbonButtonAt(l, l.buttons[6].left + 3, 110), -1) << "below the buttons: the group name";
  EXPECT_EQ(RibbonButtonAt(l, l.buttons[0].right, 50), -1) << "the gap between buttons";
}

TEST(RibbonLayout, WheelStopsAtTheEnds) {
  EXPECT_EQ(RibbonTabAfterWheel(0, 120), 0);
  EXPECT_EQ(RibbonTabAfterWheel(0, -120), 1);
  EXPECT_EQ(RibbonTabAfterWheel(3, 120), 2);
  EXPECT_EQ(RibbonTabAfterWheel(4, -240), 4);
  EXPECT_EQ(RibbonTabAfterWheel(2, 0), 2);
}

// ---- Shrinking the icon strip ----

std::vector<uint8_t> Solid(int w, int h, uint8_t b, uint8_t g, uint8_t r, uint8_t a) {
  std::vector<uint8_t> p(size_t(w) * h * 4);
  for (size_t i = 0; i < p.size(); i += 4) {
    p[i] = b;
    p[i + 1] = g;
    p[i + 2] = r;
    p[i + 3] = a;
  }
  return p;
}

TEST(IconShrink, AveragesTheCoveredArea) {
  // 2 x 2 -> 1 x 1: the mean of four pixels.
  const uint8_t four[] = {0, 0, 0, 0, 100, 100, 100, 100, 200, 200, 200, 200, 40, 40, 40, 40};
  std::vector<uint8_t> one = ShrinkByArea(four, sizeof four, 2, 2, 1, 1);
  ASSERT_EQ(one.size(), 4u);
  EXPECT_EQ(one[0], 85);
  EXPECT_EQ(one[3], 85);
  // 3 x 1 -> 2 x 1: the middle pixel is shared half and half.
  const uint8_t three[] = {30, 0, 0, 0, 90, 0, 0, 0, 150, 0, 0, 0};
  std::vector<uint8_t> two = ShrinkByArea(three, sizeof three, 3, 1, 2, 1);
  ASSERT_EQ(two.size(), 8u);
  EXPECT_EQ(two[0], 50);   // (30 + 45) / 1.5
  EXPECT_EQ(two[4], 130);  // (45 + 150) / 1.5
}

TEST(IconShrink, KeepsIconsOfAStripApart) {
  // Two 64 x 64 icons, red and blue, shrunk to 22 px: no pixel of one icon
  // takes colour from the other, and premultiplied colour never exceeds alpha.
  std::vector<uint8_t> strip(128 * 64 * 4);
  for (int y = 0; y < 64; ++y)
    for (int x = 0; x < 128; ++x) {
      uint8_t* p = &strip[(size_t(y) * 128 + x) * 4];
      if (x < 64) p[2] = p[3] = 200;
      else p[0] = p[3] = 120;
    }
  std::vector<uint8_t> small = ShrinkByArea(strip.data(), strip.size(), 128, 64, 44, 22);
  ASSERT_EQ(small.size(), size_t(44 * 22 * 4));
  for (int y = 0; y < 22; ++y)
    for (int x = 0; x < 44; ++x) {
      const uint8_t* p = &small[(size_t(y) * 44 + x) * 4];
      if (x < 22) {
        EXPECT_EQ(p[0], 0);
        EXPECT_EQ(p[2], 200);
      } else {
        EXPECT_EQ(p[2], 0);
        EXPECT_EQ(p[0], 120);
      }
      EXPECT_LE(std::max({p[0], p[1], p[2]}), p[3]);
    }
}

TEST(IconShrink, RefusesBadSizes) {
  std::vector<uint8_t> p = Solid(4, 4, 1, 2, 3, 4);
  EXPECT_TRUE(ShrinkByArea(p.data(), p.size(), 4, 4, 0, 2).empty());
  EXPECT_TRUE(ShrinkByArea(p.data(), p.size(), 4, 5, 2, 2).empty()) << "source shorter than its size";
  EXPECT_TRUE(ShrinkByArea(nullptr, 0, 4, 4, 2, 2).empty());
  std::vector<uint8_t> same = ShrinkByArea(p.data(), p.size(), 4, 4, 2, 2);
  EXPECT_EQ(same, Solid(2, 2, 1, 2, 3, 4));
}

}  // namespace
