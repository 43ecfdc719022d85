// Carrying out commands: the handlers of the command table
// (ui/commands.def) and the accelerator table made from its shortcuts.
#pragma once
#include <windows.h>

#include <vector>

// Carries out a command from the ribbon, a menu or an accelerator. Nothing
// runs while printing or saving.
void HandleCommand(HWND window, unsigned short id);

// The accelerator table: every shortcut of the command table.
std::vector<ACCEL> AcceleratorEntries();
