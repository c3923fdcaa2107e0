#pragma once
// An edit control's logic over a text given as rows joined by '\n', in a window of 16-pixel rows
// and 8-pixel characters whose text area holds five rows.
#include <string>
#include <vector>

#include "buffer/BufferTesting.h"
#include "editor/EditorCore.h"
#include "editor/EditorTesting.h"

class MeasuredWindow : public QuietWindow, public TextMeasurer {
public:
    MeasuredWindow() { client = {0, 0, 640, 80}; }
    const TextMeasurer* GetTextMeasurer() const override { return this; }
    FontMetrics Metrics() const override { return {16, 8, 8}; }
    void Extents(std::wstring_view text, std::vector<int>& ends) const override {
        ends.clear();
        for (size_t i = 1; i <= text.size(); ++i) ends.push_back(static_cast<int>(i) * 8);
    }
};

inline Rows SplitRows(std::wstring_view text) {
    Rows rows;
    if (text.empty())
        return rows;
    size_t from = 0;
    for (size_t at; (at = text.find(L'\n', from)) != std::wstring_view::npos; from = at + 1)
        rows.emplace_back(text.substr(from, at - from));
    rows.emplace_back(text.substr(from));
    return rows;
}

struct Editing {
    explicit Editing(std::wstring_view text)
        : buffer(MakeBuffer(SplitRows(text))), core(window, buffer, nullptr) {
        core.OnSize();
    }
    EditCaret& Caret() { return core.GetCaret(); }

    MeasuredWindow window;
    Buffer buffer;
    EditorCore core;
};
