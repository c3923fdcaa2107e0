#include "editor/win32/Clipboard.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <utility>

#include "editor/win32/GlobalMemory.h"

namespace pw::win32::Clipboard {

namespace {

// Another program may hold the clipboard for a moment: a few brief tries before it counts as busy.
class Opened {
public:
    explicit Opened(HWND owner) {
        for (int tries = 1;; ++tries) {
            open_ = OpenClipboard(owner) != FALSE;
            if (open_ || tries == kTries)
                break;
            Sleep(kRetryMs);
        }
    }
    Opened(const Opened&) = delete;
    Opened& operator=(const Opened&) = delete;
    ~Opened() {
        if (open_)
            CloseClipboard();
    }
    explicit operator bool() const { return open_; }

private:
    static constexpr int kTries = 5;
    static constexpr DWORD kRetryMs = 2;
    bool open_ = false;
};

struct Conversion {
    UINT codePage;
    DWORD flags;
};

// No best-fit look-alikes, only the default character, where the code page takes the flag (UTF-8
// and a few others take none); a code page the system does not know falls back to the ANSI one.
Conversion ConversionTo(UINT codePage) {
    for (UINT page : {codePage, static_cast<UINT>(CP_ACP)})
        for (DWORD flags : {DWORD{WC_NO_BEST_FIT_CHARS}, DWORD{0}})
            if (WideCharToMultiByte(page, flags, L" ", 1, nullptr, 0, nullptr, nullptr) > 0)
                return {page, flags};
    return {CP_ACP, 0};
}

// WideCharToMultiByte counts in int: longer text goes through `convert` in pieces, never split
// between the halves of a surrogate pair. False as soon as a piece fails.
template <class Convert>
bool ForEachPiece(std::wstring_view text, Convert convert) {
    constexpr size_t kPiece = size_t{1} << 20;
    for (size_t start = 0; start < text.size();) {
        size_t end = text.size() - start > kPiece ? start + kPiece : text.size();
        if (end < text.size() && IS_HIGH_SURROGATE(text[end - 1]))
            --end;
        if (!convert(text.substr(start, end - start)))
            return false;
        start = end;
    }
    return true;
}

// The text in `codePage`, zero-terminated, as lossy as the code page must be.
Global EightBitBlock(std::wstring_view text, UINT codePage) {
    Conversion to = ConversionTo(codePage);
    auto convert = [to](std::wstring_view piece, char* out, size_t room) {
        return WideCharToMultiByte(to.codePage, to.flags, piece.data(), static_cast<int>(piece.size()), out,
                                   static_cast<int>(std::min<size_t>(room, INT_MAX)), nullptr, nullptr);
    };
    size_t bytes = 0;
    bool measured = ForEachPiece(text, [&](std::wstring_view piece) {
        int n = convert(piece, nullptr, 0);
        if (n <= 0 || static_cast<size_t>(n) >= SIZE_MAX - bytes)
            return false;
        bytes += static_cast<size_t>(n);
        return true;
    });
    if (!measured)
        return {};
    return MakeBlock(bytes + 1, [&](void* data) {
        auto* out = static_cast<char*>(data);
        size_t done = 0;
        bool written = ForEachPiece(text, [&](std::wstring_view piece) {
            int n = convert(piece, out + done, bytes - done);
            done += static_cast<size_t>(std::max(n, 0));
            return n > 0;
        });
        out[done] = '\0';
        return written;
    });
}

}  // namespace

UINT ColumnFormat() {
    return RegisterClipboardFormatW(L"MSDEVColumnSelect");
}

bool Put(HWND owner, std::wstring_view text, bool block, unsigned codePage) {
    Global unicode = UnicodeBlock(text);
    if (!unicode)
        return false;
    UINT column = block ? ColumnFormat() : 0;
    if (block && !column)
        return false;
    // A stream leaves the last entry without a format: nothing to place.
    std::pair<UINT, Global> blocks[] = {
        {CF_UNICODETEXT, std::move(unicode)},
        {CF_TEXT, EightBitBlock(text, codePage)},
        {CF_OEMTEXT, EightBitBlock(text, GetOEMCP())},
        {column, block ? MarkerBlock() : Global{}},
    };
    for (const auto& [format, memory] : blocks)
        if (format && !memory)
            return false;

    Opened clipboard(owner);
    if (!clipboard || !EmptyClipboard())
        return false;
    bool placed = true;
    for (auto& [format, memory] : blocks) {
        if (!format)
            continue;
        // Once placed, the block is the clipboard's; one it refused is still ours to free.
        if (SetClipboardData(format, memory.Get()))
            memory.Release();
        else
            placed = false;
    }
    return placed;
}

std::optional<Content> Get(HWND owner) {
    Opened clipboard(owner);
    if (!clipboard)
        return std::nullopt;
    HANDLE memory = GetClipboardData(CF_UNICODETEXT);
    if (!memory)
        return std::nullopt;
    std::optional<std::wstring> text = ReadUnicode(memory);
    if (!text)
        return std::nullopt;
    Content content{std::move(*text)};
    UINT column = ColumnFormat();
    HANDLE marker = column ? GetClipboardData(column) : nullptr;
    content.block = marker && GlobalSize(marker) > 0;
    return content;
}

}  // namespace pw::win32::Clipboard
