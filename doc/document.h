// The open document: one per process, owned by the main window and touched
// only on the UI thread. Platform-neutral; g_doc itself is defined with the
// Windows bitmap deleter in document.cpp.
#pragma once

#include <cstdint>
#include <set>
#include <string>
#include <vector>

#include "doc/layout.h"
#include "doc/page_order.h"
#include "doc/text_index.h"
#include "doc/text_select.h"
#include "engine/engine_types.h"
#include "engine/result_caches.h"

// Values that a caller sets before OpenDocument and that the next load
// consumes (the reload after a save sets them all; the start-up sets the
// page position).
struct PendingLoad {
  int pagePosition = -1;  // go to this position once loaded (above 0 only)
  // Keep the view as it was: rotation, zoom mode and zoom are restored.
  bool keepView = false;
  int rotation = 0;
  int zoomMode = 0;
  double zoom = 100.0;
  // The next CloseDocument leaves the temporary copies of other PDFs on disk.
  bool keepSources = false;
  PageOrder order;  // empty: none
  // Pages brought in before the reload, with the copies of the PDFs they
  // come from; the open job re-adds them to the engine.
  std::vector<BroughtInPage> broughtIn;
  std::vector<ImportedPdf> importedPdfs;
};

enum EditState : int { kEditNotChecked = 0, kEditAllowed = 1, kEditRefused = 2 };

struct Document {
  Document(PictureCache::BitmapDeleter pictureDeleter, PictureCache::BitmapDeleter thumbnailDeleter)
      : pictures(pictureDeleter), thumbnails(thumbnailDeleter) {}
  Document(const Document&) = delete;
  Document& operator=(const Document&) = delete;

  bool loaded = false;   // OnLoaded installed a document
  bool loading = false;  // an open job is outstanding
  // Raised each time the document is closed or replaced; every job and
  // result carries it, and results of another generation are dropped.
  int generation = 0;

  std::wstring path;
  std::wstring displayName;  // the text after the last '\' or '/'
  std::wstring password;     // empty when none was needed; wiped on close
  bool pdfium = false;       // served by PDFium (false: the Windows engine)

  // Page sizes per engine page index (file pages, then brought-in pages),
  // the brought-in pages with their source PDFs, the page order with its
  // per-position sizes and position map, the order-changed flag, the undo
  // stack and the selected position.
  PageModel pages;

  // The page column: zoom mode and percentage, rotation, the geometry of
  // every position and the scroll position. The current page follows from
  // it (CurrentPage).
  ViewLayout view;

  std::vector<BookmarkEntry> bookmarks;

  // The file as it was when it was opened: its size and last-write time
  // (FILETIME as 64 bits). A save into the same file refuses when another
  // program has changed it since.
  bool fileStamped = false;
  uint64_t fileSize = 0;
  uint64_t fileWriteTime = 0;

  int editState = kEditNotChecked;
  std::wstring editRefusal;  // why editing was refused

  PictureCache pictures;    // page pictures of the page view
  PictureCache thumbnails;  // thumbnails of the page panel
  std::set<int> pendingText;  // pages whose text was asked for and not yet delivered

  // The text of the pages read so far, the find bar's search and the text
  // selection.
  TextIndex text;
  FindState find;
  TextSelection selection;

  PendingLoad pending;
};

extern Document g_doc;

// Process-wide busy flags, beside the document: while either is set,
// commands, page edits, dropped files and closing are ignored.
struct BusyFlags {
  bool printing = false;
  bool saving = false;
  // An update's installer runs (the main window waits for it, disabled);
  // pages dropped from another window are refused meanwhile.
  bool installing = false;
  bool Any() const { return printing || saving || installing; }
};
extern BusyFlags g_busy;

// Overwrites a secret's characters before emptying it.
void WipeText(std::wstring& secret);
