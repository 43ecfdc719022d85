#include "app/help_texts.h"

#include <cstdarg>
#include <cwchar>
#include <vector>

// The texts use "\u2022 " for bullets and "\u2014" for dashes.

const wchar_t kHowToUseText[] =
    L"FOLIVEX \u2014 HOW TO USE\n"
    L"\n"
    L"OPENING A PDF\n"
    L"\u2022 Click Open (Ctrl+O) and pick a PDF, or drag a PDF from File Explorer onto the window.\n"
    L"\u2022 If Folivex is your default PDF app, double-clicking a PDF opens it here.\n"
    L"\u2022 Each Folivex window shows one PDF. To read a second one beside it, click the Second PDF button.\n"
    L"\u2022 Folivex remembers the last PDF and page you were reading and opens them again next time (Settings tab).\n"
    L"\u2022 A PDF that is protected with a password asks for it before it opens.\n"
    L"\n"
    L"MOVING AROUND\n"
    L"\u2022 Roll the mouse wheel or use the scroll bar to move through the pages; they run in one long column.\n"
    L"\u2022 Page Up and Page Down move a screen at a time; Home and End go to the first and last page.\n"
    L"\u2022 The First, Previous, Next and Last buttons move a page at a time; Go to Page (Ctrl+G) jumps to a "
    L"page number.\n"
    L"\u2022 Hold the left mouse button on a page and drag to push the page around.\n"
    L"\u2022 Click a bookmark in the side panel to jump to its place; click a link in the page to follow it.\n"
    L"\n"
    L"FINDING TEXT\n"
    L"\u2022 Press Ctrl+F (or click Find) and type: Folivex searches as you type and marks every place the "
    L"words appear.\n"
    L"\u2022 Enter or F3 goes to the next place, Shift+F3 to the one before. Esc closes the search bar.\n"
    L"\u2022 Finding needs the built-in PDF engine; a scanned page that is only a picture has no words to find.\n"
    L"\n"
    L"SELECTING AND COPYING TEXT\n"
    L"\u2022 Drag across words with the mouse to select them, then press Ctrl+C to copy them.\n"
    L"\u2022 Ctrl+A selects all the text of the page you are reading.\n"
    L"\u2022 Paste the copied words anywhere with Ctrl+V.\n"
    L"\n"
    L"ZOOM\n"
    L"\u2022 Zoom In and Zoom Out (Ctrl+Plus, Ctrl+Minus, or Ctrl and the mouse wheel) go in steps from 10% to "
    L"800%.\n"
    L"\u2022 Fit Width (Ctrl+2) fills the window from side to side; Fit Page (Ctrl+0) shows one whole page; "
    L"Actual Size (Ctrl+1) is the real printed size.\n"
    L"\u2022 Which of these a PDF opens with is chosen on the Settings tab.\n"
    L"\n"
    L"ROTATE\n"
    L"\u2022 Rotate Left (Ctrl+L) and Rotate Right (Ctrl+R) turn every page a quarter turn, handy for a "
    L"sideways scan.\n"
    L"\u2022 Turning changes the screen and printing only; the PDF file itself stays as it is.\n"
    L"\n"
    L"CHANGING THE PAGES (page panel and Organize tab)\n"
    L"\u2022 Show the page panel with the Page Panel button (F4): a small picture of every page runs down the "
    L"right side.\n"
    L"\u2022 Click a page in the panel to go to it. Drag it up or down to move it to another place.\n"
    L"\u2022 On the Organize tab, Move Up (Alt+Up), Move Down (Alt+Down), Move to Front (Alt+Home) and Move to "
    L"Back (Alt+End) move the selected page; Delete Page (Del) takes it out.\n"
    L"\u2022 Right-click a page in the panel for the same choices.\n"
    L"\u2022 Undo (Ctrl+Z) takes back your changes one at a time.\n"
    L"\u2022 Nothing changes in the file until you click Save (Ctrl+S). Folivex writes a new copy, checks every "
    L"page of it, and only then puts it in place of the old file, so your PDF is never left half-saved.\n"
    L"\u2022 Save As (Ctrl+Shift+S) writes the pages as you see them into a new file and leaves the old one "
    L"alone.\n"
    L"\n"
    L"TAKING PAGES FROM ONE PDF INTO ANOTHER (two windows)\n"
    L"\u2022 Click Second PDF and pick the other PDF: the two windows share the screen half and half.\n"
    L"\u2022 Drag a page from one window's page panel into the other window's panel to copy it there.\n"
    L"\u2022 Hold Shift while you drop to move the page instead of copying it.\n"
    L"\u2022 The page is only really added when you save the PDF that received it; Undo takes it out again.\n"
    L"\n"
    L"PRINT\n"
    L"\u2022 Print (Ctrl+P) lets you choose all pages, the current page, or a range like 1-3,7.\n"
    L"\u2022 The pages print in the order you see them, turned the way they are shown.\n"
    L"\u2022 The Settings tab chooses fit to paper or actual size, the print quality, and whether sideways "
    L"pages are turned to fit the paper.\n"
    L"\n"
    L"SENDING TO SOMEONE (Share tab)\n"
    L"\u2022 Send opens a window where you pick the person, choose the PDF or a note about Folivex, and how it "
    L"goes.\n"
    L"\u2022 Email goes out through your own mail server: set it up once with the Email Server button.\n"
    L"\u2022 A text message goes from your own phone through the Phone Link app.\n"
    L"\u2022 For WhatsApp, Messenger, Teams, Gmail and Outlook.com, Folivex opens the chat or web mail and puts "
    L"the PDF on the clipboard: paste it with Ctrl+V.\n"
    L"\u2022 People you send to are remembered for next time.\n"
    L"\n"
    L"UPDATES\n"
    L"\u2022 Folivex checks for a newer version when it starts and every 6 hours (you can switch this off on "
    L"the Settings tab). When one is found, a yellow bar appears under the ribbon; nothing is installed until "
    L"you click Update now.\n"
    L"\u2022 The portable copy, Folivex.exe, updates itself in place and restarts in a few seconds with your "
    L"PDF and page. Keep it outside Program Files, for example on the Desktop or in C:\\Tools, so that it can "
    L"update itself.\n"
    L"\u2022 The installed copy, from Folivex-Setup.exe, is updated through its installer. A copy installed "
    L"for everyone on the PC asks for an administrator's permission each time.\n"
    L"\u2022 Check for Updates on the Help tab looks right away. Your settings are kept.\n"
    L"\n"
    L"KEYBOARD SHORTCUTS\n"
    L"Ctrl+O\t\tOpen a PDF\n"
    L"Ctrl+W\t\tClose the PDF\n"
    L"Ctrl+P\t\tPrint\n"
    L"Ctrl+S\t\tSave the page changes\n"
    L"Ctrl+Shift+S\tSave as a new file\n"
    L"Ctrl+G\t\tGo to a page\n"
    L"Home / End\tFirst / last page\n"
    L"Ctrl+Home\tFirst page\n"
    L"Ctrl+End\t\tLast page\n"
    L"Ctrl+Plus\t\tZoom in\n"
    L"Ctrl+Minus\tZoom out\n"
    L"Ctrl+wheel\tZoom in or out\n"
    L"Ctrl+0\t\tFit page\n"
    L"Ctrl+1\t\tActual size\n"
    L"Ctrl+2\t\tFit width\n"
    L"Ctrl+L\t\tRotate left\n"
    L"Ctrl+R\t\tRotate right\n"
    L"Ctrl+F\t\tFind\n"
    L"F3\t\tFind next\n"
    L"Shift+F3\t\tFind previous\n"
    L"Ctrl+C\t\tCopy the selected text\n"
    L"Ctrl+A\t\tSelect all text on the page\n"
    L"F4\t\tShow or hide the page panel\n"
    L"Alt+Up\t\tMove the page up\n"
    L"Alt+Down\t\tMove the page down\n"
    L"Alt+Home\tMove the page to the front\n"
    L"Alt+End\t\tMove the page to the back\n"
    L"Del\t\tDelete the page\n"
    L"Ctrl+Z\t\tUndo\n"
    L"F1\t\tThis help\n";

