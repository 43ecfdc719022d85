// The decisions of opening a document that need no window: the first page
// order, what a reload keeps, the starting view and the messages of a
// failed open. Platform-neutral.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "doc/page_order.h"

// The pages of the file itself: the reported count, or the number of page
// sizes when that count is below 1.
int FilePageCount(int mainPageCount, int pageCount);

// The order installed on load: 0..n-1, or the pending order when it is not
// empty and names every source at most once within 0..pageCount-1.
PageOrder InitialOrder(int n, int pageCount, const PageOrder& pending);

// Pages brought in before a reload are kept when there are some and they
// and the file's own pages make up the whole page count.
bool KeepBroughtInPages(size_t pendingCount, int n, int pageCount);

struct OpeningView {
  int zoomMode = 0;     // 0 fit width, 1 fit page, 2 custom
  double zoom = 100.0;  // percent (the fit modes compute their own)
  int rotation = 0;
};
// The view a newly opened document starts with, from the DefaultZoom setting.
OpeningView StartViewFor(int defaultZoom);

// HRESULT-style statuses of an open.
inline constexpr uint32_t kOpenNoEngine = 0x80040154;
inline constexpr uint32_t kOpenWrongPassword = 0x80070056;
inline constexpr uint32_t kOpenPasswordNeeded = 0x8007052B;

inline bool IsOpenPasswordFailure(uint32_t hr) { return hr == kOpenWrongPassword || hr == kOpenPasswordNeeded; }

// The message box text for a failed open that is not a password failure.
std::wstring OpenFailureMessage(uint32_t hr, const std::wstring& path);

// The text after the last '\' or '/' of a path.
std::wstring DisplayNameOf(const std::wstring& path);

inline constexpr wchar_t kPasswordCaption[] = L"Password required";
// The password prompt's line: the first request, or the one after a
// password that was not accepted.
const wchar_t* PasswordPromptLine(bool triedWithPassword);
