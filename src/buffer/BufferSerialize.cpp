// Loading and saving the whole text of a buffer through an archive.
#include <algorithm>
#include <climits>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>

#include "buffer/BufferManager.h"
#include "platform/Archive.h"
#include "platform/CodePage.h"
#include "platform/FileException.h"
#include "platform/MemFile.h"

namespace {

using Cause = pw::FileException::Cause;

constexpr uint8_t kUtf16Mark[] = {0xFF, 0xFE};
constexpr uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

// A byte that the code page cannot read becomes the lone low surrogate U+DC00 + byte, and that
// unit is written back as the byte: binary data and stray bytes survive a load and a save
// unchanged, where a replacement character would silently overwrite them.
constexpr wchar_t kEscapeBase = 0xDC00;
constexpr size_t kMaxCharBytes = 4;  // the longest character of any supported code page (UTF-8)

// A row of more bytes than this could not be counted in an int.
constexpr size_t kMaxLineBytes = INT_MAX;

bool IsEscape(std::wstring_view text, size_t i) {
    auto unit = static_cast<uint32_t>(text[i]);
    // A low surrogate after a high one is half of a pair, not an escape.
    bool afterHigh = i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
    return unit >= kEscapeBase && unit <= kEscapeBase + 0xFF && !afterHigh;
}

// The bytes of `text` in the code page, escapes as their bytes; false when a character has no
// form there.
bool EncodeEightBit(int codePage, std::wstring_view text, std::string& out) {
    out.clear();
    std::string piece;
    size_t runStart = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        bool escape = i < text.size() && IsEscape(text, i);
        if (!escape && i < text.size())
            continue;
        if (i > runStart) {
            if (!pw::Utf16ToMultiByte(codePage, text.substr(runStart, i - runStart), piece))
                return false;
            out += piece;
        }
        if (escape)
            out += static_cast<char>(text[i] - kEscapeBase);
        runStart = i + 1;
    }
    return true;
}

bool HasHighBytes(std::string_view bytes) {
    return std::any_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<uint8_t>(c) >= 0x80; });
}

// Decodes only when writing the result back gives the very same bytes: some code pages read
// several byte sequences as one character but write it one way only.
bool DecodeExactly(int codePage, std::string_view bytes, std::wstring& out, std::string& check) {
    if (!pw::MultiByteToUtf16(codePage, bytes, out))
        return false;
    return !HasHighBytes(bytes) || (EncodeEightBit(codePage, out, check) && check == bytes);
}

std::wstring DecodeEightBit(int codePage, std::string_view bytes) {
    std::wstring text;
    std::string check;
    if (DecodeExactly(codePage, bytes, text, check))
        return text;
    // Some bytes do not come back as they are: take the line one character at a time, keeping
    // the characters that do and escaping the bytes of the others.
    text.clear();
    std::wstring piece;
    for (size_t i = 0; i < bytes.size();) {
        size_t k = 1;
        bool decoded = false;
        for (; k <= kMaxCharBytes && i + k <= bytes.size(); ++k)
            if (pw::MultiByteToUtf16(codePage, bytes.substr(i, k), piece)) {
                decoded = true;
                break;
            }
        if (decoded && EncodeEightBit(codePage, piece, check) && check == bytes.substr(i, k)) {
            text += piece;
            i += k;
            continue;
        }
        // An unreadable byte, or a character that would be written with other bytes.
        size_t n = decoded ? k : 1;
        for (size_t j = 0; j < n; ++j)
            text += static_cast<wchar_t>(kEscapeBase + static_cast<uint8_t>(bytes[i + j]));
        i += n;
    }
    return text;
}

// UTF-16 little-endian; a last odd byte is no code unit and reads as U+FFFD.
std::wstring DecodeUtf16(std::string_view bytes) {
    std::wstring text((bytes.size() + 1) / 2, L'\xFFFD');
    for (size_t i = 0; i + 1 < bytes.size(); i += 2)
        text[i / 2] =
            static_cast<wchar_t>(static_cast<uint8_t>(bytes[i]) | (static_cast<uint8_t>(bytes[i + 1]) << 8));
    return text;
}

void EncodeUtf16(std::wstring_view text, std::string& out) {
    out.resize(text.size() * 2);
    for (size_t i = 0; i < text.size(); ++i) {
        auto unit = static_cast<uint16_t>(text[i]);
        out[2 * i] = static_cast<char>(unit & 0xFF);
        out[2 * i + 1] = static_cast<char>(unit >> 8);
    }
}

