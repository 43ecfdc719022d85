// The one-line modal prompt (dialog resource 201): passwords and Go to Page.
#pragma once
#include <windows.h>

#include <string>

// Control identifiers of dialog 201.
constexpr int kPromptDialogId = 201;
constexpr int kPromptLineId = 1001;  // the static prompt line
constexpr int kPromptEditId = 1002;  // the edit box

// Shows the prompt owned by `owner`. The edit box starts with `initial`, all
// selected; with `masked` it shows U+25CF for every character. True when the
// user pressed OK; `text` then holds what was typed (at most 511 characters).
// Masked input is emptied from the edit box before the dialog closes, and the
// read buffer is wiped.
bool PromptText(HWND owner, const std::wstring& caption, const std::wstring& prompt, bool masked,
                const std::wstring& initial, std::wstring& text);
