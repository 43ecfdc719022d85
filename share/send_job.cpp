#include "share/send_job.h"

#include <objbase.h>

#include "base/event_log.h"
#include "doc/doc_hooks.h"
#include "share/mail_send.h"
#include "share/mail_window.h"
#include "share/send_ids.h"
#include "share/send_result.h"
#include "share/send_window.h"
#include "share/text_message.h"
#include "ui/shell_ops.h"

namespace {

void Post(WPARAM kind, SendResult* result) {
  HWND main = DocumentOwner();
  if (!main || !PostMessageW(main, WM_FV_SEND_DONE, kind, reinterpret_cast<LPARAM>(result))) delete result;
}

DWORD WINAPI SendThread(void* parameter) {
  SendJob* job = static_cast<SendJob*>(parameter);
  const bool email = job->method == 0;
  const HRESULT com = CoInitializeEx(nullptr, email ? COINIT_APARTMENTTHREADED : COINIT_MULTITHREADED);
  SendResult* result = new SendResult(
      email ? SendMail(job->mail, job->recipient, job->subject, job->message, job->attachment) : SendText(*job));
  result->message = job->message;
  const WPARAM kind = email ? kSendDoneEmail : kSendDoneText;
  LogEvent(L"Send %ls: %ls", email ? L"email" : L"text", result->ok ? L"ok" : L"failed");
  delete job;
  if (SUCCEEDED(com)) CoUninitialize();
  Post(kind, result);
  return 0;
}

DWORD WINAPI TestEmailThread(void* parameter) {
  MailSettings* settings = static_cast<MailSettings*>(parameter);
  const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  SendResult* result = new SendResult(SendMail(
      *settings, settings->fromAddress, L"Folivex test email",
      L"This is a test from Folivex. If you're reading it, Folivex can send email through your mail server.", L""));
  delete settings;
  if (SUCCEEDED(com)) CoUninitialize();
  Post(kSendDoneTestEmail, result);
  return 0;
}

bool Start(LPTHREAD_START_ROUTINE entry, void* parameter) {
  HANDLE thread = CreateThread(nullptr, 0, entry, parameter, 0, nullptr);
  if (!thread) return false;
  CloseHandle(thread);
  return true;
}

}  // namespace

bool StartSendJob(SendJob* job) {
  if (Start(SendThread, job)) return true;
  delete job;
  return false;
}

bool StartTestEmail(const MailSettings& settings) {
  MailSettings* copy = new MailSettings(settings);
  if (Start(TestEmailThread, copy)) return true;
  delete copy;
  return false;
}

void HandleSendDone(WPARAM kind, LPARAM lParam) {
  SendResult* result = reinterpret_cast<SendResult*>(lParam);
  if (!result) return;
  if (kind == kSendDoneTestEmail) {
    OnTestEmailResult(*result);
    delete result;
    return;
  }
  g_share.sending = false;
  if (g_share.window) {
    HWND send = GetDlgItem(g_share.window, send_id::kSend);
    EnableWindow(send, TRUE);
    SetWindowTextW(send, L"Send");
  }
  HWND owner = g_share.window ? g_share.window : DocumentOwner();
  if (result->ok) {
    SetShareStatus(result->text);
    if (result->showBox) MessageBoxW(owner, result->text.c_str(), L"Send", MB_OK | MB_ICONINFORMATION);
  } else {
    std::wstring text = result->text;
    if (kind == kSendDoneText) {
      CopyTextToClipboard(DocumentOwner(), result->message);
      text += L"\n\nThe message has been copied. In Phone Link, click New message, enter the number, click in the "
              L"message box and press Ctrl+V, then Send.";
      OpenWithShell(nullptr, L"shell:AppsFolder\\Microsoft.YourPhone_8wekyb3d8bbwe!App");
      SetShareStatus(L"The text wasn't sent automatically.");
    } else {
      SetShareStatus(L"The email wasn't sent.");
    }
    MessageBoxW(owner, text.c_str(), L"Send", MB_OK | MB_ICONWARNING);
  }
  delete result;
}
