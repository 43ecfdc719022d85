// The program's commands: identifiers, names, enabled and light rules and
// shortcuts, all read from the one table in ui/commands.def. Command
// identifiers are numbers from 40001 (menu, ribbon and accelerator
// commands); Settings-tab controls and update-bar buttons take 41001 on.
// Platform-neutral.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "base/key_codes.h"

enum Command : unsigned short {
#define FV_COMMAND(name, id, ...) name = id,
#define FV_BUTTON(...)
#include "ui/commands.def"
#undef FV_COMMAND
#undef FV_BUTTON
};

// When a command can run (busy flags aside).
enum class CommandRule : uint8_t {
  Always,
  Loaded,        // a document is open
  OrderChanged,  // ... and its page order has unsaved changes
  CanUndo,       // ... and there is a step to undo
  PageAbove,     // ... and the reference page is not the first
  PageBelow,     // ... and the reference page is not the last
  SeveralPages,  // ... and more than one page is shown
};

// When a command's button is drawn lit.
enum class CommandLight : uint8_t { None, PanelShown, FindOpen, FitWidth, FitPage, ActualSize };

// Shortcut modifiers, with the values of the accelerator flags FSHIFT,
// FCONTROL and FALT.
inline constexpr uint8_t kModShift = 0x04;
inline constexpr uint8_t kModCtrl = 0x08;
inline constexpr uint8_t kModAlt = 0x10;

struct Shortcut {
  uint8_t modifiers = 0;  // kMod... bits
  uint16_t key = 0;       // a character or a kKey... code (base/key_codes.h); 0: none
};
inline constexpr size_t kMaxShortcuts = 3;

struct CommandInfo {
  Command id;
  const wchar_t* name;
  CommandRule enabled;
  CommandLight lit;
  Shortcut shortcuts[kMaxShortcuts];
};

// Every command, in the table's order.
std::span<const CommandInfo> CommandTable();
// The command with this identifier, or nullptr.
const CommandInfo* FindCommand(unsigned short id);

// The ribbon groups that buttons belong to (their tabs, names and widths
// are in app/ribbon_table.cpp).
enum RibbonGroupId : int {
  kGroupFile,
  kGroupPages,
  kGroupZoom,
  kGroupRotate,
  kGroupShow,
  kGroupSelectedPage,
  kGroupSaveChanges,
  kGroupOpening,
  kGroupView,
  kGroupPrinting,
  kGroupUpdates,
  kGroupSend,
  kGroupSendWith,
  kGroupMore,
  kGroupHelp,
  kRibbonGroupCount
};
