#include "share/mail_window.h"

#include <commctrl.h>

#include <string>

#include "doc/document.h"
#include "doc/settings.h"
#include "share/compose.h"
#include "share/mail_password.h"
#include "share/mail_rules.h"
#include "share/send_ids.h"
#include "share/send_job.h"
#include "share/share_settings.h"
#include "ui/child_controls.h"
#include "ui/ui_context.h"

namespace {

using namespace mail_id;

constexpr int kClientWidth = 520;
constexpr int kClientHeight = 384;
constexpr COLORREF kStatusColour = RGB(0, 104, 192);

HWND g_window = nullptr;
HWND g_status = nullptr;
HWND g_tooltip = nullptr;
bool g_filling = false;  // the boxes are being given their first texts

const wchar_t kIntro[] =
    L"Folivex sends email straight through your own mail server, the same way your email program does. Use the "
    L"outgoing (SMTP) settings from your email provider. Changes are saved as you type.";

struct Row {
  int y;
  const wchar_t* label;
  int id;
  const wchar_t* tip;
};
const Row kRows[] = {
    {58, L"Mail server", kServer,
     L"Your outgoing (SMTP) mail server, for example mail.yourcompany.com or smtp.gmail.com."},
    {90, L"Port", kPort,
     L"465 for SSL/TLS (recommended). 25 without encryption. Your provider's settings page lists the right number."},
    {122, L"User name", kUser,
     L"The login for the mail server \u2014 usually your full email address. Leave blank only if your server doesn't "
     L"need a login (rare)."},
    {154, L"Password", kPassword,
     L"Your mail password. It's encrypted by Windows so only your Windows account on this PC can read it, and it's "
     L"never shown again. For Gmail or Microsoft 365 with two-step sign-in, use an \"app password\"."},
    {186, L"Your name", kFromName,
     L"Shown as who the email is from, e.g. Jane Smith. Also added at the end of messages."},
    {218, L"Your email", kFromAddress,
     L"The address the email comes from (and replies go to). It must be an address your mail server lets you send "
     L"as."},
};
const wchar_t kTipSsl[] =
    L"ON (recommended): the connection to your mail server is encrypted, normally on port 465.\n\nOFF: no "
    L"encryption, normally port 25 \u2014 only use this on a trusted local network.\n\nNote: port 587 (STARTTLS) "
    L"isn't supported by Windows' mail component; use 465.";
const wchar_t kTipClear[] =
    L"Removes the saved mail password from this PC. Typing in the Password box replaces it; leaving the box empty "
    L"keeps it.";
const wchar_t kTipTest[] = L"Sends a test email to your own address so you can check the settings work.";
const wchar_t kTipClose[] = L"Closes this window. Everything is already saved.";
const wchar_t kSavedCue[] = L"(saved \u2014 type to change)";

HWND Item(int id) { return g_window ? GetDlgItem(g_window, id) : nullptr; }

std::wstring TextOf(HWND control) { return WindowText(control); }

void SetStatus(const std::wstring& text) {
  if (g_status) SetWindowTextW(g_status, text.c_str());
}

void AddTip(HWND control, const wchar_t* tip) { AddControlTip(g_tooltip, g_window, control, tip); }

HWND Make(const wchar_t* cls, const wchar_t* text, DWORD style, DWORD exStyle, int x, int y, int w, int h, int id,
          const wchar_t* tip) {
  return MakeChildControl(g_window, g_tooltip, cls, text, style, exStyle, x, y, w, h, id, tip);
}

void SetPasswordCue(bool saved) {
  SendMessageW(Item(kPassword), EM_SETCUEBANNER, TRUE, reinterpret_cast<LPARAM>(saved ? kSavedCue : L""));
}

void CreateControls() {
  const MailSettings& mail = g_shareSettings.mail;
  g_filling = true;
  Make(L"STATIC", kIntro, 0, 0, 14, 10, 492, 40, -1, nullptr);
  for (const Row& row : kRows) {
    Make(L"STATIC", row.label, SS_RIGHT | SS_CENTERIMAGE | SS_NOTIFY, 0, 2, row.y, 120, 24, -1, row.tip);
    std::wstring initial;
    DWORD style = WS_TABSTOP | ES_AUTOHSCROLL;
    switch (row.id) {
      case kServer: initial = mail.server; break;
      case kPort: initial = std::to_wstring(mail.port); style |= ES_NUMBER; break;
      case kUser: initial = mail.user; break;
      case kPassword: style |= ES_PASSWORD; break;
      case kFromName: initial = mail.fromName; break;
      case kFromAddress: initial = mail.fromAddress; break;
    }
    Make(L"EDIT", initial.c_str(), style, WS_EX_CLIENTEDGE, 128, row.y, row.id == kPort ? 80 : 376, 24, row.id,
         row.tip);
  }
  Make(L"BUTTON", L"Use SSL/TLS encryption", WS_TABSTOP | BS_AUTOCHECKBOX, 0, 220, 90, 280, 24, kSsl, kTipSsl);
  CheckDlgButton(g_window, kSsl, mail.useSsl ? BST_CHECKED : BST_UNCHECKED);
  g_filling = false;
  Make(L"BUTTON", L"Send test email", WS_TABSTOP | BS_PUSHBUTTON, 0, 128, 256, 150, 30, kTest, kTipTest);
  Make(L"BUTTON", L"Clear password", WS_TABSTOP | BS_PUSHBUTTON, 0, 286, 256, 90, 30, kClearPassword, kTipClear);
  Make(L"BUTTON", L"Close", WS_TABSTOP | BS_DEFPUSHBUTTON, 0, 384, 256, 120, 30, kClose, kTipClose);
  g_status = Make(L"STATIC", L"", SS_CENTERIMAGE, 0, 14, 300, 492, 70, kStatus, nullptr);

  std::wstring saved = ReadPassword();
  SetPasswordCue(!saved.empty());
  WipeText(saved);
}

// The Send window's line about the mail server.
void RefreshMailLine() {
  if (!g_share.window) return;
  const MailSettings& mail = g_shareSettings.mail;
  const std::wstring line = mail.server.empty()
                                ? std::wstring(L"Email server: not set up yet (click Email Server\u2026).")
                                : L"Email is sent through " + mail.server + L" as " + mail.fromAddress + L".";
  SetDlgItemTextW(g_share.window, send_id::kMailLine, line.c_str());
}

void OnEdited(int id) {
  MailSettings& mail = g_shareSettings.mail;
  HWND box = Item(id);
  switch (id) {
    case kServer:
      mail.server = TrimSpace(TextOf(box));
      WriteSettingText(SettingName::MailServer, mail.server);
      break;
    case kUser:
      mail.user = TrimSpace(TextOf(box));
      WriteSettingText(SettingName::MailUser, mail.user);
      break;
    case kFromName:
      mail.fromName = TrimSpace(TextOf(box));
      g_shareSettings.senderName = mail.fromName;
      WriteSettingText(SettingName::MailFromName, mail.fromName);
      break;
    case kFromAddress:
      mail.fromAddress = TrimSpace(TextOf(box));
      WriteSettingText(SettingName::MailFromAddress, mail.fromAddress);
      break;
    case kPort: {
      const MailPort port = ParseMailPort(TextOf(box));
      mail.port = port.port;
      WriteSettingNumber(SettingName::MailPort, DWORD(mail.port));
      const std::wstring typed = TrimSpace(TextOf(box));
      if (!port.inRange && !typed.empty())
        SetStatus(L"Ports go from 1 to 65535, so 465 is used until you type one of those.");
      else if (port.inRange)
        SetStatus(L"");
      break;
    }
    case kPassword: {
      std::wstring typed = TextOf(box);
      if (!typed.empty()) StorePassword(typed);
      WipeText(typed);
      break;
    }
    default:
      return;
  }
  RefreshMailLine();
}

void OnSslClicked() {
  MailSettings& mail = g_shareSettings.mail;
  mail.useSsl = IsDlgButtonChecked(g_window, kSsl) == BST_CHECKED;
  WriteSettingNumber(SettingName::MailSSL, mail.useSsl ? 1 : 0);
  if (mail.port == 465 || mail.port == 25 || mail.port == 587)
    SetWindowTextW(Item(kPort), mail.useSsl ? L"465" : L"25");
}

void OnTestEmail() {
  const MailSettings& mail = g_shareSettings.mail;
  if (!mail.SetUp()) {
    MessageBoxW(g_window, L"Fill in at least the mail server and your email address first.", L"Email Server",
                MB_OK | MB_ICONINFORMATION);
    return;
  }
  EnableWindow(Item(kTest), FALSE);
  SetStatus(L"Sending a test email to " + mail.fromAddress + L"\u2026");
  if (!StartTestEmail(mail)) EnableWindow(Item(kTest), TRUE);
}

void OnClearPassword() {
  StorePassword(std::wstring());
  SetWindowTextW(Item(kPassword), L"");
  SetPasswordCue(false);
  SetStatus(L"The saved password was removed.");
}

void PlaceWindow(HWND window, HWND owner) {
  RECT frame = {0, 0, Scaled(kClientWidth), Scaled(kClientHeight)};
  AdjustWindowRectEx(&frame, DWORD(GetWindowLongPtrW(window, GWL_STYLE)), FALSE,
                     DWORD(GetWindowLongPtrW(window, GWL_EXSTYLE)));
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  RECT over = {0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (owner) GetWindowRect(owner, &over);
  SetWindowPos(window, nullptr, over.left + (over.right - over.left - width) / 2,
               over.top + (over.bottom - over.top - height) / 2, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

void SetMailTooltip(HWND tooltip) { g_tooltip = tooltip; }

void OpenMailServerWindow(HWND owner) {
  if (g_window) {
    SetForegroundWindow(g_window);
    return;
  }
  HWND window = CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_DLGMODALFRAME, L"FVMail", L"Email Server",
                                WS_POPUP | WS_CAPTION | WS_SYSMENU, 0, 0, 0, 0, owner, nullptr, g_ui.instance, nullptr);
  if (!window) return;
  g_window = window;
  PlaceWindow(window, owner);
  CreateControls();
  if (owner) EnableWindow(owner, FALSE);
  ShowWindow(window, SW_SHOW);
  SetFocus(Item(kServer));
}

void OnTestEmailResult(const SendResult& result) {
  if (!g_window) return;
  EnableWindow(Item(kTest), TRUE);
  if (result.ok) {
    SetStatus(L"It works! A test email was sent to " + g_shareSettings.mail.fromAddress + L".");
  } else {
    SetStatus(L"The test email failed.");
    MessageBoxW(g_window, result.text.c_str(), L"Email Server", MB_OK | MB_ICONWARNING);
  }
}

LRESULT CALLBACK MailWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND: {
      if (window != g_window) return 0;
      const int id = LOWORD(wParam), code = HIWORD(wParam);
      if (code == EN_CHANGE) {
        if (!g_filling) OnEdited(id);
        return 0;
      }
      if (id == kSsl && code == BN_CLICKED) OnSslClicked();
      if (id == kTest && code == BN_CLICKED) OnTestEmail();
      if (id == kClearPassword && code == BN_CLICKED) OnClearPassword();
      if ((id == kClose && code == BN_CLICKED) || id == IDCANCEL) SendMessageW(window, WM_CLOSE, 0, 0);
      return 0;  // Enter (IDOK) does nothing here
    }
    case WM_CTLCOLORSTATIC:
      if (reinterpret_cast<HWND>(lParam) == g_status) return StatusLineColours(reinterpret_cast<HDC>(wParam), kStatusColour);
      break;
    case WM_ERASEBKGND:
      return EraseToButtonFace(window, reinterpret_cast<HDC>(wParam));
    case WM_CLOSE: {
      HWND owner = GetWindow(window, GW_OWNER);
      if (owner) EnableWindow(owner, TRUE);
      DestroyWindow(window);
      if (owner) SetForegroundWindow(owner);
      return 0;
    }
    case WM_DESTROY:
      RemoveControlTips(g_tooltip, window);
      if (window == g_window) {
        g_window = nullptr;
        g_status = nullptr;
      }
      return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}
