#include "share/send_flow.h"

#include <windows.h>

#include "doc/doc_hooks.h"
#include "doc/document.h"
#include "share/compose.h"
#include "share/mail_window.h"
#include "share/send_job.h"
#include "share/send_ids.h"
#include "share/send_window.h"
#include "share/share_hooks.h"
#include "share/share_settings.h"
#include "ui/child_controls.h"
#include "ui/shell_ops.h"

namespace {

using namespace send_id;

ShareHooks g_hooks;

HWND Item(int id) { return g_share.window ? GetDlgItem(g_share.window, id) : nullptr; }

std::wstring BoxText(int id) { return WindowText(Item(id)); }

void Inform(const std::wstring& text, const wchar_t* caption = L"Send") {
  MessageBoxW(g_share.window, text.c_str(), caption, MB_OK | MB_ICONINFORMATION);
}

// A check failed: say why and put the keyboard where the fix goes.
void Refuse(const std::wstring& text, int focusId) {
  Inform(text);
  if (HWND box = Item(focusId)) SetFocus(box);
}

// The pages were rearranged and not saved: true when the send goes on.
bool AcceptUnsavedOrder() {
  const std::wstring intro =
      L"You rearranged the pages but haven't saved the new order, so the PDF file still has the old order.";
  if (g_hooks.saveDocument) {
    const int answer = MessageBoxW(
        g_share.window,
        (intro + L"\n\nSave the new order first, so the person gets the pages the way you see them?\n\n"
                 L"Yes \u2014 save, then send\nNo \u2014 send the file as it was last saved\nCancel \u2014 don't send")
            .c_str(),
        L"Send", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL || answer == 0) return false;
    if (answer == IDNO) return true;
    const bool saved = g_hooks.saveDocument(false);
    // Saving enables the main window when it ends; while the Send window is
    // open the main window stays disabled.
    if (g_share.window) EnableWindow(GetWindow(g_share.window, GW_OWNER), FALSE);
    return saved && g_share.window;
  }
  // Without saving at hand the choice is between the saved file and nothing.
  const int answer = MessageBoxW(
      g_share.window,
      (intro + L"\n\nSend the file as it was last saved?\n\nYes \u2014 send the file as it was last saved\n"
               L"No \u2014 don't send")
          .c_str(),
      L"Send", MB_YESNO | MB_ICONQUESTION);
  return answer == IDYES;
}

struct SendInputs {
  std::wstring name, email, mobile, messenger, subject;
  std::wstring message;  // without carriage returns
};

SendInputs ReadInputs() {
  SendInputs in;
  in.name = TrimSpace(BoxText(kTo));
  in.email = TrimSpace(BoxText(kEmail));
  in.mobile = TrimSpace(BoxText(kMobile));
  in.messenger = TrimSpace(BoxText(kMessenger));
  in.subject = TrimSpace(BoxText(kSubject));
  for (wchar_t c : BoxText(kMessage))
    if (c != L'\r') in.message += c;
  return in;
}

void RememberIfAsked(const SendInputs& in) {
  if (IsDlgButtonChecked(g_share.window, kRemember) != BST_CHECKED || in.name.empty()) return;
  if (in.email.empty() && in.mobile.empty() && in.messenger.empty()) return;
  RememberPerson({in.name, in.email, in.mobile, in.messenger});
  FillToList();
}

void SendByLink(int method, const SendInputs& in, const std::wstring& mobileDigits, bool fileSent,
                const std::wstring& path, const std::wstring& fileName) {
  HWND main = DocumentOwner();
  const std::wstring link = ChatLink(method, in.email, mobileDigits, MessengerHandle(in.messenger),
                                     !in.messenger.empty(), in.subject, in.message);
  if (method == kShareMessenger) CopyTextToClipboard(main, in.message);
  // A shell that can't open the Teams app gets the Teams web app instead;
  // other failures are the browser's business.
  if (!OpenWithShell(main, link) && method == kShareTeams) OpenWithShell(main, TeamsWebLink(in.email, in.message));
  const std::wstring label = ShareMethodLabel(method);
  if (fileSent) {
    const bool webMail = method == kShareGmail || method == kShareOutlook;
    CopyFileToClipboard(main, path);
    if (webMail) ShowInFolder(path);
    Inform(label + L" is opening with the message filled in.\n\nThe PDF (" + fileName + L") is copied: click in the " +
           (webMail ? L"new email" : L"chat") + L" and press Ctrl+V to add it" +
           (webMail ? L" (or drag it in from the File Explorer window)." : L".") + L" Then press Send.");
    SetShareStatus(L"The PDF is on the clipboard \u2014 press Ctrl+V in the chat, then Send.");
  } else if (method == kShareMessenger) {
    SetShareStatus(!in.messenger.empty()
                       ? L"Messenger opened with the message \u2014 if the box is empty, press Ctrl+V. Then Send."
                       : L"Messenger opened \u2014 pick the person, click in the message box, press Ctrl+V and Send.");
  } else {
    SetShareStatus(label + L" opened with the message filled in \u2014 just press Send.");
  }
}

// Email and text messages go on the send thread.
void StartBackgroundSend(int method, const SendInputs& in, const std::wstring& mobileDigits,
                         const std::wstring& attachment) {
  SendJob* job = new SendJob;
  job->method = method == kShareEmail ? 0 : 1;
  job->recipient = method == kShareEmail ? in.email : mobileDigits;
  job->name = in.name;
  job->subject = in.subject;
  job->message = in.message;
  job->attachment = attachment;
  job->mail = g_shareSettings.mail;
  job->phoneLinkAutoSend = g_share.phoneLinkAutoSend;
  HWND send = Item(kSend);
  g_share.sending = true;
  EnableWindow(send, FALSE);
  SetWindowTextW(send, L"Sending\u2026");
  SetShareStatus(method == kShareEmail
                     ? L"Sending the email\u2026"
                     : L"Sending the text \u2014 please don't touch the mouse or keyboard for a few seconds\u2026");
  if (!StartSendJob(job)) {
    g_share.sending = false;
    EnableWindow(send, TRUE);
    SetWindowTextW(send, L"Send");
  }
}

}  // namespace

