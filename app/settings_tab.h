// The Settings tab of the ribbon: ordinary Windows controls that show and
// change the user's settings. Every change is stored at once and takes
// effect at once.
#pragma once
#include <windows.h>

// Control identifiers.
enum SettingsControlId : int {
  kIdDefaultZoom = 41001,
  kIdReopenLast = 41002,
  kIdBackground = 41003,
  kIdPageShadow = 41004,
  kIdPrintScale = 41005,
  kIdPrintQuality = 41006,
  kIdPrintAutoRotate = 41007,
  kIdAutoUpdate = 41008,
  kIdCheckNow = 41009,       // goes through the command handler like Check for Updates
  kIdSetDefaultApp = 41010,  // goes through the command handler
  kIdDefaultAppLabel = 41011,
};

// True for the controls whose changes HandleSettingsTabCommand handles.
inline bool IsSettingsTabControl(int id) { return id >= kIdDefaultZoom && id <= kIdAutoUpdate; }

// Set at start when the installer switched automatic updates off; the
// Check-for-updates box then can't be switched on.
extern bool g_updatesOffByInstaller;

// Creates the controls as hidden children of the ribbon, filled from the
// Settings, with their tooltips in `tooltip`.
void CreateSettingsTabControls(HWND ribbon, HWND tooltip);

// What the main window still has to do after a change.
enum class SettingsEffect {
  None,
  ZoomModeChanged,  // DefaultZoom changed: an open document takes the new zoom mode now
  ViewRepainted,    // Background or PageShadow changed (the page view was invalidated here)
  UpdateCheckSoon,  // AutoUpdate was switched on: the next check is due in 2 seconds
};

// Handles WM_COMMAND from controls 41001 to 41008: a drop-down list counts
// only on CBN_SELCHANGE with a valid selection, a check box only on
// BN_CLICKED. Writes the registry value and the in-memory setting.
SettingsEffect HandleSettingsTabCommand(HWND main, int id, int code, HWND control);

// The label that says "Default: yes" or "Default: no" (filled by the
// default-app check).
HWND SettingsDefaultAppLabel();
