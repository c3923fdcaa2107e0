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

constexpr uint8_t kUtf16LeMark[] = {0xFF, 0xFE};
constexpr uint8_t kUtf16BeMark[] = {0xFE, 0xFF};
constexpr uint8_t kUtf8Mark[] = {0xEF, 0xBB, 0xBF};

// A byte that the code page cannot read becomes the lone low surrogate U+DC00 + byte, and that
// unit is written back as the byte: binary data and stray bytes survive a load and a save
// unchanged, where a replacement character would silently overwrite them. Only bytes from 0x80
// need it (below, every supported code page reads ASCII), and only a text loaded with such bytes
// is written so: in any other text a lone surrogate is no character, and the save fails.
constexpr wchar_t kEscapeBase = 0xDC00;
constexpr uint8_t kFirstEscapedByte = 0x80;
constexpr size_t kMaxCharBytes = 4;  // the longest character of any supported code page (UTF-8)
// Bytes below this never lie inside a character of a supported code page (trail bytes of the
// double-byte code pages start at 0x40, UTF-8's at 0x80), so text can be cut before them.
constexpr uint8_t kFirstTrailByte = 0x40;
constexpr size_t kPieceBytes = 1024;

// A row of more bytes than this could not be counted in an int.
constexpr size_t kMaxLineBytes = INT_MAX;

bool IsEscape(std::wstring_view text, size_t i) {
    auto unit = static_cast<uint32_t>(text[i]);
    // A low surrogate after a high one is half of a pair, not an escape.
    bool afterHigh = i > 0 && text[i - 1] >= 0xD800 && text[i - 1] <= 0xDBFF;
    return unit >= kEscapeBase + kFirstEscapedByte && unit <= kEscapeBase + 0xFF && !afterHigh;
}

