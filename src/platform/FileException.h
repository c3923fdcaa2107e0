#pragma once
// The one exception of the file layer: a file could not be opened, read or written, or the
// text could not be put into the file's form. Thrown by streams and archives and by the text
// serialization; callers that face users or automation turn it into a message or an error code.
#include <exception>
#include <string>
#include <utility>

namespace pw {

class FileException : public std::exception {
public:
    enum class Cause {
        Generic,
        FileNotFound,
        BadPath,
        AccessDenied,  // also: a folder or device where a file was expected, or the wrong direction
        TooManyOpenFiles,
        SharingViolation,
        DiskFull,
        HardIO,
        Encoding,  // the text has characters the code page cannot hold, the file bytes it cannot read,
                   // or the code page is unknown
    };

    FileException(Cause cause, std::wstring path) : cause_(cause), path_(std::move(path)) {}

    Cause GetCause() const { return cause_; }
    const std::wstring& GetPath() const { return path_; }  // empty for a memory stream
    const char* what() const noexcept override;

private:
    Cause cause_;
    std::wstring path_;
};

}  // namespace pw
