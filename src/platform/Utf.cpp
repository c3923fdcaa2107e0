#include "platform/CodePage.h"

#include <cstdint>

namespace pw {

namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsHighSurrogate(char32_t unit) {
    return unit >= 0xD800 && unit <= 0xDBFF;
}
bool IsLowSurrogate(char32_t unit) {
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// Length and first-byte payload of the sequence a lead byte opens; 0 for bytes that cannot lead.
int SequenceLength(uint8_t lead, char32_t& code) {
    if (lead < 0x80)
        return code = lead, 1;
    if (lead >= 0xC2 && lead <= 0xDF)
        return code = lead & 0x1F, 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return code = lead & 0x0F, 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return code = lead & 0x07, 4;
    return 0;
}

// Decodes one code point at `pos` and advances past it. False (pos past the first byte) when the
// bytes there are not well-formed UTF-8: overlong forms, surrogates and values above U+10FFFF are
// all refused, as are truncated sequences.
bool DecodeOne(std::string_view bytes, size_t& pos, char32_t& code) {
    int length = SequenceLength(static_cast<uint8_t>(bytes[pos++]), code);
    if (length == 0)
        return false;
    for (int i = 1; i < length; ++i) {
        if (pos >= bytes.size())
            return false;
        auto next = static_cast<uint8_t>(bytes[pos]);
        if ((next & 0xC0) != 0x80)
            return false;
        code = (code << 6) | (next & 0x3F);
        ++pos;
    }
    static constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    return code >= kSmallest[length] && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
}

void AppendUtf16(std::wstring& out, char32_t code) {
    if (code < 0x10000) {
        out.push_back(static_cast<wchar_t>(code));
    } else {
        code -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (code >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (code & 0x3FF)));
    }
}

void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (code >> 6)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (code >> 12)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (code >> 18)));
        out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
}

// `strict` fails on the first bad sequence; otherwise each one becomes U+FFFD.
bool Decode(std::string_view bytes, std::wstring& out, bool strict) {
    out.clear();
    out.reserve(bytes.size());
    size_t pos = 0;
    while (pos < bytes.size()) {
        // Runs of ASCII, most of any source text, are widened as they are.
        size_t run = pos;
        while (run < bytes.size() && static_cast<uint8_t>(bytes[run]) < 0x80) ++run;
        const size_t at = out.size();
        out.resize(at + (run - pos));
        for (size_t i = pos; i < run; ++i) out[at + (i - pos)] = static_cast<wchar_t>(bytes[i]);
        pos = run;
        if (pos == bytes.size())
            break;
        char32_t code = 0;
        if (!DecodeOne(bytes, pos, code)) {
            if (strict)
                return false;
            code = kReplacement;
        }
        AppendUtf16(out, code);
    }
    return true;
}

// Code units above 0xFFFF can only come from a wider wchar_t and are no UTF-16; like unpaired
// surrogates they fail when `strict` and become U+FFFD otherwise.
bool Encode(std::wstring_view text, std::string& out, bool strict) {
    out.clear();
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        auto code = static_cast<char32_t>(text[i]);
        if (IsHighSurrogate(code) && i + 1 < text.size() &&
            IsLowSurrogate(static_cast<char32_t>(text[i + 1]))) {
            code = 0x10000 + ((code - 0xD800) << 10) + (static_cast<char32_t>(text[++i]) - 0xDC00);
        } else if (IsHighSurrogate(code) || IsLowSurrogate(code) || code > 0xFFFF) {
            if (strict)
                return false;
            code = kReplacement;
        }
        AppendUtf8(out, code);
    }
    return true;
}

}  // namespace

bool Utf8ToUtf16(std::string_view bytes, std::wstring& out) {
    return Decode(bytes, out, true);
}

bool Utf16ToUtf8(std::wstring_view text, std::string& out) {
    return Encode(text, out, true);
}

std::wstring Widen(std::string_view utf8) {
    std::wstring out;
    Decode(utf8, out, false);
    return out;
}

std::string Narrow(std::wstring_view utf16) {
    std::string out;
    Encode(utf16, out, false);
    return out;
}

}  // namespace pw
