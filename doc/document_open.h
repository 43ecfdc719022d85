// Opening and closing the document on the UI thread. Opening is a job for
// the render worker; its outcome comes back as WM_APP+1 and is installed by
// OnLoaded.
#pragma once
#include <windows.h>

#include <cstdint>
#include <string>

#include "engine/render_worker.h"

// Closes whatever is open (safe when nothing is): writes LastPage, starts a
// new generation, empties the worker's queue and queues the close job in
// one step, and clears the document and its caches.
void CloseDocument();

// Closes the current document and queues the open of `path` (the password
// is empty for a first attempt). Pending values set before the call are
// used by the load.
void OpenDocument(const std::wstring& path, const std::wstring& password);

// Installs the worker's open result, or reports why the open failed (with
// the password prompt for a protected file). Frees the record on every path.
void OnLoaded(OpenResult* result);

// Start-up: the command-line path at its /page (-1 for none), or else, with
// ReopenLast on, the last file at its last page when it still exists.
void OpenFirstDocument(const std::wstring& commandLinePath, int initialPage);

// Whether the current document may be closed or replaced: true without
// unsaved page changes; otherwise the user is asked whether to save them
// (Yes saves, and goes on only when that worked; No goes on; Cancel stops).
// False while a save runs.
bool ConfirmUnsavedChanges();

// A save is about to replace the file: the document is closed as by
// CloseDocument, but the windows keep showing it as while another document
// is being opened (OpenDocument follows).
void CloseDocumentForReopen();

// The size and last-write time (FILETIME as 64 bits) of a file; false when
// they can't be read.
bool FileStampOf(const std::wstring& path, uint64_t& size, uint64_t& writeTime);

// The main window is going away: remember the current page.
void RememberLastPage();
// Shutdown: release the document's bitmaps and temporary files without
// writing any setting.
void ReleaseDocumentAtExit();

// Goes to a page position (the view's scrolling once it exists).
void GoToPosition(int position);

// Runs a job the caller waits for (print render, probe, adding brought-in
// pages, rebuild) for the current document: it carries the current
// generation, is queued where its kind belongs and is waited for while
// messages are dispatched. True when the document is still the one the job
// was made for; false means it was closed or replaced meanwhile and the
// result must not be used.
bool RunDocumentJob(RenderJob job);
