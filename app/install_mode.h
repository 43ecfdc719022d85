// Where this copy of the program lives: portable, or installed by the
// installer for this person or for everyone, and whether the installer
// switched automatic updates off.
#pragma once

enum InstallMode : int { kPortable = 0, kInstalledForUser = 1, kInstalledForEveryone = 2 };

struct InstallFacts {
  int mode = kPortable;
  bool updatesOffByInstaller = false;
};

// Compares the installer's uninstall entries (machine first, then user)
// with the program's folder and logs the outcome. Reads only.
InstallFacts DetectInstallMode();