// The bytes of `text` in the code page, escapes as their bytes when `rawBytes`; false when a
// character has no form there.
bool EncodeEightBit(int codePage, std::wstring_view text, bool rawBytes, std::string& out) {
    if (!rawBytes)
        return pw::Utf16ToMultiByte(codePage, text, out);
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

// Whether `text`, read from `bytes`, is written back as the very same bytes: some code pages
// read several byte sequences as one character but write it one way only.
bool WritesBackAs(int codePage, std::wstring_view text, std::string_view bytes, std::string& check) {
    return !HasHighBytes(bytes) || (pw::Utf16ToMultiByte(codePage, text, check) && check == bytes);
}

bool DecodeExactly(int codePage, std::string_view bytes, std::wstring& out, std::string& check) {
    return pw::MultiByteToUtf16(codePage, bytes, out) && WritesBackAs(codePage, out, bytes, check);
}

// One character at a time: the characters that come back as they are, and escapes for the
// bytes from 0x80 of the others (their bytes below 0x80 are ASCII, as everywhere). False for an
// unreadable byte below 0x80, which no escape can carry.
bool DecodeByCharacter(int codePage, std::string_view bytes, std::wstring& text, bool& rawBytes) {
    std::wstring piece;
    std::string check;
    for (size_t i = 0; i < bytes.size();) {
        // The shortest sequence that reads as characters.
        size_t k = 1;
        bool readable = false;
        for (; k <= kMaxCharBytes && i + k <= bytes.size(); ++k)
            if ((readable = pw::MultiByteToUtf16(codePage, bytes.substr(i, k), piece)))
                break;
        if (readable && WritesBackAs(codePage, piece, bytes.substr(i, k), check)) {
            text += piece;
            i += k;
            continue;
        }
        // Unreadable: its first byte; written back with other bytes: all of them.
        const size_t n = readable ? k : 1;
        for (size_t j = i; j < i + n; ++j) {
            const auto byte = static_cast<uint8_t>(bytes[j]);
            if (byte >= kFirstEscapedByte) {
                text += static_cast<wchar_t>(kEscapeBase + byte);
                rawBytes = true;
            } else if (DecodeExactly(codePage, bytes.substr(j, 1), piece, check)) {
                text += piece;
            } else {
                return false;
            }
        }
        i += n;
    }
    return true;
}

// Where the piece that starts at `start` ends: at the first byte below kFirstTrailByte after
// kPieceBytes, or at the end.
size_t PieceEnd(std::string_view bytes, size_t start) {
    for (size_t i = start + kPieceBytes; i < bytes.size(); ++i)
        if (static_cast<uint8_t>(bytes[i]) < kFirstTrailByte)
            return i;
    return bytes.size();
}

// The line's text; bytes the code page cannot read become escapes and set `rawBytes`. A line
// is decoded in pieces, and only a piece that does not come back whole goes character by
// character, so a bad byte costs the same whatever the length of its line.
bool DecodeEightBit(int codePage, std::string_view bytes, std::wstring& text, bool& rawBytes) {
    std::string check;
    if (DecodeExactly(codePage, bytes, text, check))
        return true;
    text.clear();
    std::wstring piece;
    for (size_t start = 0, end; start < bytes.size(); start = end) {
        end = PieceEnd(bytes, start);
        std::string_view part = bytes.substr(start, end - start);
        if (DecodeExactly(codePage, part, piece, check))
            text += piece;
        else if (!DecodeByCharacter(codePage, part, text, rawBytes))
            return false;
    }
    return true;
}

unsigned Utf16Unit(const uint8_t* bytes, bool bigEndian) {
    return bigEndian ? (bytes[0] << 8) | bytes[1] : bytes[0] | (bytes[1] << 8);
}

std::wstring DecodeUtf16(std::string_view bytes, bool bigEndian) {
    std::wstring text(bytes.size() / 2, L'\0');
    const auto* data = reinterpret_cast<const uint8_t*>(bytes.data());
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(Utf16Unit(data + 2 * i, bigEndian));
    return text;
}

void EncodeUtf16(std::wstring_view text, bool bigEndian, std::string& out) {
    out.resize(text.size() * 2);
    const size_t lo = bigEndian ? 1 : 0, hi = 1 - lo;
    for (size_t i = 0; i < text.size(); ++i) {
        auto unit = static_cast<uint16_t>(text[i]);
        out[2 * i + lo] = static_cast<char>(unit & 0xFF);
        out[2 * i + hi] = static_cast<char>(unit >> 8);
    }
}

// How the file holds its text.
struct Form {
    bool wide = false;       // UTF-16
    bool bigEndian = false;  // UTF-16 with the high byte first
    bool signature = false;  // a byte-order mark came first (UTF-8 for 8-bit text)
};

// UTF-16 without a mark, by the zero bytes of the first kilobyte: text without any is never
// taken for UTF-16, however its bytes pair up. The zeros must lean to one side of the byte
// pairs (the high byte of ASCII characters) and either stand beside a CR or LF there, as in a
// UTF-16 line end, or fill most pairs.
Form GuessForm(const uint8_t* head, size_t n) {
    size_t pairs = n / 2, zeroLo = 0, zeroHi = 0, lineEndLe = 0, lineEndBe = 0;
    auto isLineEnd = [](uint8_t b) { return b == 0x0A || b == 0x0D; };
    for (size_t i = 0; i < pairs; ++i) {
        uint8_t lo = head[2 * i], hi = head[2 * i + 1];
        zeroLo += lo == 0;
        zeroHi += hi == 0;
        lineEndLe += hi == 0 && isLineEnd(lo);
        lineEndBe += lo == 0 && isLineEnd(hi);
    }
    if (zeroHi > zeroLo && (lineEndLe > 0 || 2 * zeroHi > pairs))
        return {true, false, false};
    if (zeroLo > zeroHi && (lineEndBe > 0 || 2 * zeroLo > pairs))
        return {true, true, false};
    return {};
}

// Reads the form from the first bytes and leaves the position at the text, after any mark.
// `forceUtf16` reads UTF-16 (little-endian unless a mark says otherwise).
Form DetectForm(pw::ByteStream& file, bool forceUtf16) {
    uint8_t head[1024];
    file.Seek(0);
    size_t n = file.Read(head, sizeof head);
    Form form;
    size_t markBytes = 0;
    if (n >= 2 && std::equal(kUtf16LeMark, kUtf16LeMark + 2, head))
        form = {true, false, true}, markBytes = 2;
    else if (n >= 2 && std::equal(kUtf16BeMark, kUtf16BeMark + 2, head))
        form = {true, true, true}, markBytes = 2;
    else if (forceUtf16)
        form = {true, false, false};
    else if (n >= 3 && std::equal(kUtf8Mark, kUtf8Mark + 3, head))
        form = {false, false, true}, markBytes = 3;
    else
        form = GuessForm(head, n);
    file.Seek(markBytes);
    return form;
}

// Reads the lines of the text from the position up to `end`, in small chunks straight from the
// file. Units are one byte (8-bit text) or two (UTF-16 in either order); CR and LF never occur
// inside a character of the supported code pages, so the bytes can be split before they are
// decoded. Every other unit, NUL included, is text.
class LineBytesReader {
public:
    LineBytesReader(pw::ByteStream& file, const Form& form, uint64_t end)
        : file_(file), unitBytes_(form.wide ? 2 : 1), bigEndian_(form.bigEndian), end_(end) {}

    // The bytes of the next line without its line end, and the style of that end; the position
    // is left just after it. False at the end of the text.
    bool Next(std::string& line, int& style) {
        const size_t chunkBytes = unitBytes_ == 2 ? 256 : 128;
        line.clear();
        style = CrlfStyle::None;
        for (;;) {
            const uint64_t start = file_.Position();
            const size_t n =
                file_.Read(chunk_, static_cast<size_t>(std::min<uint64_t>(chunkBytes, end_ - start)));
            const size_t units = n / unitBytes_;
            size_t i = 0;
            while (i < units && !IsLineEnd(UnitAt(i))) ++i;
            line.append(reinterpret_cast<const char*>(chunk_), i * unitBytes_);
            if (line.size() > kMaxLineBytes)
                throw pw::FileException(Cause::Generic, file_.PathName());
            if (i == units) {
                if (n == chunkBytes)
                    continue;
                return !line.empty();
            }
            // A line end in the last unit of a full chunk needs the unit after it.
            const bool hasNext = i + 1 < units || (n == chunkBytes && start + n < end_ &&
                                                   file_.Read(chunk_ + n, unitBytes_) == unitBytes_);
            const unsigned c = UnitAt(i), next = hasNext ? UnitAt(i + 1) : 0;
            size_t consumed = 1;
            if (c == '\r') {
                style = CrlfStyle::CrLf;
                consumed = next == '\n' ? 2 : 1;
            } else {
                style = next == '\r' ? CrlfStyle::LfCr : CrlfStyle::Lf;
                consumed = next == '\r' ? 2 : 1;
            }
            file_.Seek(start + (i + consumed) * unitBytes_);
            return true;
        }
    }

private:
    static bool IsLineEnd(unsigned unit) { return unit == '\r' || unit == '\n'; }
    unsigned UnitAt(size_t i) const {
        return unitBytes_ == 2 ? Utf16Unit(chunk_ + 2 * i, bigEndian_) : chunk_[i];
    }

    pw::ByteStream& file_;
    const size_t unitBytes_;
    const bool bigEndian_;
    const uint64_t end_;
    uint8_t chunk_[256 + 2];  // a chunk and the unit after it
};

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
        if (newCodePage != pw::kCodePageUtf8 && !unicode)
            signature = false;  // a code page chosen for the text replaces the file's UTF-8 form
    }
    if (archive.IsLoading())
        LoadText(archive, unicodeMode > 0);
    else
        StoreText(archive, unicodeMode < 0 ? unicode : unicodeMode > 0, unicodeMode < 0, writeSignature,
                  dataSizeLimit);

    std::wstring extension = ext ? std::wstring(*ext) : ExtensionOf(archive.GetFile().PathName());
    if (!extension.empty())
        SetFileExt(extension);
}

