// Printing the open document: the print dialog, then one page at a time,
// each rendered by the worker and stretched onto the paper, in the order the
// pages stand on screen.
#pragma once
#include <windows.h>

#include <vector>

// The Print command: asks for the printer and the pages, then prints them.
// Does nothing without a loaded document.
void PrintDocument();

// Prints these positions of the open document on the printer DC `dc` (which
// stays the caller's), under the document's name: starts the job, disables
// the main window while it runs, shows each page's progress and the outcome
// in the status bar, and says so in a message box when the printer can't
// start the job or a page fails (the job is then aborted). True when every
// page went to the printer.
bool PrintPositions(HDC dc, const std::vector<int>& positions);
