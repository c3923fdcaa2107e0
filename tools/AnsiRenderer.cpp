#include "AnsiRenderer.h"

namespace {

constexpr int32_t kBlack = 0x000000;
constexpr int32_t kWhite = 0xFFFFFF;

}  // namespace

AnsiRenderer::AnsiRenderer(const LexTextAttributes& base)
    : text_(ShownColor(base.text, kBlack)), background_(ShownColor(base.background, kWhite)) {}

void AnsiRenderer::Row(std::wstring_view text, const std::vector<RowRun>& runs, std::string& out) {
    std::string previous, escapes;
    if (runs.empty())
        AppendText(text, false, out);
    for (const RowRun& run : runs) {
        const LexTextAttributes& a = run.attributes;
        escapes = "\x1b[0";
        escapes += a.weight == LexTextAttributes::kBold ? ";1" : "";
        escapes += a.italic == 1 ? ";3" : "";
        escapes += a.underline == 1 ? ";4" : "";
        escapes += 'm';
        AppendAnsiColor(ShownColor(a.text, text_), false, escapes);
        AppendAnsiColor(ShownColor(a.background, background_), true, escapes);
        if (escapes != previous)
            out += escapes;
        previous.swap(escapes);
        AppendText(RunText(text, run), false, out);
    }
    out += runs.empty() ? "\n" : "\x1b[0m\n";
}