void CQELPenwrightBufferManager::Serialize(pw::Archive& archive) {
    // -1 keeps the form: the buffer's code page, or UTF-8 or UTF-16 as the file came.
    SerializeText(archive, -1, signature, -1, std::nullopt, -1);
    if (archive.IsStoring())
        undoManager.MarkSaved();
}

void CQELPenwrightBufferManager::LoadText(pw::Archive& archive, bool forceUtf16) {
    pw::ByteStream& file = archive.GetFile();
    const Form form = DetectForm(file, forceUtf16);
    const int lineCodePage = form.signature ? pw::kCodePageUtf8 : codePage;
    if (!form.wide && !pw::IsCodePageAvailable(lineCodePage))
        throw pw::FileException(Cause::Encoding, file.PathName());
    // UTF-16 text is whole units; an odd byte after them is kept apart and written back.
    const uint64_t length = file.Length();
    const bool odd = form.wide && (length - file.Position()) % 2 != 0;
    const uint64_t textEnd = odd ? length - 1 : length;

    // The rows are gathered apart and take the place of the old ones only when all were read:
    // a failed load leaves the text as it was, not a part of the file that a save would write.
    RowArray loaded;
    LineBytesReader reader(file, form, textEnd);
    std::string bytes;
    std::wstring text;
    bool escaped = false;
    int firstStyle = CrlfStyle::None;
    int lastStyle = CrlfStyle::None;
    int style;
    while (reader.Next(bytes, style)) {
        if (form.wide)
            text = DecodeUtf16(bytes, form.bigEndian);
        else if (!DecodeEightBit(lineCodePage, bytes, text, escaped))
            throw pw::FileException(Cause::Encoding, file.PathName());
        loaded.InsertAt(loaded.GetRowCount() + 1, std::move(text));
        if (firstStyle == CrlfStyle::None)
            firstStyle = style;
        lastStyle = style;
    }
    if (lastStyle != CrlfStyle::None)
        loaded.InsertAt(loaded.GetRowCount() + 1, {});
    int lastByte = -1;
    if (odd) {
        uint8_t byte = 0;
        file.Seek(textEnd);
        if (file.Read(&byte, 1) != 1)
            throw pw::FileException(Cause::HardIO, file.PathName());
        lastByte = byte;
    }

    RemoveAll();
    rows = std::move(loaded);
    if (firstStyle != CrlfStyle::None)
        crlfStyle = firstStyle;
    unicode = form.wide;
    bigEndian = form.bigEndian;
    signature = form.signature;
    rawBytes = escaped;
    oddByte = lastByte;
}

