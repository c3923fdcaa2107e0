#pragma once
// Errors as automation hands them to scripts: file failures become the control error codes
// scripting languages know (53 "file not found" and its kin, in the control facility), with a
// description that names the file.
#include <cstdint>
#include <string>

#include "platform/FileException.h"

struct AutomationError {
    static constexpr int32_t kControlFacility = static_cast<int32_t>(0x800A0000);
    int32_t code;  // an HRESULT
    std::wstring description;
};

// The control error number of a file failure (53, 76, 70, ...).
int ControlErrorNumber(pw::FileException::Cause cause);
AutomationError FileError(const pw::FileException& error);
