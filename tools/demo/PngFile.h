#pragma once
// Windows only: writes a DIB section as a PNG file through the Windows imaging component.
#include <windows.h>

#include <string>

#include "editor/win32/DibSection.h"

// COM must be initialised on the calling thread. Returns the first failing HRESULT, or S_OK.
HRESULT WritePng(const pw::win32::DibSection& image, const std::wstring& path);