void SetShareHooks(const ShareHooks& hooks) { g_hooks = hooks; }
const ShareHooks& GetShareHooks() { return g_hooks; }

bool FileWouldBeSent() { return g_share.sendPdf && g_doc.loaded && g_share.method != kShareText; }

void SendFromWindow() {
  // 1. Not while a job runs or the document is being saved.
  if (!g_share.window || g_share.sending || g_busy.saving) return;
  const int method = g_share.method;
  // What goes is decided now: a save may reopen the document meanwhile.
  const bool fileSent = FileWouldBeSent();
  const std::wstring path = g_doc.path, fileName = g_doc.displayName;

  // 2. Unsaved page order.
  if (fileSent && g_doc.pages.orderChanged && !AcceptUnsavedOrder()) return;

  // 3-5. The boxes and their checks.
  SendInputs in = ReadInputs();
  if (method == kShareEmail && in.email.empty()) {
    Refuse(L"Type their email address first (or pick a saved person in the To box).", kEmail);
    return;
  }
  std::wstring mobileDigits;
  if (method == kShareText || method == kShareWhatsApp) {
    if (in.mobile.empty()) {
      Refuse(L"Type their mobile number first (or pick a saved person in the To box).", kMobile);
      return;
    }
    mobileDigits = NormaliseMobile(in.mobile);
    if (mobileDigits.empty()) {
      Refuse(L"That mobile number doesn't look complete.\n\nUS and Canadian numbers need all 10 digits, e.g. (973) "
             L"555-1234. Numbers in other countries need a + and the country code, e.g. +44 7700 900123.",
             kMobile);
      return;
    }
  }

  // 6. An empty subject: the file name or the note's subject, for this send only.
  if (in.subject.empty()) in.subject = fileSent ? fileName : std::wstring(kNoteSubject);

  // 7. Remember the person.
  RememberIfAsked(in);

  // 8. The way.
  switch (method) {
    case kShareEmail:
      if (!g_shareSettings.mail.SetUp()) {
        Inform(L"First tell Folivex which mail server to send through. The Email Server window opens next; after "
               L"that, click Send again.",
               L"Send by email");
        OpenMailServerWindow(g_share.window);
        return;
      }
      StartBackgroundSend(method, in, mobileDigits, fileSent ? path : std::wstring());
      return;
    case kShareText:
      StartBackgroundSend(method, in, mobileDigits, std::wstring());
      return;
    case kShareJustCopy:
      if (fileSent) {
        CopyFileToClipboard(DocumentOwner(), path);
        SetShareStatus(L"The PDF is copied \u2014 paste it into any chat, email or folder with Ctrl+V.");
      } else {
        CopyTextToClipboard(DocumentOwner(), in.message);
        SetShareStatus(L"Message copied \u2014 paste it anywhere with Ctrl+V.");
      }
      return;
    default:
      SendByLink(method, in, mobileDigits, fileSent, path, fileName);
      return;
  }
}

void ShowInFolder(const std::wstring& path) {
  OpenWithShell(DocumentOwner(), L"explorer.exe", L"/select,\"" + path + L"\"");
}