const wchar_t kReleaseNotesText[] =
    L"1.6.2 (2026-11-16)\n"
    L"\u2022 When you drag a page into a second Folivex window, its picture now follows the mouse all the way "
    L"across.\n"
    L"\u2022 User Guide now opens the guide on the web, with a short video tour.\n"
    L"\n"
    L"1.6.1 (2026-11-16)\n"
    L"\u2022 New User Guide button on the Help tab.\n"
    L"\u2022 The built-in help (F1) describes everything Folivex can do now.\n"
    L"\n"
    L"1.6.0 (2026-11-16)\n"
    L"\u2022 Take pages from one PDF into another: drag them between two Folivex windows.\n"
    L"\u2022 Delete Page takes a page out of the document.\n"
    L"\u2022 Right-click a page in the page panel for its choices.\n"
    L"\u2022 Undo now also brings back deleted pages and takes out pages you brought in.\n"
    L"\u2022 Saving writes such files in full, checked page by page before they replace the old file.\n"
    L"\n"
    L"1.5.1 (2026-11-16)\n"
    L"\u2022 Folivex can now be installed: for just you or for everyone on the PC. Silent installation with "
    L"/S, /ALLUSERS, /DESKTOP and /NOUPDATES.\n"
    L"\u2022 Installed copies update through the installer.\n"
    L"\u2022 The diagnostic report says whether the copy is portable or installed.\n"
    L"\n"
    L"1.5.0 (2026-11-16)\n"
    L"\u2022 The PDFium engine is now built in: pages look sharper and open faster.\n"
    L"\u2022 Find text as you type, select and copy text.\n"
    L"\u2022 Links in PDFs work, and bookmarks show in the side panel.\n"
    L"\u2022 The Page Panel button moved to the Organize tab.\n"
    L"\u2022 On Windows 8.1, Folivex falls back to the Windows PDF engine when needed.\n"
    L"\n"
    L"1.4.2 (2026-11-15)\n"
    L"\u2022 New diagnostic report on the Help tab, for tracking down problems.\n"
    L"\u2022 The page panel draws its pictures in a better order: the ones you see first.\n"
    L"\n"
    L"1.4.1 (2026-11-15)\n"
    L"\u2022 Tooltips and the picture that follows a dragged page work better.\n"
    L"\u2022 The page panel has a heading.\n"
    L"\n"
    L"1.4.0 (2026-11-14)\n"
    L"\u2022 New page panel with a small picture of every page.\n"
    L"\u2022 Rearrange pages by dragging them, or with the new Organize tab.\n"
    L"\u2022 Save and Save As write the new page order; saving is careful and never leaves a half-written "
    L"file.\n"
    L"\u2022 Printing follows the order on the screen.\n"
    L"\n"
    L"1.3.0 (2026-11-13)\n"
    L"\u2022 Make Folivex your default PDF app from the Settings tab; it repairs the link by itself when you "
    L"move Folivex.exe.\n"
    L"\u2022 Folivex runs on Windows 8.1 too.\n"
    L"\n"
    L"1.2.0 (2026-11-06)\n"
    L"\u2022 New Send window: send a PDF or a note about Folivex to someone.\n"
    L"\u2022 Email through your own mail server, text messages through Phone Link, and WhatsApp, Messenger "
    L"and Teams.\n"
    L"\u2022 The people you send to are saved.\n"
    L"\n"
    L"1.1.0 (2026-11-05)\n"
    L"\u2022 New ribbon with large buttons.\n"
    L"\u2022 Automatic updates.\n"
    L"\u2022 Settings tab and Share tab.\n"
    L"\u2022 Release notes on the Help tab.\n"
    L"\u2022 The window opens where you left it.\n"
    L"\n"
    L"1.0.0 (2026-11-04)\n"
    L"\u2022 The first release: a tiny, portable PDF viewer on the Windows PDF engine.\n";

