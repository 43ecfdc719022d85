// Command-line rules of the program entry. Platform-neutral so the rules can
// be tested anywhere; the entry splits the line with CommandLineToArgvW and
// hands the pieces here.
#pragma once
#include <string>
#include <vector>

struct CommandLineArgs {
  bool forceWindowsEngine = false;  // "/winengine" anywhere in the line
  std::wstring path;                // the document to open; the last one wins
  std::wstring updatedFrom;         // version given with /updated
  int initialPage = -1;             // 0-based page from /page, -1 when none
  bool atValid = false;             // a usable /at rectangle was given
  int atX = 0, atY = 0, atW = 0, atH = 0;
};

// True when `needle` occurs in `haystack`, ignoring ASCII letter case.
bool ContainsNoCase(const std::wstring& haystack, const std::wstring& needle);

// wholeLine is the raw command line; args are its split arguments including
// the program name at index 0 (which is skipped).
CommandLineArgs ParseCommandLine(const std::wstring& wholeLine, const std::vector<std::wstring>& args);

// Reads "x,y,w,h". True only when all four numbers were read and w and h are
// both above 200.
bool ParseAtRect(const std::wstring& text, int& x, int& y, int& w, int& h);
