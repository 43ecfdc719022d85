#include "app/settings_tab.h"

#include <commctrl.h>

#include "app/app_state.h"
#include "app/ribbon.h"
#include "app/ribbon_table.h"
#include "doc/settings.h"

bool g_updatesOffByInstaller = false;

namespace {

enum Group { kOpening = 0, kView = 1, kPrinting = 2, kUpdates = 3 };

constexpr DWORD kLabelStyle = SS_NOTIFY | SS_CENTERIMAGE;
constexpr DWORD kListStyle = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
constexpr DWORD kCheckStyle = BS_AUTOCHECKBOX | WS_TABSTOP;
constexpr DWORD kButtonStyle = BS_PUSHBUTTON | WS_TABSTOP;
constexpr int kNoId = 0xFFFF;  // labels that send nothing of their own

constexpr wchar_t kTipOpenAt[] = L"How big the pages are when you open a PDF.";
constexpr wchar_t kTipReopen[] =
    L"ON: when you start Folivex without picking a file, it opens the PDF you had open last time, at the page "
    L"you were on.";
constexpr wchar_t kTipDefaultApp[] = L"Makes Folivex the program that opens when you double-click a PDF.";
constexpr wchar_t kTipBackground[] = L"The color around and between the pages.\n\nTakes effect immediately.";
constexpr wchar_t kTipShadows[] =
    L"ON: each page has a soft shadow, so it looks like a sheet of paper lying on the background.\n\nTakes "
    L"effect immediately.";
constexpr wchar_t kTipPrintSize[] = L"How big each page is printed.";
constexpr wchar_t kTipPrintQuality[] = L"How sharp printed pages are.";
constexpr wchar_t kTipAutoRotate[] =
    L"ON (recommended): a sideways (landscape) page is turned automatically so it prints as big as possible on "
    L"upright paper, and the other way round.";
constexpr wchar_t kTipAutoUpdate[] =
    L"ON (recommended): Folivex checks for a newer version when it starts and every 6 hours while it runs. "
    L"When one is found, a yellow bar appears under the ribbon with what's new and an Update now button \u2014 "
    L"nothing is installed until you click it.";

constexpr wchar_t kUpdatesLocked[] =
    L"Automatic update checks were switched off when Folivex was installed on this PC, so whoever looks after "
    L"this computer keeps it up to date.\n\nYou can still look for a new version yourself: Help tab \u2192 Check "
    L"for Updates.";

HWND g_defaultAppLabel = nullptr;

void AddTip(HWND tooltip, HWND ribbon, HWND control, const wchar_t* text) {
  if (!tooltip || !control) return;
  TOOLINFOW ti = {};
  ti.cbSize = sizeof(ti);
  ti.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
  ti.hwnd = ribbon;
  ti.uId = reinterpret_cast<UINT_PTR>(control);
  ti.lpszText = const_cast<wchar_t*>(text);
  SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&ti));
}

HWND Label(HWND tooltip, HWND ribbon, int group, const wchar_t* text, int x, int y, int w, int h, int id,
           const wchar_t* tip) {
  HWND label = AddRibbonSettingsControl(L"STATIC", text, kLabelStyle, group, x, y, w, h, id);
  AddTip(tooltip, ribbon, label, tip);
  return label;
}

void List(HWND tooltip, HWND ribbon, int group, int id, int x, int y, int w, std::initializer_list<const wchar_t*> items,
          int selection, const wchar_t* tip) {
  HWND list = AddRibbonSettingsControl(WC_COMBOBOXW, L"", kListStyle, group, x, y, w, 200, id);
  if (!list) return;
  for (const wchar_t* item : items) SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  SendMessageW(list, CB_SETCURSEL, WPARAM(selection), 0);
  AddTip(tooltip, ribbon, list, tip);
}