const wchar_t kAboutFormat[] =
    L"Folivex %ls\n"
    L"A tiny, portable PDF viewer \u2014 one EXE, nothing to install.\n"
    L"\n"
    L"Pages are drawn, searched and read with PDFium, the open-source PDF engine. It is packed inside "
    L"Folivex.exe; its licence notices are in the notices file on the download page.\n"
    L"\n"
    L"Updates: %ls\n"
    L"Download page: %ls";

const wchar_t kUserGuideAddress[] = L"https://www.corvane.com/folivex/manual/";
const wchar_t kDownloadPageAddress[] = L"https://www.corvane.com/folivex/download/";

namespace {

std::vector<std::wstring> SplitLines(const std::wstring& text) {
  std::vector<std::wstring> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

}  // namespace

std::wstring ReleaseNotesOf(const std::wstring& notes, const std::wstring& version) {
  std::wstring out;
  bool inBlock = false;
  const std::wstring heading = version + L" (";
  for (const std::wstring& line : SplitLines(notes)) {
    if (line.empty()) {
      if (inBlock) break;
      continue;
    }
    if (!inBlock) {
      inBlock = line.compare(0, heading.size(), heading) == 0;
      continue;
    }
    out += line;
    out += L'\n';
  }
  return out;
}

std::wstring NotesFieldText(const std::wstring& header, const std::wstring& body) {
  const std::wstring joined = header + body;
  std::wstring out;
  out.reserve(joined.size() + joined.size() / 16);
  for (size_t i = 0; i < joined.size(); ++i) {
    if (joined[i] == L'\n' && (i == 0 || joined[i - 1] != L'\r')) out += L'\r';
    out += joined[i];
  }
  return out;
}

bool ShouldShowWhatsNew(const std::wstring& seenVersion, bool updatedGiven, const std::wstring& running) {
  if (updatedGiven) return true;
  return !seenVersion.empty() && CompareVersions(seenVersion, running) < 0;
}

std::wstring FormatCapped(size_t capacity, const wchar_t* format, ...) {
  if (capacity == 0) return std::wstring();
  // vswprintf refuses a result that doesn't fit; grow until it does, then cut.
  std::vector<wchar_t> buffer(capacity < 256 ? 256 : capacity);
  for (;;) {
    va_list args;
    va_start(args, format);
    int n = vswprintf(buffer.data(), buffer.size(), format, args);
    va_end(args);
    if (n >= 0) {
      std::wstring text(buffer.data(), size_t(n));
      if (text.size() > capacity - 1) text.resize(capacity - 1);
      return text;
    }
    if (buffer.size() >= (size_t(1) << 22)) return std::wstring();
    buffer.resize(buffer.size() * 4);
  }
}
