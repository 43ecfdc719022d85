// The small rules of downloading and installing an update: file names,
// progress, the checks a downloaded file must pass, the installer's and the
// restarted copy's command lines, and the update bar's text. Platform-neutral.
#pragma once

#include <cstdint>
#include <string>

// The download's progress in percent, 0 to 100; sizes of any magnitude.
int DownloadPercent(uint64_t done, uint64_t expected);

// Where the download goes in the temporary folder (which ends in a
// separator): "Folivex-update-<version>.exe" for a portable copy,
// "Folivex-Setup-<version>.exe" for an installed one.
std::wstring DownloadFileName(const std::wstring& tempFolder, const std::wstring& version, bool installed);

// The smallest download that can be a program file.
inline constexpr uint64_t kSmallestDownload = 20000;

// 64 hexadecimal digits, lower case, of a 32-byte digest.
std::wstring HexDigest(const uint8_t digest[32]);
// The feed's checksum against the computed one, ignoring case.
bool SameChecksum(const std::wstring& computed, const std::wstring& expected);

// The downloaded file's version resource against the feed: the product name
// ("Folivex", or "Folivex Setup" for the installer) ignoring case, and the
// product version equal to the feed's version as versions compare.
bool ExpectedProduct(const std::wstring& productName, const std::wstring& productVersion, bool installer,
                     const std::wstring& feedVersion);

// "/S /UPDATE /ALLUSERS /D=<folder>" (everyone) or ".../CURRENTUSER ..."
// (just this person); the folder without trailing backslashes.
std::wstring InstallerParameters(bool forEveryone, std::wstring folder);

// The new copy's command line: "/updated <old>", then, with a document,
// " /page <n> \"<path>\"" (n counted from 1).
std::wstring RestartArguments(const std::wstring& oldVersion, int pageFromOne, const std::wstring& path);

// The first line of the notes without leading blanks, asterisks, hyphens
// and bullets, at most 150 characters.
std::wstring NotesSummary(const std::wstring& notes);

// The update bar's line while offering and while downloading (a negative
// percent shows as 0).
std::wstring OfferText(const std::wstring& newVersion, const std::wstring& running, const std::wstring& notes);
std::wstring DownloadingText(const std::wstring& newVersion, int percent);
