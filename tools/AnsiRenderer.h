#pragma once
// Text for a terminal: 24-bit colour escapes, bold, italic and underline, all reset at the end
// of each row so that a row cut off by a pager leaves the terminal as it was.
#include "RowRenderer.h"

class AnsiRenderer : public RowRenderer {
public:
    explicit AnsiRenderer(const LexTextAttributes& base);

    void Row(std::wstring_view text, const std::vector<RowRun>& runs, std::string& out) override;
    std::string Prologue() const override { return {}; }
    std::string Epilogue() const override { return {}; }

private:
    int32_t text_;
    int32_t background_;
};