// The UTF-16 test on the first kilobyte: UTF-16 text shows a CR or LF with a zero high byte
// early, few distinct high bytes and many small ones.
bool LooksLikeUtf16(pw::ByteStream& file) {
    uint8_t head[1024];
    file.Seek(0);
    size_t n = file.Read(head, sizeof head) / 2;
    std::string lo(n, '\0'), hi(n, '\0');
    for (size_t i = 0; i < n; ++i) {
        lo[i] = static_cast<char>(head[2 * i]);
        hi[i] = static_cast<char>(head[2 * i + 1]);
        if ((head[2 * i] == 0x0A || head[2 * i] == 0x0D) && head[2 * i + 1] == 0)
            return true;
    }
    auto byteLess = [](char a, char b) { return static_cast<uint8_t>(a) < static_cast<uint8_t>(b); };
    std::sort(lo.begin(), lo.end(), byteLess);
    std::sort(hi.begin(), hi.end(), byteLess);
    size_t dLo = 0, dHi = 0, zHi = 0;
    for (size_t i = 1; i < n; ++i) {
        dLo += lo[i] != lo[i - 1];
        dHi += hi[i] != hi[i - 1];
        zHi += static_cast<uint8_t>(hi[i]) < 9;
    }
    if (n < 10)
        return dLo > dHi || zHi > 0;
    return dLo * 100 / std::max<size_t>(dHi, 1) > 150 || zHi * 100 / n > 3;
}

enum class Form { EightBit, Utf16, Utf8Marked };

// What the first bytes say; leaves the position at the text, after any mark.
Form DetectForm(pw::ByteStream& file) {
    uint8_t head[3];
    file.Seek(0);
    size_t n = file.Read(head, sizeof head);
    if (n >= 2 && std::equal(kUtf16Mark, kUtf16Mark + 2, head)) {
        file.Seek(2);
        return Form::Utf16;
    }
    if (n == 3 && std::equal(kUtf8Mark, kUtf8Mark + 3, head))
        return Form::Utf8Marked;
    if (file.Length() % 2 != 0) {
        file.Seek(0);
        return Form::EightBit;
    }
    bool wide = LooksLikeUtf16(file);
    file.Seek(0);
    return wide ? Form::Utf16 : Form::EightBit;
}

// The bytes of the next line, without its line end, read in small chunks from the position,
// which is left just after the line end. Units are one byte (8-bit text) or two (UTF-16LE);
// CR, LF and NUL never occur inside a character of the supported code pages, so the bytes can
// be split before they are decoded. False at the end of the file.
bool ReadLineBytes(pw::ByteStream& file, size_t unitBytes, std::string& line, int& style) {
    const size_t chunkBytes = unitBytes == 2 ? 256 : 128;
    uint8_t chunk[256 + 2];  // a chunk and the unit after it
    auto unitAt = [&](size_t i) -> unsigned {
        return unitBytes == 2 ? chunk[2 * i] | (chunk[2 * i + 1] << 8) : chunk[i];
    };
    line.clear();
    style = CrlfStyle::None;
    for (;;) {
        uint64_t start = file.Position();
        size_t n = file.Read(chunk, chunkBytes);
        size_t units = n / unitBytes;
        size_t i = 0;
        while (i < units && unitAt(i) != L'\r' && unitAt(i) != L'\n' && unitAt(i) != 0) ++i;
        line.append(reinterpret_cast<const char*>(chunk), i * unitBytes);
        if (line.size() > kMaxLineBytes)
            throw pw::FileException(Cause::Generic, file.PathName());
        if (i == units) {
            if (n == chunkBytes)
                continue;
            line.append(reinterpret_cast<const char*>(chunk) + i * unitBytes, n - i * unitBytes);
            return !line.empty();
        }
        size_t consumed = 1;
        if (unsigned c = unitAt(i); c != 0) {
            // A terminator in the last unit of a full chunk needs the unit after it.
            bool hasNext = i + 1 < units || (n == chunkBytes && file.Read(chunk + n, unitBytes) == unitBytes);
            unsigned next = hasNext ? unitAt(i + 1) : 0;
            if (c == L'\r') {
                style = CrlfStyle::CrLf;
                consumed = next == L'\n' ? 2 : 1;
            } else {
                style = next == L'\r' ? CrlfStyle::LfCr : CrlfStyle::Lf;
                consumed = next == L'\r' ? 2 : 1;
            }
        }
        file.Seek(start + (i + consumed) * unitBytes);
        return true;
    }
}

// The extension of a path's file name with its dot, as the path splitter gives it.
std::wstring ExtensionOf(const std::wstring& path) {
    size_t name = path.find_last_of(L"\\/:");
    size_t dot = path.rfind(L'.');
    if (dot == std::wstring::npos || (name != std::wstring::npos && dot < name))
        return {};
    return path.substr(dot);
}

}  // namespace

void CQELPenwrightBufferManager::SerializeText(pw::Archive& archive, int unicodeMode, bool writeSignature,
                                               int newCodePage, std::optional<std::wstring_view> ext,
                                               int dataSizeLimit) {
    if (syntaxColoring)
        CancelParse();
    if (newCodePage != -1) {
        codePage = newCodePage;
        if (newCodePage != pw::kCodePageUtf8)
            utf8Signature = false;  // a code page chosen for the text replaces the file's UTF-8 form
    }
    if (archive.IsLoading())
        LoadText(archive, unicodeMode > 0);
    else
        StoreText(archive, unicodeMode < 0 ? unicode : unicodeMode > 0, writeSignature, dataSizeLimit);

    std::wstring extension = ext ? std::wstring(*ext) : ExtensionOf(archive.GetFile().PathName());
    if (!extension.empty())
        SetFileExt(extension);
}