void CQELPenwrightBufferManager::StoreText(pw::Archive& archive, bool wide, bool ownForm, bool writeSignature,
                                           int dataSizeLimit) {
    const bool utf8 = !unicode && signature;  // rows read as UTF-8 are written so
    const int rowCodePage = utf8 ? pw::kCodePageUtf8 : codePage;
    const bool highFirst = wide && ownForm && unicode && bigEndian;
    std::wstring path = archive.GetFile().PathName();
    if (!wide && !pw::IsCodePageAvailable(rowCodePage))
        throw pw::FileException(Cause::Encoding, path);
    if (writeSignature && wide)
        archive.Write(highFirst ? kUtf16BeMark : kUtf16LeMark, 2);
    else if (writeSignature && utf8)
        archive.Write(kUtf8Mark, sizeof kUtf8Mark);

    std::string lineEnd;
    if (wide)
        EncodeUtf16(LineEndText(crlfStyle), highFirst, lineEnd);
    else
        for (wchar_t c : LineEndText(crlfStyle)) lineEnd += static_cast<char>(c);  // CR and LF, a byte each
    std::string bytes;
    int64_t written = 0;
    const int count = GetRowCount();
    int r = 1;
    for (; r <= count; ++r) {
        std::wstring_view row = rows.GetAt(r);
        if (wide)
            EncodeUtf16(row, highFirst, bytes);
        else if (!EncodeEightBit(rowCodePage, row, rawBytes && !unicode, bytes))
            // Writing less than the row would lose the user's text behind a save that seemed to work.
            throw pw::FileException(Cause::Encoding, path);
        if (r < count)
            bytes += lineEnd;
        archive.Write(bytes.data(), bytes.size());
        written += static_cast<int64_t>(bytes.size());
        if (dataSizeLimit > 0 && written > dataSizeLimit)
            break;
    }
    if (wide && ownForm && unicode && oddByte >= 0 && r > count) {
        const auto byte = static_cast<uint8_t>(oddByte);
        archive.Write(&byte, 1);
    }
    archive.Flush();
}

void CQELPenwrightBufferManager::SetUnicode(bool on) {
    if (on == unicode)
        return;
    unicode = on;
    bigEndian = false;
    signature = on;
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
    // Behind a mark of its own, which the load takes off: a U+FEFF that begins the text stays
    // in it, and later saves write the mark.
    pw::MemFile file(text.size() * 2 + 3);
    file.Write(kUtf16LeMark, sizeof kUtf16LeMark);
    file.WriteText(text);
    file.Seek(0);
    pw::Archive archive(file, pw::Archive::Mode::Load);
    SerializeText(archive, 1, true, -1, std::nullopt, -1);
}
