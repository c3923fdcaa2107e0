#include "HtmlRenderer.h"

namespace {

constexpr int32_t kBlack = 0x000000;
constexpr int32_t kWhite = 0xFFFFFF;

}  // namespace

HtmlRenderer::HtmlRenderer(std::wstring title, const LexTextAttributes& base, int tabSize)
    : title_(std::move(title)),
      text_(ShownColor(base.text, kBlack)),
      background_(ShownColor(base.background, kWhite)),
      tabSize_(tabSize) {}

HtmlRenderer::Style HtmlRenderer::StyleOf(const LexTextAttributes& a) const {
    return {ShownColor(a.text, text_), ShownColor(a.background, background_),
            a.weight == LexTextAttributes::kBold, a.italic == 1, a.underline == 1};
}

template <class Span>
void HtmlRenderer::ForEachSpan(const std::vector<RowRun>& runs, Span span) const {
    for (size_t i = 0; i < runs.size();) {
        const Style style = StyleOf(runs[i].attributes);
        size_t j = i + 1;
        while (j < runs.size() && StyleOf(runs[j].attributes) == style) ++j;
        span(i, j, style);
        i = j;
    }
}

void HtmlRenderer::Learn(const std::vector<RowRun>& runs) {
    ForEachSpan(runs, [&](size_t, size_t, const Style& style) {
        if (style != Plain())
            ClassOf(style);
    });
}

void HtmlRenderer::Row(std::wstring_view text, const std::vector<RowRun>& runs, std::string& out) {
    if (runs.empty())
        AppendText(text, true, out);
    // Neighbours that look the same share one span.
    ForEachSpan(runs, [&](size_t first, size_t last, const Style& style) {
        const std::wstring_view part = RunText(text, {runs[first].start, runs[last - 1].end, {}});
        if (style == Plain()) {
            AppendText(part, true, out);
        } else {
            out += "<span class=\"c" + std::to_string(ClassOf(style)) + "\">";
            AppendText(part, true, out);
            out += "</span>";
        }
    });
    out += '\n';
}

std::string HtmlRenderer::Prologue() const {
    std::string title;
    AppendText(title_, true, title);
    std::string out = "<!DOCTYPE html>\n<html>\n<head>\n<meta charset=\"utf-8\">\n<title>" + title +
                      "</title>\n<style>\npre { color: " + CssColor(text_) +
                      "; background: " + CssColor(background_) + "; tab-size: " + std::to_string(tabSize_) +
                      "; padding: 0.5em; }\n";
    for (const auto& [style, index] : classes_) {
        const auto& [color, background, bold, italic, underline] = style;
        out += ".c" + std::to_string(index) + " { color: " + CssColor(color);
        if (background != background_)
            out += "; background: " + CssColor(background);
        out += bold ? "; font-weight: bold" : "";
        out += italic ? "; font-style: italic" : "";
        out += underline ? "; text-decoration: underline" : "";
        out += " }\n";
    }
    return out + "</style>\n</head>\n<body>\n<pre>";
}

std::string HtmlRenderer::Epilogue() const {
    return "</pre>\n</body>\n</html>\n";
}
