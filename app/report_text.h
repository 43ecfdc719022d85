// The diagnostic report's text, composed from plain values the shell
// gathers (report_window.cpp does the gathering, saving and showing).
// Platform-neutral.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// A cached picture as the report describes it.
struct ReportPicture {
  bool present = false;
  int width = 0, height = 0;  // the bitmap's size
  int askedWidth = 0, askedHeight = 0;
  int rotation = 0;     // quarter turns
  double ink = -1;      // percent of pixels that aren't white, -1 when unknown
};

struct ReportPage {
  int fileIndex = 0;  // the page order entry (0-based)
  float paperWidth = 0, paperHeight = 0;  // 1/96 inch
  int screenWidth = 0, screenHeight = 0;
  ReportPicture big;
  int slotWidth = 0, slotHeight = 0, slotTop = 0;
  ReportPicture small;
};

struct ReportFacts {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  std::wstring version;
  int installMode = 0;  // 0 portable, 1 just this person, 2 everyone
  std::wstring programPath;
  bool updatesOffByInstaller = false;
  std::wstring productName, displayVersion, buildNumber;
  bool hasUbr = false;
  unsigned long ubr = 0;
  int screenWidth = 0, screenHeight = 0, monitors = 0, dpiNow = 96, dpiInUse = 96, colorDepth = 0;
  int windowLeft = 0, windowTop = 0, windowRight = 0, windowBottom = 0;
  bool maximized = false;
  int viewWidth = 0, viewHeight = 0;
  bool panelSetting = false;
  int panelWidth = 0, panelHeight = 0, panelScroll = 0, panelRange = 0;
  // The document.
  std::wstring documentPath;
  bool loaded = false, loading = false;
  int positions = 0, undoSteps = 0, selected = -1, editState = 0;
  bool orderChanged = false;
  std::wstring editReason;
  double zoom = 0;
  int zoomMode = 0, rotationDegrees = 0, scrollX = 0, scrollY = 0, generation = 0;
  bool password = false;
  bool documentOnPdfium = false;
  // The worker.
  size_t jobsWaiting = 0;
  bool busy = false;
  int jobKind = 0, jobPage = -1, jobWidth = 0, jobHeight = 0;
  bool bmpMode = false, pdfiumLoaded = false;
  std::wstring engineStatus;
  // Text and find.
  int textRead = 0, textPages = 0, textWaiting = 0, matches = 0, bookmarks = 0, sideView = 0;
  bool findOpen = false, selection = false;
  std::wstring findText;
  std::vector<ReportPage> pages;  // every position; the report lists the first 300
  unsigned long now = 0;
  std::wstring eventLog;  // lines ending in CR LF, oldest first
};

inline constexpr size_t kReportPageLines = 300;
inline constexpr size_t kReportLineChars = 1200;  // a line is cut to 1199 characters

// The whole report, every line ending in CR LF.
std::wstring ComposeReport(const ReportFacts& facts);

// Percent of the pixels whose colour (the low 24 bits) is not pure white;
// -1 without pixels.
double InkShare(const uint32_t* pixels, int width, int height);
