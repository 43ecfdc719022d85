#include "app/ribbon_table.h"

#include <vector>

#include "ui/commands.h"

namespace {

struct GroupDefinition {
  int tab;
  const wchar_t* name;
  int fixedWidth;  // at 96 DPI; 0 when the width follows the buttons
};

// The groups of every tab, in display order. The Settings tab shows
// ordinary controls (settings_tab.cpp) in four groups of fixed width.
const GroupDefinition kGroups[kRibbonGroupCount] = {
    {0, L"File", 0},     {0, L"Pages", 0},   {0, L"Zoom", 0},           {0, L"Rotate", 0},
    {1, L"Show", 0},     {1, L"The Selected Page", 0},                  {1, L"Save the Changes", 0},
    {2, L"Opening", 262}, {2, L"View", 192}, {2, L"Printing", 244},     {2, L"Updates", 214},
    {3, L"Send", 0},     {3, L"Send With", 0}, {3, L"More", 0},
    {4, L"Help", 0},
};

// The buttons, from the command table.
struct ButtonRow {
  int group;
  RibbonButton button;
};
const ButtonRow kButtonRows[] = {
#define FV_COMMAND(...)
#define FV_BUTTON(name, group, icon, label, tooltip) {group, {name, icon, label, tooltip}},
#include "ui/commands.def"
#undef FV_COMMAND
#undef FV_BUTTON
};

struct TabText {
  const wchar_t* name;
  const wchar_t* description;  // the tab's tooltip
};
const TabText kTabTexts[kRibbonTabCount] = {
    {L"Home", L"Open, save, print and close PDFs, move between pages, zoom and rotate."},
    {L"Organize", L"Change the pages: move them, delete them, bring pages in from a second PDF, undo, and save."},
    {L"Settings",
     L"How documents open, the background color, printing and automatic updates. Every change takes effect "
     L"immediately."},
    {L"Share",
     L"Send the PDF you're reading, or a note about Folivex, to someone by email, text, WhatsApp, Messenger or "
     L"Teams."},
    {L"Help", L"Instructions, updates, the download page, release notes and About."},
};

// The ribbon as the window reads it, put together once from the tables.
struct Ribbon {
  std::vector<RibbonButton> buttons[kRibbonGroupCount];
  std::vector<RibbonGroup> groups[kRibbonTabCount];
  RibbonTab tabs[kRibbonTabCount];
};

void Assemble(Ribbon& r) {
  for (const ButtonRow& row : kButtonRows) r.buttons[row.group].push_back(row.button);
  for (int g = 0; g < kRibbonGroupCount; ++g)
    r.groups[kGroups[g].tab].push_back({kGroups[g].name, kGroups[g].fixedWidth, r.buttons[g]});
  for (int t = 0; t < kRibbonTabCount; ++t) r.tabs[t] = {kTabTexts[t].name, kTabTexts[t].description, r.groups[t]};
}

const Ribbon& TheRibbon() {
  static Ribbon ribbon;
  static const bool assembled = (Assemble(ribbon), true);
  (void)assembled;
  return ribbon;
}

}  // namespace

std::span<const RibbonTab> RibbonTabs() { return TheRibbon().tabs; }

const RibbonButton* FindRibbonButton(unsigned short command) {
  for (const RibbonTab& tab : RibbonTabs())
    for (const RibbonGroup& group : tab.groups)
      for (const RibbonButton& button : group.buttons)
        if (button.command == command) return &button;
  return nullptr;
}
