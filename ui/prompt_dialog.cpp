#include "ui/prompt_dialog.h"

#include "ui/ui_context.h"

namespace {

constexpr int kMaxPromptChars = 511;
constexpr wchar_t kMaskCharacter = L'\u25CF';

struct PromptState {
  const std::wstring* caption;
  const std::wstring* prompt;
  bool masked;
  const std::wstring* initial;
  std::wstring* text;
};

INT_PTR CALLBACK PromptProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* state = reinterpret_cast<PromptState*>(lParam);
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      SetWindowTextW(dialog, state->caption->c_str());
      SetDlgItemTextW(dialog, kPromptLineId, state->prompt->c_str());
      HWND edit = GetDlgItem(dialog, kPromptEditId);
      SendMessageW(edit, EM_LIMITTEXT, kMaxPromptChars, 0);
      if (state->masked) SendMessageW(edit, EM_SETPASSWORDCHAR, WPARAM(kMaskCharacter), 0);
      SetWindowTextW(edit, state->initial->c_str());
      SendMessageW(edit, EM_SETSEL, 0, -1);
      SetFocus(edit);
      return FALSE;  // the focus was set here
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK) {
        auto* state = reinterpret_cast<PromptState*>(GetWindowLongPtrW(dialog, DWLP_USER));
        wchar_t buffer[kMaxPromptChars + 1] = {};
        int n = GetDlgItemTextW(dialog, kPromptEditId, buffer, kMaxPromptChars + 1);
        state->text->assign(buffer, size_t(n > 0 ? n : 0));
        SecureZeroMemory(buffer, sizeof(buffer));
        if (state->masked) SetDlgItemTextW(dialog, kPromptEditId, L"");
        EndDialog(dialog, IDOK);
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        auto* state = reinterpret_cast<PromptState*>(GetWindowLongPtrW(dialog, DWLP_USER));
        if (state->masked) SetDlgItemTextW(dialog, kPromptEditId, L"");
        EndDialog(dialog, IDCANCEL);
        return TRUE;
      }
      break;
  }
  return FALSE;
}

}  // namespace

bool PromptText(HWND owner, const std::wstring& caption, const std::wstring& prompt, bool masked,
                const std::wstring& initial, std::wstring& text) {
  text.clear();
  PromptState state{&caption, &prompt, masked, &initial, &text};
  INT_PTR r = DialogBoxParamW(UiInstance(), MAKEINTRESOURCEW(kPromptDialogId), owner, PromptProc,
                              reinterpret_cast<LPARAM>(&state));
  return r == IDOK;
}
