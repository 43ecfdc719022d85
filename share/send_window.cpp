#include "share/send_window.h"

#include <commctrl.h>

#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "doc/settings.h"
#include "share/compose.h"
#include "share/mail_window.h"
#include "share/send_flow.h"
#include "share/send_ids.h"
#include "share/share_settings.h"
#include "ui/child_controls.h"
#include "ui/ui_context.h"

namespace {

using namespace send_id;

constexpr int kClientWidth = 640;
constexpr int kClientHeight = 650;
constexpr COLORREF kStatusColour = RGB(0, 104, 192);

HWND g_tooltip = nullptr;
HWND g_lastFocus = nullptr;  // restored when the window is activated again

const wchar_t* const kMethodTips[kShareMethodCount] = {
    L"Folivex sends the email itself, straight through your own mail server \u2014 no email program needed. The "
    L"PDF goes as an attachment. Set up your server once with the Email Server button.",
    L"Sends a text from your phone. If Quenlo is running it sends through Quenlo; otherwise Folivex opens Windows "
    L"Phone Link, types the number and message, and presses Send (keep your hands off the mouse and keyboard for "
    L"a few seconds). Texts can't carry PDF files.",
    L"Opens WhatsApp (the app, or WhatsApp Web) straight to this person's chat with the message typed in. If "
    L"you're sending the PDF, it's copied: press Ctrl+V in the chat. Then press Send.",
    L"Opens Facebook Messenger to this person (if you filled in their Messenger name) with the message. The "
    L"message is also copied in case the box is empty. If you're sending the PDF, press Ctrl+V to add it.",
    L"Opens a Microsoft Teams chat with this person (by their email address) with the message typed in. If "
    L"you're sending the PDF, press Ctrl+V in the chat to add it.",
    L"Opens Gmail in your browser with a new email to this person, already filled in. If you're sending the PDF, "
    L"press Ctrl+V in the email or drag the file in from the File Explorer window that opens.",
    L"Opens Outlook.com (Hotmail / Live) in your browser with a new email to this person, already filled in. If "
    L"you're sending the PDF, press Ctrl+V or drag the file in.",
    L"Doesn't send anything: copies the message (or the PDF file) so you can paste it anywhere yourself with "
    L"Ctrl+V.",
};

const wchar_t kTipTo[] =
    L"Who you're sending to. Click the arrow to pick someone you've sent to before \u2014 their email, mobile "
    L"number and Messenger name fill in by themselves. Or type a new name and fill in the boxes below.";
const wchar_t kTipForget[] =
    L"Removes the person named in the To box from your saved people. It doesn't affect anything already sent.";
const wchar_t kTipEmail[] = L"Their email address. Needed for Email, Microsoft Teams, Gmail and Outlook.com.";
const wchar_t kTipMobile[] =
    L"Their mobile number, for Text message and WhatsApp. Any format works, e.g. (973) 555-1234. A 10-digit number "
    L"is treated as a US number.";
const wchar_t kTipMessenger[] =
    L"Optional. Their Facebook username \u2014 the last part of their profile link, e.g. jane.doe \u2014 so "
    L"Messenger opens straight to your chat with them. Pasting their whole profile link works too.";
const wchar_t kTipRemember[] =
    L"ON: when you click Send, this person's name, email, mobile number and Messenger name are saved so you can "
    L"pick them from the To box next time. Saved only on this PC.";
const wchar_t kTipPdf[] =
    L"Sends the PDF that's open in Folivex. By Email it goes as an attachment. WhatsApp, Messenger and Teams open "
    L"the chat and the PDF is copied, so you just press Ctrl+V. Text messages can't carry PDFs.";
const wchar_t kTipNote[] = L"Tells the person about Folivex, with the link to download it for free.";
const wchar_t kTipSubject[] = L"The email subject (Email, Gmail, Outlook.com). Other methods send only the message.";
const wchar_t kTipMessage[] =
    L"The message that gets sent. Edit it any way you like \u2014 once you change it, Folivex stops rewriting it "
    L"when you change the person or the choices above. Reset message puts the standard wording back.";
const wchar_t kTipReset[] =
    L"Puts the standard message and subject back, using the person's name and your choices above.";
const wchar_t kTipPhoneLink[] =
    L"Text messages through Phone Link:\n\nON: Folivex types the number and message and presses Send for you.\n"
    L"OFF: Folivex types everything but leaves it for you to check and press Send.\n\nTakes effect immediately.";
const wchar_t kTipMailServer[] =
    L"Set up which mail server Folivex sends email through (server name, port, your login). You only do this once.";
const wchar_t kTipSend[] = L"Sends it to the person by the method chosen above.";
const wchar_t kTipClose[] = L"Closes this window. Your saved people and choices are remembered.";

HWND Item(int id) { return g_share.window ? GetDlgItem(g_share.window, id) : nullptr; }

std::wstring TextOf(HWND control) { return WindowText(control); }

void AddTip(HWND control, const wchar_t* tip) { AddControlTip(g_tooltip, g_share.window, control, tip); }

// One child control at a 96-DPI rectangle, in the normal font (or `font`).
HWND Make(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int x, int y, int w, int h, int id,
          const wchar_t* tip, HFONT font = nullptr) {
  return MakeChildControl(g_share.window, g_tooltip, cls, text, style, exStyle, x, y, w, h, id, tip, font);
}

HWND Label(const wchar_t* text, int x, int y, int w, int h, const wchar_t* tip) {
  return Make(L"STATIC", text, SS_RIGHT | SS_CENTERIMAGE | SS_NOTIFY, 0, x, y, w, h, -1, tip);
}

HWND EditBox(int x, int y, int w, int h, int id, const wchar_t* tip, DWORD extra = ES_AUTOHSCROLL) {
  return Make(L"EDIT", L"", WS_TABSTOP | extra, WS_EX_CLIENTEDGE, x, y, w, h, id, tip);
}

HWND PushButton(const wchar_t* text, int x, int y, int w, int h, int id, const wchar_t* tip,
                DWORD style = BS_PUSHBUTTON, HFONT font = nullptr) {
  return Make(L"BUTTON", text, WS_TABSTOP | style, 0, x, y, w, h, id, tip, font);
}

std::wstring MailLineText() {
  const MailSettings& mail = g_shareSettings.mail;
  if (mail.server.empty()) return L"Email server: not set up yet (click Email Server\u2026).";
  return L"Email is sent through " + mail.server + L" as " + mail.fromAddress + L".";
}

void CreateControls() {
  Make(L"STATIC", L"Pick a saved person or type a new one, choose what to send and how, then click Send.", 0, 0,
       14, 10, 612, 20, -1, nullptr);
  Label(L"To", 10, 36, 112, 24, kTipTo);
  if (HWND to = Make(L"COMBOBOX", L"", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, 0, 130, 36, 350,
                     300, kTo, kTipTo)) {
    // The mouse over the text part of the box reaches its edit field.
    COMBOBOXINFO info = {sizeof(info)};
    if (GetComboBoxInfo(to, &info)) AddTip(info.hwndItem, kTipTo);
  }
  PushButton(L"Forget person", 490, 35, 130, 26, kForget, kTipForget);
  Label(L"Email", 10, 68, 112, 24, kTipEmail);
  EditBox(130, 68, 490, 24, kEmail, kTipEmail);
  Label(L"Mobile #", 10, 98, 112, 24, kTipMobile);
  EditBox(130, 98, 200, 24, kMobile, kTipMobile);
  Label(L"Messenger name", 330, 98, 118, 24, kTipMessenger);
  EditBox(452, 98, 168, 24, kMessenger, kTipMessenger);
  PushButton(L"Remember this person", 130, 126, 300, 22, kRemember, kTipRemember, BS_AUTOCHECKBOX);
  Label(L"Send", 10, 156, 112, 24, L"What the person gets.");
  PushButton(L"", 130, 156, 490, 22, kPdf, kTipPdf, BS_AUTORADIOBUTTON | WS_GROUP);
  Make(L"BUTTON", L"A note about Folivex, with its download link", BS_AUTORADIOBUTTON, 0, 130, 180, 490, 22, kNote,
       kTipNote);
  if (HWND subjectLabel = Label(L"Subject", 10, 210, 112, 24, kTipSubject))
    SetWindowLongPtrW(subjectLabel, GWL_STYLE, GetWindowLongPtrW(subjectLabel, GWL_STYLE) | WS_GROUP);
  EditBox(130, 210, 490, 24, kSubject, kTipSubject);
  Make(L"STATIC", L"Message", SS_RIGHT | SS_NOTIFY, 0, 10, 244, 112, 22, -1, kTipMessage);
  EditBox(130, 240, 490, 130, kMessage, kTipMessage, ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL | WS_VSCROLL);
  PushButton(L"Reset message", 10, 344, 112, 26, kReset, kTipReset);
  Make(L"BUTTON", L"Send it with", BS_GROUPBOX, 0, 12, 380, 616, 118, -1, nullptr, g_ui.fontBold);
  for (int i = 0; i < kShareMethodCount; ++i) {
    DWORD style = BS_AUTORADIOBUTTON | (i == 0 ? WS_GROUP | WS_TABSTOP : 0);
    Make(L"BUTTON", ShareMethodLabel(i), style, 0, 26 + 150 * (i % 4), i < 4 ? 404 : 432, 146, 24, kMethodFirst + i,
         kMethodTips[i]);
  }
  PushButton(L"Press Send in Phone Link for me", 26, 464, 280, 24, kPhoneLink, kTipPhoneLink,
             BS_AUTOCHECKBOX | WS_GROUP);
  PushButton(L"Email Server\u2026", 456, 462, 158, 28, kMailServer, kTipMailServer);
  PushButton(L"Send", 352, 510, 130, 34, kSend, kTipSend, BS_DEFPUSHBUTTON, g_ui.fontBold);
  PushButton(L"Close", 490, 510, 130, 34, kClose, kTipClose);
  g_share.statusLine =
      Make(L"STATIC", L"", SS_ENDELLIPSIS | SS_CENTERIMAGE, 0, 14, 556, 612, 40, kStatus, nullptr);
  Make(L"STATIC", MailLineText().c_str(), SS_ENDELLIPSIS, 0, 14, 600, 612, 20, kMailLine, nullptr);

  CheckDlgButton(g_share.window, kRemember, BST_CHECKED);
  CheckDlgButton(g_share.window, kMethodFirst + g_share.method, BST_CHECKED);
  CheckDlgButton(g_share.window, kPhoneLink, g_share.phoneLinkAutoSend ? BST_CHECKED : BST_UNCHECKED);
}

void CheckMethod(int method) {
  CheckRadioButton(g_share.window, kMethodFirst, kMethodFirst + kShareMethodCount - 1, kMethodFirst + method);
}

// The saved person the To box names exactly (ignoring case) fills the three
// boxes.
void FillFromSavedPerson(const std::wstring& name) {
  const int found = FindContact(g_contacts, name);
  if (found < 0) return;
  const Contact& c = g_contacts[size_t(found)];
  SetWindowTextW(Item(kEmail), c.email.c_str());
  SetWindowTextW(Item(kMobile), c.mobile.c_str());
  SetWindowTextW(Item(kMessenger), c.messengerName.c_str());
}

void OnToSelection() {
  HWND to = Item(kTo);
  const LRESULT index = SendMessageW(to, CB_GETCURSEL, 0, 0);
  if (index < 0 || index >= LRESULT(g_contacts.size())) return;
  const std::wstring name = g_contacts[size_t(index)].name;
  SetWindowTextW(to, name.c_str());
  FillFromSavedPerson(name);
  ComposeShareMessage(false);
}

void OnToEdited() {
  FillFromSavedPerson(TrimSpace(TextOf(Item(kTo))));
  ComposeShareMessage(false);
}

void OnForget() {
  const std::wstring name = TrimSpace(TextOf(Item(kTo)));
  if (!ForgetPerson(name)) {
    // The list may have changed in another window meanwhile.
    FillToList();
    SetShareStatus(L"That name isn't in your saved people.");
    return;
  }
  for (int id : {kTo, kEmail, kMobile, kMessenger}) SetWindowTextW(Item(id), L"");
  FillToList();
  ComposeShareMessage(false);
  SetShareStatus(name + L" was removed from your saved people.");
}

void OnCommand(int id, int code) {
  if (id >= kMethodFirst && id < kMethodFirst + kShareMethodCount) {
    if (code != BN_CLICKED) return;
    g_share.method = id - kMethodFirst;
    WriteSettingNumber(SettingName::ShareVia, uint32_t(g_share.method));
    RefreshWhatToSend();
    ComposeShareMessage(false);
    return;
  }
  switch (id) {
    case kTo:
      if (code == CBN_SELCHANGE) OnToSelection();
      if (code == CBN_EDITCHANGE) OnToEdited();
      return;
    case kPdf:
    case kNote:
      if (code != BN_CLICKED) return;
      g_share.sendPdf = id == kPdf;
      WriteSettingNumber(SettingName::ShareWhat, g_share.sendPdf ? 0 : 1);
      ComposeShareMessage(false);
      return;
    case kSubject:
    case kMessage:
      if (code == EN_CHANGE && !g_share.composing) g_share.messageEdited = true;
      return;
    case kReset:
      ComposeShareMessage(true);
      SetShareStatus(L"Message reset.");
      return;
    case kForget:
      OnForget();
      return;
    case kMailServer:
      OpenMailServerWindow(g_share.window);
      return;
    case kPhoneLink:
      g_share.phoneLinkAutoSend = IsDlgButtonChecked(g_share.window, kPhoneLink) == BST_CHECKED;
      WriteSettingNumber(SettingName::PhoneLinkAutoSend, g_share.phoneLinkAutoSend ? 1 : 0);
      return;
    case IDOK:
    case kSend:
      SendFromWindow();
      return;
    case IDCANCEL:
    case kClose:
      SendMessageW(g_share.window, WM_CLOSE, 0, 0);
      return;
  }
}

// Centred over the main window, its top kept on the screen.
void PlaceWindow(HWND window, HWND main) {
  RECT frame = {0, 0, Scaled(kClientWidth), Scaled(kClientHeight)};
  AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                     DWORD(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT over = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (main) GetWindowRect(main, &over);
  int x = over.left + (over.right - over.left - width) / 2;
  int y = over.top + (over.bottom - over.top - height) / 2;
  MONITORINFO monitor = {sizeof(monitor)};
  if (GetMonitorInfoW(MonitorFromRect(&over, MONITOR_DEFAULTTONEAREST), &monitor) && y < monitor.rcMonitor.top)
    y = monitor.rcMonitor.top;
  SetWindowPos(window, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void SetShareTooltip(HWND tooltip) { g_tooltip = tooltip; }

void OpenSendWindow(int method) {
  if (method >= 0 && method < kShareMethodCount) g_share.method = method;
  if (g_share.window) {
    CheckMethod(g_share.method);
    RefreshWhatToSend();
    ComposeShareMessage(false);
    SetForegroundWindow(g_share.window);
    return;
  }
  HWND main = DocumentOwner();
  HWND window = CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME, L"FVShare", L"Send",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, main, nullptr, g_ui.instance,
                                nullptr);
  if (!window) return;
  g_share.window = window;
  PlaceWindow(window, main);
  CreateControls();
  FillToList();
  RefreshWhatToSend();
  g_share.messageEdited = false;
  ComposeShareMessage(true);
  if (main) EnableWindow(main, FALSE);
  ShowWindow(window, SW_SHOW);
  SetFocus(Item(kTo));
}

void ComposeShareMessage(bool force) {
  if (!g_share.window || (g_share.messageEdited && !force)) return;
  ComposedMessage composed =
      ComposeMessage(TrimSpace(TextOf(Item(kTo))), g_share.method, FileWouldBeSent(), g_doc.displayName,
                     g_shareSettings.senderName, g_shareSettings.shareLink);
  std::wstring boxText;
  for (wchar_t c : composed.message) {
    if (c == L'\n') boxText += L'\r';
    boxText += c;
  }
  g_share.composing = true;
  SetWindowTextW(Item(kMessage), boxText.c_str());
  SetWindowTextW(Item(kSubject), composed.subject.c_str());
  g_share.composing = false;
  g_share.messageEdited = false;
}

void RefreshWhatToSend() {
  if (!g_share.window) return;
  const bool open = g_doc.loaded;
  const bool text = g_share.method == kShareText;
  std::wstring label;
  if (!open)
    label = L"The PDF I'm reading (open one first)";
  else if (text)
    label = L"The PDF I'm reading (texts can't carry PDF files)";
  else
    label = L"The PDF I'm reading: " + g_doc.displayName;
  HWND pdf = Item(kPdf);
  SetWindowTextW(pdf, label.c_str());
  EnableWindow(pdf, open && !text);
  const bool pdfChecked = FileWouldBeSent();
  CheckDlgButton(g_share.window, kPdf, pdfChecked ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(g_share.window, kNote, pdfChecked ? BST_UNCHECKED : BST_CHECKED);
}

void FillToList() {
  HWND to = Item(kTo);
  if (!to) return;
  const std::wstring typed = TextOf(to);
  SendMessageW(to, CB_RESETCONTENT, 0, 0);
  for (const Contact& c : g_contacts) SendMessageW(to, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(c.name.c_str()));
  SetWindowTextW(to, typed.c_str());
}

void SetShareStatus(const std::wstring& text) {
  if (g_share.window && g_share.statusLine)
    SetWindowTextW(g_share.statusLine, text.c_str());
  else
    ShowShellMessage(text);
}

LRESULT CALLBACK SendWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (window == g_share.window) OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == g_share.statusLine) return StatusLineColours(reinterpret_cast<HDC>(wParam), kStatusColour);
      break;
    case WM_ERASEBKGND:
      return EraseToButtonFace(window, reinterpret_cast<HDC>(wParam));
    case WM_NEXTDLGCTL: {
      // The message box asks for this on Tab, as a dialog box's controls do.
      HWND next = LOWORD(lParam) ? reinterpret_cast<HWND>(wParam)
                                 : GetNextDlgTabItem(window, GetFocus(), wParam != 0);
      if (next) {
        if (SendMessageW(next, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(next, EM_SETSEL, 0, -1);
        SetFocus(next);
      }
      return 0;
    }
    case WM_ACTIVATE:
      // The keyboard goes back where it was, as in a dialog box.
      if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(window, focus)) g_lastFocus = focus;
      } else if (g_lastFocus && IsWindow(g_lastFocus) && IsChild(window, g_lastFocus)) {
        SetFocus(g_lastFocus);
        return 0;
      }
      break;
    case WM_CLOSE: {
      HWND main = GetWindow(window, GW_OWNER);
      if (main) EnableWindow(main, TRUE);
      DestroyWindow(window);
      if (main) SetForegroundWindow(main);
      return 0;
    }
    case WM_DESTROY:
      RemoveControlTips(g_tooltip, window);
      if (window == g_share.window) {
        g_share.window = nullptr;
        g_share.statusLine = nullptr;
      }
      g_lastFocus = nullptr;
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
