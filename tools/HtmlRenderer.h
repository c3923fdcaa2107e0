#pragma once
// A standalone HTML page: the text in a <pre> with one span per coloured run, each distinct set
// of attributes a class of the page's style sheet.
#include <map>
#include <string>
#include <tuple>

#include "RowRenderer.h"

class HtmlRenderer : public RowRenderer {
public:
    // `base` is what the page shows where no run sets anything.
    HtmlRenderer(std::wstring title, const LexTextAttributes& base, int tabSize);

    void Row(std::wstring_view text, const std::vector<RowRun>& runs, std::string& out) override;
    // The style sheet needs every class the rows use.
    bool LearnsFromRows() const override { return true; }
    void Learn(const std::vector<RowRun>& runs) override;
    // The head with the style sheet of every class the rows learnt or written used so far.
    std::string Prologue() const override;
    std::string Epilogue() const override;

private:
    // What a span shows: text and background colour, weight, italic, underline.
    using Style = std::tuple<int32_t, int32_t, bool, bool, bool>;
    Style StyleOf(const LexTextAttributes& attributes) const;
    // Calls `span(first, last, style)` for each stretch of neighbouring runs that look the same,
    // [first, last) indexes of `runs`.
    template <class Span>
    void ForEachSpan(const std::vector<RowRun>& runs, Span span) const;
    // The class of a style that is not plain, numbered in the order styles are met.
    int ClassOf(const Style& style) {
        return classes_.try_emplace(style, static_cast<int>(classes_.size())).first->second;
    }
    Style Plain() const { return {text_, background_, false, false, false}; }

    std::wstring title_;
    int32_t text_;
    int32_t background_;
    int tabSize_;
    std::map<Style, int> classes_;
};
