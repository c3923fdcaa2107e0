#include "platform/FileException.h"

namespace pw {

const char* FileException::what() const noexcept {
    switch (cause_) {
        case Cause::FileNotFound:
            return "file not found";
        case Cause::BadPath:
            return "bad path";
        case Cause::AccessDenied:
            return "access denied";
        case Cause::TooManyOpenFiles:
            return "too many open files";
        case Cause::SharingViolation:
            return "file in use";
        case Cause::DiskFull:
            return "disk full";
        case Cause::HardIO:
            return "input/output error";
        case Cause::Encoding:
            return "text not representable in the code page";
        case Cause::Generic:
            break;
    }
    return "file error";
}

}  // namespace pw
