// Help -> Diagnostic Report: a text snapshot of the program's state saved as
// "Folivex diagnostics.txt" on the Desktop, opened in the user's editor and
// put on the clipboard. It only reads state.
#pragma once
#include <windows.h>

void WriteDiagnosticReport(HWND main);