void CQELPenwrightBufferManager::Serialize(pw::Archive& archive) {
    // -1 keeps the code page: the buffer's own, or UTF-8 for a file that came with its mark.
    SerializeText(archive, -1, true, -1, std::nullopt, -1);
    if (archive.IsStoring())
        undoManager.MarkSaved();
}

void CQELPenwrightBufferManager::LoadText(pw::Archive& archive, bool forceUtf16) {
    pw::ByteStream& file = archive.GetFile();
    Form form = DetectForm(file);
    bool wide = forceUtf16 || form == Form::Utf16;
    if (wide && form != Form::Utf16)
        file.Seek(0);  // forced: the bytes are UTF-16 from the first on
    bool utf8Marked = !wide && form == Form::Utf8Marked;
    int lineCodePage = utf8Marked ? pw::kCodePageUtf8 : codePage;
    if (!wide && !pw::IsCodePageAvailable(lineCodePage))
        throw pw::FileException(Cause::Encoding, file.PathName());

    // The rows are gathered apart and take the place of the old ones only when all were read:
    // a failed load leaves the text as it was, not a part of the file that a save would write.
    RowArray loaded;
    std::string bytes;
    int firstStyle = CrlfStyle::None;
    int lastStyle = CrlfStyle::None;
    int style;
    while (ReadLineBytes(file, wide ? 2 : 1, bytes, style)) {
        loaded.InsertAt(loaded.GetRowCount() + 1,
                        wide ? DecodeUtf16(bytes) : DecodeEightBit(lineCodePage, bytes));
        if (firstStyle == CrlfStyle::None)
            firstStyle = style;
        lastStyle = style;
    }
    if (lastStyle != CrlfStyle::None)
        loaded.InsertAt(loaded.GetRowCount() + 1, {});

    RemoveAll();
    rows = std::move(loaded);
    if (firstStyle != CrlfStyle::None)
        crlfStyle = firstStyle;
    unicode = wide;
    utf8Signature = utf8Marked;
}

void CQELPenwrightBufferManager::StoreText(pw::Archive& archive, bool wide, bool writeSignature,
                                           int dataSizeLimit) {
    int rowCodePage = utf8Signature ? pw::kCodePageUtf8 : codePage;
    std::wstring path = archive.GetFile().PathName();
    if (!wide && !pw::IsCodePageAvailable(rowCodePage))
        throw pw::FileException(Cause::Encoding, path);
    if (writeSignature && wide)
        archive.Write(kUtf16Mark, sizeof kUtf16Mark);
    else if (writeSignature && utf8Signature)
        archive.Write(kUtf8Mark, sizeof kUtf8Mark);

    std::string lineEnd;
    if (wide)
        EncodeUtf16(LineEndText(crlfStyle), lineEnd);
    else
        for (wchar_t c : LineEndText(crlfStyle)) lineEnd += static_cast<char>(c);  // CR and LF, a byte each
    std::string bytes;
    int64_t written = 0;
    for (int r = 1, count = GetRowCount(); r <= count; ++r) {
        std::wstring_view row = rows.GetAt(r);
        if (wide)
            EncodeUtf16(row, bytes);
        else if (!EncodeEightBit(rowCodePage, row, bytes))
            // Writing less than the row would lose the user's text behind a save that seemed to work.
            throw pw::FileException(Cause::Encoding, path);
        if (r < count)
            bytes += lineEnd;
        archive.Write(bytes.data(), bytes.size());
        written += static_cast<int64_t>(bytes.size());
        if (dataSizeLimit > 0 && written > dataSizeLimit)
            break;
    }
    archive.Flush();
}

std::wstring CQELPenwrightBufferManager::GetWholeText(int maxChars) {
    if (maxChars == 0)
        return {};
    pw::MemFile file(RangeGrowthSize(1, GetRowCount()));
    pw::Archive archive(file, pw::Archive::Mode::Store);
    int limit = maxChars < 0 ? -1 : static_cast<int>(std::min<int64_t>(2 * int64_t{maxChars}, INT_MAX));
    SerializeText(archive, 1, false, -1, std::nullopt, limit);
    std::wstring text = file.Text();
    if (maxChars > 0 && text.size() > static_cast<size_t>(maxChars))
        text.resize(static_cast<size_t>(maxChars));
    return text;
}

void CQELPenwrightBufferManager::SetWholeText(std::wstring_view text) {
    pw::MemFile file(text.size() * 2 + 1);
    file.WriteText(text);
    file.Seek(0);
    pw::Archive archive(file, pw::Archive::Mode::Load);
    SerializeText(archive, 1, true, -1, std::nullopt, -1);
}
