// The ribbon's static command table: five tabs, their groups and large
// buttons, with labels, icons and tooltips. Platform-neutral.
#pragma once

#include <span>

struct RibbonButton {
  unsigned short command;   // WM_COMMAND identifier sent to the main window
  int icon;                 // index into the icon sprite; negative: no icon
  const wchar_t* label;     // "\n" breaks it into two lines
  const wchar_t* tooltip;   // paragraphs separated by "\n\n"
};

struct RibbonGroup {
  const wchar_t* name;
  int fixedWidth;  // at 96 DPI; 0 when the width follows the buttons
  std::span<const RibbonButton> buttons;
};

struct RibbonTab {
  const wchar_t* name;
  const wchar_t* description;  // the tab's tooltip
  std::span<const RibbonGroup> groups;
};

inline constexpr int kRibbonTabCount = 5;
inline constexpr int kRibbonHomeTab = 0;
inline constexpr int kRibbonSettingsTab = 2;
// Icons in the sprite (resource 102): a strip of 64 x 64 squares.
inline constexpr int kRibbonIconCount = 41;
// Icon of the update bar (the small set) and of the Check for Updates button.
inline constexpr int kRibbonUpdateIcon = 23;

inline constexpr wchar_t kRibbonVersionText[] = L"Folivex v1.6.2";
inline constexpr wchar_t kRibbonVersionTip[] = L"The version of Folivex you're running. Click for About.";

// All five tabs in display order: Home, Organize, Settings, Share, Help.
std::span<const RibbonTab> RibbonTabs();

// The first button of the table with this command, or nullptr.
const RibbonButton* FindRibbonButton(unsigned short command);
