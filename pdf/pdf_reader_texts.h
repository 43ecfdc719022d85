// The reasons the PDF structure reader gives for refusing a file.
#pragma once

inline constexpr char kTextHeader[] =
    "This file doesn't start the way a PDF should, so Folivex won't change it.";
inline constexpr char kTextNoStartxref[] =
    "This PDF's internal table of contents is missing (the file may be damaged), so Folivex can't "
    "rearrange it.";
inline constexpr char kTextStartxrefValue[] =
    "This PDF's internal table of contents can't be read (the file may be damaged).";
inline constexpr char kTextDamaged[] =
    "This PDF's internal table of contents is damaged, so Folivex can't rearrange it.";
inline constexpr char kTextTooManySections[] =
    "This PDF has been changed too many times for Folivex to follow.";
inline constexpr char kTextBadStream[] =
    "This PDF's internal table of contents can't be read (it may be damaged or use a feature "
    "Folivex doesn't support).";
inline constexpr char kTextIncomplete[] =
    "This PDF's internal table of contents is incomplete, so Folivex can't rearrange it.";
inline constexpr char kTextEncrypted[] =
    "This PDF is password-protected (encrypted). Folivex can't rearrange the pages of protected "
    "PDFs.";
inline constexpr char kTextRootNotReference[] =
    "This PDF's internal table of contents is not in the usual form.";
inline constexpr char kTextCatalog[] = "Folivex couldn't read this PDF's catalog (the file may be damaged).";
inline constexpr char kTextNoPagesReference[] = "Folivex couldn't find this PDF's list of pages.";
inline constexpr char kTextNodeUnreadable[] =
    "Folivex couldn't read this PDF's list of pages (the file may be damaged or use a feature "
    "Folivex doesn't support).";
inline constexpr char kTextBadKids[] = "Folivex couldn't read this PDF's list of pages.";
inline constexpr char kTextLoop[] = "This PDF's list of pages loops back on itself (the file is damaged).";
inline constexpr char kTextTooManyPages[] = "This PDF has too many pages.";
inline constexpr char kTextNoPages[] = "This PDF has no pages.";
inline constexpr char kTextRootWithoutKids[] = "This PDF's list of pages is not in the usual form.";
