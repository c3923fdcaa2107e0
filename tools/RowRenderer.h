#pragma once
// Turns rows of text with the runs that colour them into output bytes. The caller writes
// Prologue(), then every row, then Epilogue(). A renderer whose prologue depends on the rows
// says so, and is then shown every row's runs before the prologue is asked for, so that the
// rows can be written as they are made instead of kept until the end.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "lexer/LexTextAttributes.h"
#include "parser/TextSchemaRows.h"

class RowRenderer {
public:
    virtual ~RowRenderer() = default;
    // Appends the row, coloured by `runs` (columns of `text`), and a line end to `out`.
    virtual void Row(std::wstring_view text, const std::vector<RowRun>& runs, std::string& out) = 0;
    virtual bool LearnsFromRows() const { return false; }
    virtual void Learn(const std::vector<RowRun>& /*runs*/) {}
    virtual std::string Prologue() const = 0;
    virtual std::string Epilogue() const = 0;
};

// How a terminal or a page spells a COLORREF (0x00BBGGRR) colour.
std::string CssColor(int32_t colorRef);  // "#rrggbb"
void AppendAnsiColor(int32_t colorRef, bool background, std::string& out);

// The part of `text` that `run` colours. A boundary between the halves of a surrogate pair
// moves past the pair, so that no part shows half a character.
std::wstring_view RunText(std::wstring_view text, const RowRun& run);

// Appends `text` as UTF-8. Characters a page or a terminal would take for markup or commands
// are made harmless: with `html` the markup characters become entities; control characters
// other than tab, and unpaired surrogates, become U+FFFD.
void AppendText(std::wstring_view text, bool html, std::string& out);
