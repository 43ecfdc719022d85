#include "ui/ui_context.h"

#include "base/handles.h"

UiContext g_ui;

namespace {

HFONT MakeFont(int px, int weight) {
  return CreateFontW(-Scaled(px), 0, 0, 0, weight, FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                     CLIP_DEFAULT_PRECIS, CLEARTYPE_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"Segoe UI");
}

}  // namespace

int Scaled(int px) { return MulDiv(px, g_ui.dpi, 96); }

void ReadDpiAndMakeFonts() {
  {
    WindowDc screen(nullptr);
    g_ui.dpi = screen ? GetDeviceCaps(screen.Get(), LOGPIXELSX) : 96;
  }
  if (g_ui.dpi <= 0) g_ui.dpi = 96;
  g_ui.fontNormal = MakeFont(12, 400);
  g_ui.fontBold = MakeFont(12, 600);
  g_ui.fontLarge = MakeFont(18, 400);
}

HINSTANCE UiInstance() { return g_ui.instance ? g_ui.instance : GetModuleHandleW(nullptr); }
