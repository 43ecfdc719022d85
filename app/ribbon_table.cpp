#include "app/ribbon_table.h"

namespace {

const RibbonButton kFile[] = {
    {40001, 0, L"Open",
     L"Open a PDF file  (Ctrl+O)\n\nPick a PDF on this PC to read it here. If you have changed the pages of the "
     L"PDF that's open and not saved them, Folivex asks first. You can also drag a PDF onto this window."},
    {40070, 29, L"Save", L"Save the new page order in the PDF file  (Ctrl+S)"
                         L"\n\nFolivex writes the pages, in the order you see them, into a new copy next to your "
                         L"file, reads that copy back to check every page, and only then puts it in place of the "
                         L"old file, so your PDF is never left half-saved. This button only wakes up after you "
                         L"have moved, deleted or brought in pages."},
    {40002, 1, L"Print",
     L"Print the document  (Ctrl+P)\n\nThe pages are printed in the order you see them, turned the way they are "
     L"shown. How big and how sharp they come out, and whether sideways pages are turned to fit the paper, is "
     L"set on the Settings tab."},
    {40003, 2, L"Close",
     L"Close the PDF that's open  (Ctrl+W)\n\nFolivex stays open, ready for the next PDF. If you have changed "
     L"the pages and not saved them, it asks first."},
};

const RibbonButton kPages[] = {
    {40012, 3, L"First", L"Go to the first page  (Home)"},
    {40010, 4, L"Previous", L"Go to the previous page  (Left arrow)"},
    {40011, 5, L"Next", L"Go to the next page  (Right arrow)"},
    {40013, 6, L"Last", L"Go to the last page  (End)"},
    {40014, 7, L"Go to\nPage",
     L"Jump straight to a page number  (Ctrl+G)\n\nType the number of the page you want and click OK."},
    {40080, 37, L"Find",
     L"Find a word or phrase in the document  (Ctrl+F)\n\nA search bar opens under the ribbon. Folivex "
     L"searches as you type and marks every place the words appear; press Enter or F3 for the next one and "
     L"Shift+F3 for the one before."},
};

const RibbonButton kZoom[] = {
    {40021, 8, L"Zoom\nOut",
     L"Make the pages smaller  (Ctrl+Minus, or hold Ctrl and roll the mouse wheel down)\n\nEach click is one "
     L"step, down to 10%."},
    {40020, 9, L"Zoom\nIn",
     L"Make the pages bigger  (Ctrl+Plus, or hold Ctrl and roll the mouse wheel up)\n\nEach click is one "
     L"step, up to 800%."},
    {40022, 10, L"Actual\nSize",
     L"Show the page at its real printed size  (Ctrl+1)\n\nThis is 100% zoom. The button stays lit while "
     L"the pages are shown at 100%."},
    {40023, 11, L"Fit\nWidth",
     L"Make the page fill the window from side to side  (Ctrl+2)\n\nThe pages keep fitting when you make "
     L"the window wider or narrower. The button stays lit while this is on."},
    {40024, 12, L"Fit\nPage",
     L"Show one whole page in the window  (Ctrl+0)\n\nEach page fits top to bottom, and keeps fitting when "
     L"you change the size of the window. The button stays lit while this is on."},
};

const RibbonButton kRotate[] = {
    {40030, 13, L"Rotate\nLeft",
     L"Turn every page a quarter turn counter-clockwise  (Ctrl+L)\n\nHandy for a scan that came out "
     L"sideways. This turns the pages on screen and when printing; the PDF file itself is not changed."},
    {40031, 14, L"Rotate\nRight",
     L"Turn every page a quarter turn clockwise  (Ctrl+R)\n\nHandy for a scan that came out sideways. This "
     L"turns the pages on screen and when printing; the PDF file itself is not changed."},
};

const RibbonGroup kHomeGroups[] = {
    {L"File", 0, kFile},
    {L"Pages", 0, kPages},
    {L"Zoom", 0, kZoom},
    {L"Rotate", 0, kRotate},
};

const RibbonButton kShow[] = {
    {40072, 31, L"Page\nPanel",
     L"Show or hide the page panel  (F4)\n\nThe page panel down the right side shows a small picture of "
     L"every page. Click a page to go to it, or drag it up or down to move it. The button stays lit while "
     L"the panel is shown."},
    {40086, 39, L"Second\nPDF",
     L"Open another PDF in a second Folivex window, side by side with this one\n\nThe two windows share the "
     L"screen half and half. Drag a page from one window's page panel into the other's to copy it; hold "
     L"Shift to move it instead."},
};

const RibbonButton kSelected[] = {
    {40074, 32, L"Move\nUp",
     L"Move the selected page one place earlier in the document  (Alt+Up)\n\nThe selected page is the one "
     L"you clicked in the page panel, or else the page you're reading. Nothing changes in the PDF file "
     L"itself until you click Save."},
    {40075, 33, L"Move\nDown",
     L"Move the selected page one place later in the document  (Alt+Down)\n\nThe selected page is the one "
     L"you clicked in the page panel, or else the page you're reading. Nothing changes in the PDF file "
     L"itself until you click Save."},
    {40076, 34, L"Move to\nFront",
     L"Make the selected page the first page of the document  (Alt+Home)\n\nThe selected page is the one "
     L"you clicked in the page panel, or else the page you're reading. Nothing changes in the PDF file "
     L"itself until you click Save."},
    {40077, 35, L"Move to\nBack",
     L"Make the selected page the last page of the document  (Alt+End)\n\nThe selected page is the one "
     L"you clicked in the page panel, or else the page you're reading. Nothing changes in the PDF file "
     L"itself until you click Save."},
    {40085, 38, L"Delete\nPage",
     L"Delete the selected page from the document  (Del)\n\nThe page is taken out of the document you see; "
     L"the PDF file itself keeps it until you click Save, and Undo brings it back. The last page that's "
     L"left can't be deleted."},
    {40073, 36, L"Undo",
     L"Take back the last change to the pages  (Ctrl+Z)\n\nUndo goes back one step at a time through your "
     L"moves, deletions and pages brought in from another PDF."},
};

const RibbonButton kSaveChanges[] = {
    {40070, 29, L"Save", L"Save your page changes in the PDF file  (Ctrl+S)"
                         L"\n\nFolivex writes the pages, in the order you see them, into a new copy next to your "
                         L"file, reads that copy back to check every page, and only then puts it in place of the "
                         L"old file, so your PDF is never left half-saved. This button only wakes up after you "
                         L"have moved, deleted or brought in pages."},
    {40071, 30, L"Save\nAs",
     L"Save the PDF, with the page order you see, under a new name  (Ctrl+Shift+S)\n\nThe new file gets the "
     L"pages as you see them now, and Folivex goes on with the new file. The file you opened stays as it "
     L"was."},
};

const RibbonGroup kOrganizeGroups[] = {
    {L"Show", 0, kShow},
    {L"The Selected Page", 0, kSelected},
    {L"Save the Changes", 0, kSaveChanges},
};

// The Settings tab shows ordinary controls (settings_tab.cpp) in four
// groups of fixed width.
const RibbonGroup kSettingsGroups[] = {
    {L"Opening", 262, {}},
    {L"View", 192, {}},
    {L"Printing", 244, {}},
    {L"Updates", 214, {}},
};

const RibbonButton kSend[] = {
    {40050, 15, L"Send\u2026",
     L"Send the PDF you're reading \u2014 or a note about Folivex \u2014 to someone.\n\nThe Send window opens: "
     L"pick the person, choose whether they get the PDF or a note with the download link, choose how it "
     L"goes (email, text message, WhatsApp, Messenger, Teams and more), look over the message and click "
     L"Send."},
};

const RibbonButton kSendWith[] = {
    {40051, 16, L"Email",
     L"Email the PDF you're reading (as an attachment) to someone. Folivex sends it itself through your own "
     L"mail server \u2014 no email program needed.\n\nThe first time, tell Folivex about your mail server "
     L"with the Email Server button on this tab."},
    {40054, 19, L"Text\nMessage",
     L"Text someone from your phone. Opens the Send window with Text message chosen: pick the person (or "
     L"type their mobile number) and click Send.\n\nThe text goes out from your own phone, through the Phone "
     L"Link app on this PC. A text can't carry the PDF itself, so it tells them about Folivex with its "
     L"download link."},
    {40053, 18, L"WhatsApp",
     L"Send by WhatsApp. The Send window opens with WhatsApp chosen; when you send the PDF, Folivex puts it "
     L"on the clipboard, so paste it into the chat with Ctrl+V."},
    {40052, 17, L"Messenger",
     L"Send by Facebook Messenger. The Send window opens with Messenger chosen; when you send the PDF, "
     L"Folivex puts it on the clipboard, so paste it into the chat with Ctrl+V."},
    {40065, 28, L"Teams",
     L"Send by Microsoft Teams. The Send window opens with Teams chosen; when you send the PDF, Folivex puts "
     L"it on the clipboard, so paste it into the chat with Ctrl+V."},
};

const RibbonButton kMore[] = {
    {40055, 20, L"Copy\nLink",
     L"Copies the Folivex download link so you can paste it anywhere. The link always gives the newest "
     L"version."},
    {40057, 0, L"Show in\nFolder",
     L"Opens File Explorer with the PDF you're reading selected, so you can copy it, drag it somewhere, or "
     L"put it on a USB stick."},
    {40066, 27, L"Email\nServer",
     L"Set up which mail server Folivex sends email through: server name, port, your login and your name. "
     L"You only need to do this once. Your password is encrypted by Windows."},
};

const RibbonGroup kShareGroups[] = {
    {L"Send", 0, kSend},
    {L"Send With", 0, kSendWith},
    {L"More", 0, kMore},
};

const RibbonButton kHelp[] = {
    {40060, 22, L"How to\nUse",
     L"Plain-English instructions for Folivex, including every keyboard shortcut.  (F1)"},
    {40087, 40, L"User\nGuide",
     L"Opens the Folivex User Guide in your web browser.\n\nIt shows everything Folivex can do, step by "
     L"step, with a short video tour."},
    {40061, 23, L"Check for\nUpdates",
     L"Checks right now whether a newer Folivex is available. If there is one, a yellow bar appears under "
     L"the ribbon with what's new and an Update now button. Folivex also checks by itself when it starts "
     L"and every 6 hours (Settings tab)."},
    {40062, 24, L"Download\nPage",
     L"Opens the Folivex download page in your web browser. It always has the newest version \u2014 handy "
     L"for putting Folivex on another PC."},
    {40063, 25, L"Release\nNotes",
     L"What changed in each version of Folivex, newest first. Folivex also shows this by itself the first "
     L"time it starts after an update."},
    {40078, 27, L"Diagnostic\nReport",
     L"Writes a text file describing what Folivex has been doing, for tracking down a problem on this "
     L"PC.\n\nThe file, \"Folivex diagnostics.txt\", is saved on your Desktop and also copied, so you can "
     L"paste it straight into an email to whoever is helping you."},
    {40064, 26, L"About", L"Shows which version of Folivex this is, the PDF engine inside it, and how it "
                          L"stays up to date."},
};

const RibbonGroup kHelpGroups[] = {
    {L"Help", 0, kHelp},
};

const RibbonTab kTabs[kRibbonTabCount] = {
    {L"Home", L"Open, save, print and close PDFs, move between pages, zoom and rotate.", kHomeGroups},
    {L"Organize", L"Change the pages: move them, delete them, bring pages in from a second PDF, undo, and save.",
     kOrganizeGroups},
    {L"Settings",
     L"How documents open, the background color, printing and automatic updates. Every change takes effect "
     L"immediately.",
     kSettingsGroups},
    {L"Share",
     L"Send the PDF you're reading, or a note about Folivex, to someone by email, text, WhatsApp, Messenger or "
     L"Teams.",
     kShareGroups},
    {L"Help", L"Instructions, updates, the download page, release notes and About.", kHelpGroups},
};

}  // namespace

std::span<const RibbonTab> RibbonTabs() { return kTabs; }

const RibbonButton* FindRibbonButton(unsigned short command) {
  for (const RibbonTab& tab : kTabs)
    for (const RibbonGroup& group : tab.groups)
      for (const RibbonButton& button : group.buttons)
        if (button.command == command) return &button;
  return nullptr;
}
