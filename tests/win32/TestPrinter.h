#pragma once
// A printer for the tests: the system's PostScript driver writing to a file, installed in the
// test prefix once and made the default, so that every job lands in a file the tests read.
#include <windows.h>
// After windows.h, which they need.
#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

inline constexpr const wchar_t* kTestPrinter = L"Penwright File Printer";
inline constexpr const wchar_t* kPrintedFile = L"C:\\penwright-printed.ps";

inline bool InstallTestPrinter() {
    static const bool installed = [] {
        HANDLE existing = nullptr;
        if (OpenPrinterW(const_cast<wchar_t*>(kTestPrinter), &existing, nullptr)) {
            ClosePrinter(existing);
            return SetDefaultPrinterW(kTestPrinter) != FALSE;
        }
        // The driver's description of the printer comes with the spooler, as a resource.
        wchar_t dir[MAX_PATH] = L"";
        DWORD needed = 0;
        if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof dir,
                                        &needed))
            return false;
        HMODULE spooler = LoadLibraryW(L"winspool.drv");
        HRSRC resource = spooler ? FindResourceW(spooler, MAKEINTRESOURCEW(1), L"PPDFILE") : nullptr;
        HGLOBAL loaded = resource ? LoadResource(spooler, resource) : nullptr;
        if (!loaded)
            return false;
        const std::wstring ppd = std::wstring(dir) + L"\\penwright-test.ppd";
        FILE* file = _wfopen(ppd.c_str(), L"wb");
        if (!file)
            return false;
        fwrite(LockResource(loaded), 1, SizeofResource(spooler, resource), file);
        fclose(file);

        wchar_t driverName[] = L"Penwright Test PostScript";
        wchar_t driverPath[] = L"wineps.drv";
        wchar_t dataFile[] = L"penwright-test.ppd";
        DRIVER_INFO_3W driver{};
        driver.cVersion = 3;
        driver.pName = driverName;
        driver.pDriverPath = driverPath;
        driver.pDataFile = dataFile;
        driver.pConfigFile = driverPath;
        if (!AddPrinterDriverExW(nullptr, 3, reinterpret_cast<BYTE*>(&driver), APD_COPY_NEW_FILES))
            return false;
        wchar_t printerName[64];
        wcscpy(printerName, kTestPrinter);
        wchar_t port[MAX_PATH];
        wcscpy(port, kPrintedFile);
        wchar_t processor[] = L"WinPrint";
        wchar_t dataType[] = L"RAW";
        PRINTER_INFO_2W printer{};
        printer.pPrinterName = printerName;
        printer.pPortName = port;
        printer.pDriverName = driverName;
        printer.pPrintProcessor = processor;
        printer.pDatatype = dataType;
        HANDLE added = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
        if (!added)
            return false;
        ClosePrinter(added);
        return SetDefaultPrinterW(kTestPrinter) != FALSE;
    }();
    return installed;
}

// The test printer's context, or null.
inline HDC CreateTestPrinterDC() {
    return InstallTestPrinter() ? CreateDCW(nullptr, kTestPrinter, nullptr, nullptr) : nullptr;
}

// What each page of a printed file shows, as text: the driver draws a glyph at a time by name
// ("/a glyphshow"); letters, digits and spaces are read back, any other glyph as '?'.
inline std::vector<std::string> PrintedPages(const std::wstring& path = kPrintedFile) {
    static const char* const kDigits[] = {"zero", "one", "two",   "three", "four",
                                          "five", "six", "seven", "eight", "nine"};
    std::vector<std::string> pages;
    FILE* file = _wfopen(path.c_str(), L"rb");
    if (!file)
        return pages;
    char line[512];
    while (fgets(line, sizeof line, file)) {
        const std::string text = line;
        if (text.rfind("%%Page:", 0) == 0) {
            pages.emplace_back();
            continue;
        }
        const size_t show = text.find(" glyphshow");
        if (pages.empty() || text[0] != '/' || show == std::string::npos)
            continue;
        const std::string name = text.substr(1, show - 1);
        char c = name.size() == 1 ? name[0] : name == "space" ? ' ' : '?';
        for (int d = 0; d < 10; ++d)
            if (name == kDigits[d])
                c = static_cast<char>('0' + d);
        pages.back() += c;
    }
    fclose(file);
    return pages;
}
