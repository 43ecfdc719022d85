// Faults that a test build of the program injects into saving, to reach the
// failure paths a file system won't produce on demand (a short write, the
// process dying halfway, a file that reads back wrong). The program itself
// never sets them: they stay inert unless a test build fills them in before
// the program starts.
#pragma once
#include <windows.h>

#include <atomic>

struct SaveFaults {
  // The file write with this number (0-based, counted over the whole
  // process) writes only half of what it was given.
  long shortWriteAt = -1;
  // The process ends abruptly right before the file write with this number.
  long exitAtWrite = -1;
  // The read-back width of the first page is taken 2 units too wide.
  bool skewReadBack = false;
  // Replacing the original moves it aside and then fails as if the new file
  // could not follow it (ERROR_UNABLE_TO_MOVE_REPLACEMENT_2), and moving
  // the new file over the original fails with a sharing violation.
  bool strandOnReplace = false;
};
SaveFaults& TestSaveFaults();
// How many file writes of saves this process has made so far.
long SaveFileWrites();

// WriteFile for the files a save writes: `written` gets what was written.
// Goes through the faults above (when a test build set any).
BOOL WriteSaveFile(HANDLE file, const void* data, DWORD size, DWORD* written);
// ReplaceFileW and MoveFileExW for putting a saved file in place, through
// the faults above.
BOOL ReplaceSavedFile(const wchar_t* target, const wchar_t* replacement, const wchar_t* backup);
BOOL MoveSavedFile(const wchar_t* from, const wchar_t* to, DWORD flags);