void Check(HWND tooltip, HWND ribbon, int group, int id, const wchar_t* text, int x, int y, int w, bool checked,
           const wchar_t* tip) {
  HWND box = AddRibbonSettingsControl(WC_BUTTONW, text, kCheckStyle, group, x, y, w, 22, id);
  if (!box) return;
  SendMessageW(box, BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
  AddTip(tooltip, ribbon, box, tip);
}

// The selection of a drop-down list, or -1 when none is valid.
int Selection(HWND list, int count) {
  LRESULT sel = list ? SendMessageW(list, CB_GETCURSEL, 0, 0) : CB_ERR;
  return sel >= 0 && sel < count ? int(sel) : -1;
}

bool Checked(HWND box) { return box && SendMessageW(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void Store(const wchar_t* name, int& variable, int value) {
  variable = value;
  WriteSettingNumber(name, uint32_t(value));
}

}  // namespace

void CreateSettingsTabControls(HWND ribbon, HWND tooltip) {
  const Settings& s = g_settings;
  Label(tooltip, ribbon, kOpening, L"Open PDFs at", 8, 6, 84, 23, kNoId, kTipOpenAt);
  List(tooltip, ribbon, kOpening, kIdDefaultZoom, 92, 6, 142, {L"Fit width", L"Fit page", L"Actual size (100%)"},
       s.DefaultZoom, kTipOpenAt);
  Check(tooltip, ribbon, kOpening, kIdReopenLast, L"Reopen the last PDF at startup", 8, 33, 224, s.ReopenLast != 0,
        kTipReopen);
  HWND setDefault = AddRibbonSettingsControl(WC_BUTTONW, L"Set as default PDF app\u2026", kButtonStyle, kOpening, 8,
                                             55, 164, 23, kIdSetDefaultApp);
  AddTip(tooltip, ribbon, setDefault, kTipDefaultApp);
  g_defaultAppLabel = Label(tooltip, ribbon, kOpening, L"", 178, 55, 80, 23, kIdDefaultAppLabel, kTipDefaultApp);

  Label(tooltip, ribbon, kView, L"Background", 8, 6, 76, 23, kNoId, kTipBackground);
  List(tooltip, ribbon, kView, kIdBackground, 84, 6, 106, {L"Dark gray", L"Light gray", L"Black", L"White"},
       s.Background, kTipBackground);
  Check(tooltip, ribbon, kView, kIdPageShadow, L"Page shadows", 8, 33, 176, s.PageShadow != 0, kTipShadows);

  Label(tooltip, ribbon, kPrinting, L"Print size", 8, 6, 84, 23, kNoId, kTipPrintSize);
  List(tooltip, ribbon, kPrinting, kIdPrintScale, 92, 6, 148, {L"Fit to paper", L"Actual size"}, s.PrintScale,
       kTipPrintSize);
  Label(tooltip, ribbon, kPrinting, L"Print quality", 8, 33, 84, 23, kNoId, kTipPrintQuality);
  List(tooltip, ribbon, kPrinting, kIdPrintQuality, 92, 33, 148,
       {L"Draft (150 dpi)", L"Normal (300 dpi)", L"High (600 dpi)"}, s.PrintQuality, kTipPrintQuality);
  Check(tooltip, ribbon, kPrinting, kIdPrintAutoRotate, L"Turn pages to match the paper", 8, 58, 230,
        s.PrintAutoRotate != 0, kTipAutoRotate);

  Check(tooltip, ribbon, kUpdates, kIdAutoUpdate, L"Check for updates automatically", 8, 6, 202, s.AutoUpdate != 0,
        kTipAutoUpdate);
  HWND checkNow =
      AddRibbonSettingsControl(WC_BUTTONW, L"Check now", kButtonStyle, kUpdates, 10, 34, 110, 26, kIdCheckNow);
  const RibbonButton* checkUpdates = FindRibbonButton(CMD_CHECK_UPDATES);
  AddTip(tooltip, ribbon, checkNow, checkUpdates ? checkUpdates->tooltip : L"");
}

SettingsEffect HandleSettingsTabCommand(HWND main, int id, int code, HWND control) {
  Settings& s = g_settings;
  auto list = [&](const wchar_t* name, int& variable, int count, SettingsEffect effect) {
    if (code != CBN_SELCHANGE) return SettingsEffect::None;
    int sel = Selection(control, count);
    if (sel < 0) return SettingsEffect::None;
    Store(name, variable, sel);
    return effect;
  };
  auto check = [&](const wchar_t* name, int& variable, SettingsEffect effect) {
    if (code != BN_CLICKED) return SettingsEffect::None;
    Store(name, variable, Checked(control) ? 1 : 0);
    return effect;
  };

  SettingsEffect effect = SettingsEffect::None;
  switch (id) {
    case kIdDefaultZoom:
      return list(SettingName::DefaultZoom, s.DefaultZoom, 3, SettingsEffect::ZoomModeChanged);
    case kIdReopenLast:
      return check(SettingName::ReopenLast, s.ReopenLast, SettingsEffect::None);
    case kIdBackground:
      effect = list(SettingName::Background, s.Background, 4, SettingsEffect::ViewRepainted);
      break;
    case kIdPageShadow:
      effect = check(SettingName::PageShadow, s.PageShadow, SettingsEffect::ViewRepainted);
      break;
    case kIdPrintScale:
      return list(SettingName::PrintScale, s.PrintScale, 2, SettingsEffect::None);
    case kIdPrintQuality:
      return list(SettingName::PrintQuality, s.PrintQuality, 3, SettingsEffect::None);
    case kIdPrintAutoRotate:
      return check(SettingName::PrintAutoRotate, s.PrintAutoRotate, SettingsEffect::None);
    case kIdAutoUpdate:
      if (code != BN_CLICKED) return SettingsEffect::None;
      if (g_updatesOffByInstaller) {
        if (control) SendMessageW(control, BM_SETCHECK, BST_UNCHECKED, 0);
        MessageBoxW(main, kUpdatesLocked, L"Folivex", MB_OK | MB_ICONINFORMATION);
        return SettingsEffect::None;
      }
      Store(SettingName::AutoUpdate, s.AutoUpdate, Checked(control) ? 1 : 0);
      return s.AutoUpdate ? SettingsEffect::UpdateCheckSoon : SettingsEffect::None;
    default:
      return SettingsEffect::None;
  }
  if (effect == SettingsEffect::ViewRepainted && g_app.pageView) InvalidateRect(g_app.pageView, nullptr, FALSE);
  return effect;
}

HWND SettingsDefaultAppLabel() { return g_defaultAppLabel; }
