// Keeping the program up to date, on the user-interface thread: when checks
// run (at start and every 6 hours, or when asked), what the update bar
// shows, and putting a verified download in place: a portable copy replaces
// its own program file, an installed copy runs the new installer silently;
// then the new copy starts on the same page.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "update/download.h"

// What the updater needs from the windows above it.
struct UpdaterHooks {
  // The update bar was shown or hidden: lay the main window out again and
  // redraw it with its children.
  void (*layOut)() = nullptr;
  // Opens the notes window with a title, a header and a body.
  void (*showNotes)(const std::wstring& title, const std::wstring& header, const std::wstring& body) = nullptr;
};

struct UpdaterSetup {
  HWND main = nullptr;
  int installMode = 0;  // 0 portable, 1 installed for this person, 2 for everyone
  bool updatesOffByInstaller = false;
  bool autoUpdate = true;
  UpdaterHooks hooks;
};

// At the main window's creation: the first automatic check is due in 8 s.
void StartUpdater(const UpdaterSetup& setup);

// The main window's 5-second timer: starts the automatic check when due,
// and installs a download that waited for a print or a save to end.
void UpdaterTick();
// "Check for updates automatically" was switched: on makes the next check
// due in 2 seconds.
void SetAutomaticChecks(bool on);

// Manual checks (Help tab, Settings tab) and automatic ones.
void StartUpdateCheck(bool manual);
// WM_APP+11, +12 and +13; true when the message was one of them.
bool HandleUpdaterMessage(UINT message, WPARAM wParam, LPARAM lParam);

// The bar's commands.
void UpdateNow();
void ShowNewVersionNotes();
void UpdateLater();

bool UpdateBarShown();

// The program is ending: a running download is cancelled and given a moment
// to delete its partial file.
void StopUpdater();
