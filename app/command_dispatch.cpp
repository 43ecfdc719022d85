#include "app/command_dispatch.h"

#include "app/app_state.h"
#include "app/default_app.h"
#include "app/diagnostic_report.h"
#include "app/notes_window.h"
#include "app/print.h"
#include "app/second_window.h"
#include "app/status_bar.h"
#include "doc/document.h"
#include "doc/document_open.h"
#include "doc/save_flow.h"
#include "pages/page_edits.h"
#include "pages/page_panel.h"
#include "share/mail_window.h"
#include "share/send_flow.h"
#include "share/send_window.h"
#include "share/share_settings.h"
#include "ui/commands.h"
#include "ui/file_dialog.h"
#include "view/find_bar.h"
#include "view/page_text.h"
#include "update/updater.h"
#include "ui/shell_ops.h"
#include "view/page_view.h"

static_assert(kModShift == FSHIFT && kModCtrl == FCONTROL && kModAlt == FALT);
static_assert(kKeyEnd == VK_END && kKeyHome == VK_HOME && kKeyUp == VK_UP && kKeyDown == VK_DOWN &&
              kKeyDelete == VK_DELETE && kKeyNumpad0 == VK_NUMPAD0 && kKeyNumpad1 == VK_NUMPAD1 &&
              kKeyNumpad2 == VK_NUMPAD2 && kKeyAdd == VK_ADD && kKeySubtract == VK_SUBTRACT && kKeyF1 == VK_F1 &&
              kKeyF3 == VK_F3 && kKeyF4 == VK_F4 && kKeyOemPlus == VK_OEM_PLUS && kKeyOemMinus == VK_OEM_MINUS);

namespace {

using CommandHandler = void (*)(HWND window);

void RunOpen(HWND window) {
  std::wstring file = PickPdfFile(window, nullptr);
  if (file.empty() || !ConfirmUnsavedChanges()) return;
  OpenDocument(file, L"");
}
void RunClose(HWND) {
  if (ConfirmUnsavedChanges()) CloseDocument();
}
void RunPrint(HWND) { PrintDocument(); }
void RunSave(HWND) { SaveDocument(false); }
void RunSaveAs(HWND) { SaveDocument(true); }
void RunExit(HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }
void RunSecondPdf(HWND window) { OpenSecondWindow(window); }
// The Organize commands act on the selected page (or the one being read).
void RunMoveUp(HWND) {
  const int s = PageForCommands();
  if (s >= 1) MovePage(s, s - 1);
}
void RunMoveDown(HWND) {
  const int s = PageForCommands();
  if (s >= 0) MovePage(s, s + 1);
}
void RunMoveToFront(HWND) {
  const int s = PageForCommands();
  if (s >= 1) MovePage(s, 0);
}
void RunMoveToBack(HWND) {
  const int s = PageForCommands();
  if (s >= 0) MovePage(s, g_doc.pages.PageCount() - 1);
}
void RunDeletePage(HWND) {
  const int s = PageForCommands();
  if (s >= 0) DeletePage(s);
}
void RunUndo(HWND) { Undo(); }
void RunTogglePanel(HWND) { ShowPagePanel(!PagePanelVisible()); }
// Find, selection and copy belong to the page view's text layer.
void RunFind(HWND) { OpenFind(); }
void RunFindNext(HWND) { FindNext(+1); }
void RunFindPrevious(HWND) { FindNext(-1); }
void RunCopy(HWND) { CopySelectedText(); }
void RunSelectAll(HWND) { SelectAllDocumentText(); }
void RunCheckForUpdates(HWND) { StartUpdateCheck(true); }
void RunUpdateNow(HWND) { UpdateNow(); }
void RunWhatsNew(HWND) { ShowNewVersionNotes(); }
void RunUpdateLater(HWND) { UpdateLater(); }
// Paging, zoom and rotation belong to the page view.
template <ViewAction action>
void RunView(HWND window) {
  PageViewAction(window, action);
  // A quarter turn changes the shape of every thumbnail.
  if (action == ViewAction::RotateLeft || action == ViewAction::RotateRight) PagePanelLayout();
}
// The Share commands open the Send window with a way chosen (-1: the last one).
template <int method>
void RunSendWindow(HWND) {
  OpenSendWindow(method);
}
void RunCopyLink(HWND window) {
  if (CopyTextToClipboard(window, g_shareSettings.shareLink))
    ShowStatusMessage(L"Download link copied \u2014 paste it anywhere with Ctrl+V.");
}
void RunEmailServer(HWND window) { OpenMailServerWindow(window); }
void RunShowInFolder(HWND) {
  if (g_doc.loaded) ShowInFolder(g_doc.path);
}

struct HandlerRow {
  unsigned short id;
  CommandHandler handler;
};

const HandlerRow kHandlers[] = {
#define FV_COMMAND(name, id, display, rule, light, handler, keys) {name, handler},
#define FV_BUTTON(...)
#include "ui/commands.def"
#undef FV_COMMAND
#undef FV_BUTTON
};

}  // namespace

void HandleCommand(HWND window, unsigned short id) {
  if (g_busy.printing || g_busy.saving) return;
  for (const HandlerRow& row : kHandlers) {
    if (row.id != id) continue;
    // Commands of features that are not part of this build do nothing.
    if (row.handler) row.handler(window);
    return;
  }
}

std::vector<ACCEL> AcceleratorEntries() {
  std::vector<ACCEL> entries;
  for (const CommandInfo& command : CommandTable())
    for (const Shortcut& key : command.shortcuts)
      if (key.key != 0) entries.push_back({BYTE(FVIRTKEY | key.modifiers), key.key, WORD(command.id)});
  return entries;
}
