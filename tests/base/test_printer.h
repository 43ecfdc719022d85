// A printer for tests: Wine's PostScript driver with a Letter-only 300-dpi
// PPD of our own, whose port is a Unix file path, so that every job lands in
// that file. Added to the prefix when missing (a fresh prefix has no printer
// and no driver), pointed at the wanted file when present, and made the
// default printer.
#pragma once
#include <windows.h>
#include <winspool.h>

#include <string>

inline constexpr wchar_t kTestPrinterName[] = L"Folivex Test Printer";

inline constexpr char kTestPrinterPpd[] =
    "*PPD-Adobe: \"4.3\"\n*FormatVersion: \"4.3\"\n*FileVersion: \"1.0\"\n*LanguageVersion: English\n"
    "*LanguageEncoding: ISOLatin1\n*PCFileName: \"FVTEST.PPD\"\n*Manufacturer: \"Folivex\"\n"
    "*Product: \"(Folivex test printer)\"\n*ModelName: \"Folivex test printer\"\n"
    "*ShortNickName: \"Folivex test printer\"\n*NickName: \"Folivex test printer\"\n*PSVersion: \"(3010) 0\"\n"
    "*LanguageLevel: \"3\"\n*ColorDevice: True\n*DefaultColorSpace: RGB\n*FileSystem: False\n*Throughput: \"1\"\n"
    "*TTRasterizer: Type42\n*DefaultResolution: 300dpi\n"
    "*OpenUI *PageSize: PickOne\n*OrderDependency: 10 AnySetup *PageSize\n*DefaultPageSize: Letter\n"
    "*PageSize Letter/Letter: \"<</PageSize[612 792]/ImagingBBox null>>setpagedevice\"\n*CloseUI: *PageSize\n"
    "*OpenUI *PageRegion: PickOne\n*OrderDependency: 10 AnySetup *PageRegion\n*DefaultPageRegion: Letter\n"
    "*PageRegion Letter/Letter: \"<</PageSize[612 792]/ImagingBBox null>>setpagedevice\"\n"
    "*CloseUI: *PageRegion\n*DefaultImageableArea: Letter\n*ImageableArea Letter/Letter: \"0 0 612 792\"\n"
    "*DefaultPaperDimension: Letter\n*PaperDimension Letter/Letter: \"612 792\"\n";

// Makes the test printer print into `unixPath` and the default printer.
// False (with the error in `error`) when it could not be set up.
inline bool PrepareTestPrinter(const std::wstring& unixPath, std::wstring& error) {
  HANDLE printer = nullptr;
  PRINTER_DEFAULTSW access = {nullptr, nullptr, PRINTER_ALL_ACCESS};
  if (OpenPrinterW(const_cast<wchar_t*>(kTestPrinterName), &printer, &access)) {
    DWORD needed = 0;
    GetPrinterW(printer, 2, nullptr, 0, &needed);
    std::string buffer(needed, '\0');
    bool ok = needed && GetPrinterW(printer, 2, reinterpret_cast<BYTE*>(buffer.data()), needed, &needed);
    auto* info = reinterpret_cast<PRINTER_INFO_2W*>(buffer.data());
    if (ok && unixPath != info->pPortName) {
      info->pPortName = const_cast<wchar_t*>(unixPath.c_str());
      info->pSecurityDescriptor = nullptr;
      ok = SetPrinterW(printer, 2, reinterpret_cast<BYTE*>(info), 0);
    }
    DWORD code = GetLastError();
    ClosePrinter(printer);
    if (!ok) {
      error = L"SetPrinterW failed: " + std::to_wstring(code);
      return false;
    }
  } else {
    wchar_t temp[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, temp);
    std::wstring ppd = std::wstring(temp) + L"folivex-test-printer.ppd";
    HANDLE file = CreateFileW(ppd.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written = 0;
    if (file == INVALID_HANDLE_VALUE) {
      error = L"cannot write the PPD";
      return false;
    }
    WriteFile(file, kTestPrinterPpd, sizeof(kTestPrinterPpd) - 1, &written, nullptr);
    CloseHandle(file);
    DRIVER_INFO_3W driver = {};
    driver.cVersion = 3;
    driver.pName = const_cast<wchar_t*>(L"Wine PostScript Driver");
    driver.pEnvironment = const_cast<wchar_t*>(L"Windows x64");
    driver.pDriverPath = const_cast<wchar_t*>(L"wineps.drv");
    driver.pConfigFile = const_cast<wchar_t*>(L"wineps.drv");
    driver.pDataFile = ppd.data();
    driver.pDefaultDataType = const_cast<wchar_t*>(L"RAW");
    if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver),
                             APD_COPY_NEW_FILES | APD_COPY_FROM_DIRECTORY)) {
      error = L"AddPrinterDriverExW failed: " + std::to_wstring(GetLastError());
      return false;
    }
    PRINTER_INFO_2W info = {};
    info.pPrinterName = const_cast<wchar_t*>(kTestPrinterName);
    info.pPortName = const_cast<wchar_t*>(unixPath.c_str());
    info.pDriverName = driver.pName;
    info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
    info.pDatatype = const_cast<wchar_t*>(L"RAW");
    HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
    if (!added) {
      error = L"AddPrinterW failed: " + std::to_wstring(GetLastError());
      return false;
    }
    ClosePrinter(added);
  }
  if (!SetDefaultPrinterW(kTestPrinterName)) {
    error = L"SetDefaultPrinterW failed: " + std::to_wstring(GetLastError());
    return false;
  }
  return true;
}
