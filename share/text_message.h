// The text branch of the send thread: Quenlo over its named pipe first,
// then the Phone Link app. Send thread only; the thread's COM apartment is
// multi-threaded.
#pragma once

#include <string>

#include "share/send_job.h"
#include "share/send_result.h"

inline constexpr wchar_t kQuenloPipe[] = L"\\\\.\\pipe\\Quenlo.Send";

// The text to "+" + job.recipient with job.message.
SendResult SendText(const SendJob& job);

// Quenlo alone, through the pipe of that name. False when Quenlo couldn't
// be reached or didn't take the whole request (then nothing was sent and
// `result` is untouched); true with the outcome otherwise. The reply is
// awaited at most replyTimeoutMs.
bool SendThroughQuenlo(const wchar_t* pipeName, const std::wstring& to, const std::wstring& message,
                       DWORD replyTimeoutMs, SendResult& result);
