#include "activex/AutomationError.h"

#include <string_view>

int ControlErrorNumber(pw::FileException::Cause cause) {
    using Cause = pw::FileException::Cause;
    switch (cause) {
        case Cause::FileNotFound:
            return 53;
        case Cause::DiskFull:
            return 61;
        case Cause::TooManyOpenFiles:
            return 67;
        case Cause::AccessDenied:
            return 70;
        case Cause::SharingViolation:
            return 75;  // path/file access error
        case Cause::BadPath:
            return 76;
        case Cause::Encoding:
            return 321;  // invalid file format
        case Cause::HardIO:
        case Cause::Generic:
            break;
    }
    return 57;  // device I/O error
}

AutomationError FileError(const pw::FileException& error) {
    const std::string_view what = error.what();
    std::wstring description(what.begin(), what.end());  // the texts are ASCII
    if (!error.GetPath().empty())
        description += L": " + error.GetPath();
    return {AutomationError::kControlFacility | ControlErrorNumber(error.GetCause()), std::move(description)};
}
