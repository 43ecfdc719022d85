// The help that travels inside the program: the how-to-use text, the release
// notes of every version, the about text and the two web addresses, with the
// small rules that turn them into what the windows show. Platform-neutral.
#pragma once

#include <string>

#include "update/feed.h"

extern const wchar_t kHowToUseText[];
// One block per version, newest first, blocks separated by an empty line:
// "version (date)" and then lines that begin with a bullet and a blank.
extern const wchar_t kReleaseNotesText[];
// "Folivex %ls" ... "Updates: %ls" / "Download page: %ls".
extern const wchar_t kAboutFormat[];
extern const wchar_t kUserGuideAddress[];
extern const wchar_t kDownloadPageAddress[];

// The bullet lines of one version's block, each ending in a line feed;
// empty when the notes have no block for that version.
std::wstring ReleaseNotesOf(const std::wstring& notes, const std::wstring& version);

// What the notes window's text field holds: the header, then the body, with
// every line feed that has no carriage return before it given one (the
// field breaks lines only at CR LF).
std::wstring NotesFieldText(const std::wstring& header, const std::wstring& body);

// Versions compare as the update feed's do (CompareVersions, update/feed.h).

// Whether the start shows what's new: after an update (`/updated`), or when
// the version that ran last is known and older than this one.
bool ShouldShowWhatsNew(const std::wstring& seenVersion, bool updatedGiven, const std::wstring& running);

// printf-style formatting into a buffer of `capacity` characters: the result
// is cut to capacity - 1 characters, never refused for being long.
std::wstring FormatCapped(size_t capacity, const wchar_t* format, ...);
