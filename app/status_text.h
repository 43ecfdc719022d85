// The texts of the status bar and the window title, as plain functions of
// the document's state.
#pragma once
#include <string>

constexpr size_t kStatusMessageBuffer = 300;  // characters, terminator included

// Status field 0: "  Page 3 of 12", or "  Loading..." / "  No document" without a document.
std::wstring StatusPageText(bool loaded, bool loading, int position, int count);
// Status field 1: "  Zoom 88% (fit width)"; empty without a document.
std::wstring StatusZoomText(bool loaded, int zoomMode, double zoomPercent);
// Status field 2: "  Rotation 180°"; empty without a document.
std::wstring StatusRotationText(bool loaded, int rotation);
// Status field 3: "  " and the message, cut to fit the 300-character buffer.
std::wstring StatusMessageText(const std::wstring& message);
// "* name.pdf - Folivex" (star while the page order has unsaved changes), or
// "Folivex" without a document.
std::wstring TitleText(bool loaded, bool orderChanged, const std::wstring& displayName);
