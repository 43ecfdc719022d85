// The user's settings: values of HKEY_CURRENT_USER\Software\Corvane\Folivex,
// read once at start into g_settings and written back when the user changes
// them. UI thread only.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

#include "doc/settings_values.h"

inline constexpr wchar_t kSettingsKeyPath[] = L"Software\\Corvane\\Folivex";

// The numbers read at start, already range-checked (0/1 for on/off values).
struct Settings {
  int DefaultZoom = 0;      // 0 fit width, 1 fit page, 2 actual size
  int ReopenLast = 1;       // reopen LastFile when no file was given
  int Background = 0;       // 0 dark gray, 1 light gray, 2 black, 3 white
  int PageShadow = 1;       // shadow under each page
  int PrintScale = 0;       // 0 fit to paper, 1 actual size
  int PrintQuality = 1;     // 0 draft 150 dpi, 1 normal 300 dpi, 2 high 600 dpi
  int PrintAutoRotate = 1;  // turn pages to match the paper
  int AutoUpdate = 1;       // check for updates (forced off in memory by the installer policy)
  int PagePanel = 1;        // the page panel is shown
};
extern Settings g_settings;

// The four registry operations. Reads fall back to the default on any
// failure or type mismatch; write failures are ignored.
//
// ReadSettingNumber: only a REG_DWORD of exactly 4 bytes is used.
uint32_t ReadSettingNumber(const wchar_t* name, uint32_t defaultValue);
void WriteSettingNumber(const wchar_t* name, uint32_t value);
// ReadSettingText: only a REG_SZ of at most kMaxSettingTextBytes bytes is
// used; the text ends at the first NUL or at the end of the data.
std::wstring ReadSettingText(const wchar_t* name, const std::wstring& defaultValue);
// Stores REG_SZ including the terminating NUL.
void WriteSettingText(const wchar_t* name, const std::wstring& text);

// A number value read and range-checked by its table rule (settings_values.h).
// The name must be one of the number values there.
int LoadNumberSetting(const wchar_t* name);

// Fills g_settings in start-up order: DefaultZoom, ReopenLast, Background,
// PageShadow, PrintScale, PrintQuality, PrintAutoRotate, AutoUpdate,
// PagePanel. Writes nothing.
void LoadStartupSettings();

// Values read or written at particular moments rather than kept in memory.
std::wstring ReadLastFile();  // empty when missing
void WriteLastFile(const std::wstring& path);
int ReadLastPage();  // 0 when missing
void WriteLastPage(int position);
std::wstring ReadSeenVersion();  // empty when missing
void WriteSeenVersion(const std::wstring& version);
// True only for a REG_BINARY value of exactly sizeof(WINDOWPLACEMENT) bytes.
// Whether its rectangle lies on a monitor is for the caller to check.
bool ReadWindowPlacement(WINDOWPLACEMENT& placement);
void WriteWindowPlacement(const WINDOWPLACEMENT& placement);

// Binary values of any size. ReadSettingBinary is true only for a REG_BINARY
// value (possibly empty) and then fills `data`; otherwise `data` is emptied.
bool ReadSettingBinary(const wchar_t* name, std::vector<uint8_t>& data);
void WriteSettingBinary(const wchar_t* name, const void* data, uint32_t size);
// Removes a value; a missing key or value is not a failure.
void DeleteSettingValue(const wchar_t* name);
