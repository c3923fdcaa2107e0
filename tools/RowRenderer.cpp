#include "RowRenderer.h"

#include <algorithm>
#include <cstdio>

std::string CssColor(int32_t colorRef) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02x%02x%02x", colorRef & 0xFF, (colorRef >> 8) & 0xFF,
                  (colorRef >> 16) & 0xFF);
    return text;
}

void AppendAnsiColor(int32_t colorRef, bool background, std::string& out) {
    out += background ? "\x1b[48;2;" : "\x1b[38;2;";
    out += std::to_string(colorRef & 0xFF) + ';' + std::to_string((colorRef >> 8) & 0xFF) + ';' +
           std::to_string((colorRef >> 16) & 0xFF) + 'm';
}

namespace {

void AppendUtf8(uint32_t c, std::string& out) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

constexpr uint32_t kReplacement = 0xFFFD;

}  // namespace

std::wstring_view RunText(std::wstring_view text, const RowRun& run) {
    auto boundary = [&](int32_t column) {
        size_t at = std::min(static_cast<size_t>(std::max(column, 0)), text.size());
        if (at > 0 && at < text.size() && (text[at - 1] & 0xFC00) == 0xD800 && (text[at] & 0xFC00) == 0xDC00)
            ++at;
        return at;
    };
    const size_t start = boundary(run.start);
    const size_t end = boundary(run.end);
    return start < end ? text.substr(start, end - start) : std::wstring_view();
}

void AppendText(std::wstring_view text, bool html, std::string& out) {
    out.reserve(out.size() + text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        // wchar_t holds one UTF-16 code unit, whatever its width.
        const uint32_t c = static_cast<uint32_t>(text[i]) & 0xFFFF;
        // Most source text is plain ASCII that needs nothing done.
        if (c >= 0x20 && c < 0x7F && c != L'&' && c != L'<' && c != L'>') {
            out += static_cast<char>(c);
            continue;
        }
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size()) {
            const uint32_t low = static_cast<uint32_t>(text[i + 1]) & 0xFFFF;
            if (low >= 0xDC00 && low <= 0xDFFF) {
                AppendUtf8(0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00), out);
                ++i;
                continue;
            }
        }
        if ((c >= 0xD800 && c <= 0xDFFF) || (c < 0x20 && c != L'\t') || c == 0x7F) {
            AppendUtf8(kReplacement, out);
        } else if (html && c == L'&') {
            out += "&amp;";
        } else if (html && c == L'<') {
            out += "&lt;";
        } else if (html && c == L'>') {
            out += "&gt;";
        } else {
            AppendUtf8(c, out);
        }
    }
}
