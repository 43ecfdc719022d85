#include "doc/doc_hooks.h"

namespace {

DocumentViewHooks g_viewHooks;
ShellHooks g_shellHooks;
HWND g_owner = nullptr;

}  // namespace

void SetDocumentViewHooks(const DocumentViewHooks& hooks) { g_viewHooks = hooks; }
const DocumentViewHooks& ViewHooks() { return g_viewHooks; }

void SetShellHooks(const ShellHooks& hooks) { g_shellHooks = hooks; }

void UpdateShellTitle() {
  if (g_shellHooks.updateTitle) g_shellHooks.updateTitle();
}

void UpdateShellStatus() {
  if (g_shellHooks.updateStatus) g_shellHooks.updateStatus();
}

void ShowShellMessage(const std::wstring& text) {
  if (g_shellHooks.showMessage) g_shellHooks.showMessage(text);
}

std::wstring ShellMessage() { return g_shellHooks.shownMessage ? g_shellHooks.shownMessage() : std::wstring(); }

bool AskPassword(bool again, std::wstring& typed) {
  return g_shellHooks.askPassword && g_shellHooks.askPassword(g_owner, again, typed);
}

void SetDocumentOwner(HWND window) { g_owner = window; }
HWND DocumentOwner() { return g_owner; }
