#pragma once
// The new text of a schema file after write-back: the file's own text with edited values put
// where the old ones stood, attributes and blocks that the edit dropped left out, new
// attributes after their block's last line and new classes at the end. Every line that no
// change touches keeps its bytes, each line its own line end, and the file its final line end
// or the lack of one; new lines take the line end that most lines of the file have.
#include <string>
#include <string_view>
#include <vector>

#include "lexer/LexClassDef.h"

class SchemaMerger {
public:
    // `text` is the whole file; `hidden` is where a NUL ends the text the reader sees (line 0
    // when there is none); `blocks` are what the reader found in it.
    SchemaMerger(std::wstring_view text, SchemaSpot hidden);

    // Merges `classes`, the edited definitions, into the text.
    void Run(const std::vector<LexClassDef>& blocks, const std::vector<LexClassDef>& classes);
    const std::wstring& Text() const { return text_; }
    // What the new text must read as: the blocks kept, each with the values it was given, then
    // the appended classes.
    const std::vector<LexClassDef>& Expected() const { return expected_; }

private:
    struct Line {
        std::wstring text;
        std::wstring_view end;  // "\r\n", "\n", or empty for a last line without a line end
    };

    void Emit(std::wstring_view line, std::wstring_view end);
    void CopyThrough(size_t through);
    void SkipThrough(size_t through);
    void LeaveOutBlock(const LexClassDef& block);
    void MergeBlock(const LexClassDef& block, const LexClassDef& edited);
    void LeaveOutAttribute(const LexClassDef& block, const LexAttrDef& attribute);
    void AppendClass(const LexClassDef& added);

    std::vector<Line> lines_;
    SchemaSpot hidden_;
    std::wstring_view newLineEnd_;  // for lines the file did not have
    size_t last_ = 0;               // the last line copied or left out
    std::wstring text_;
    size_t lastEndSize_ = 0;  // of the line end written last
    std::vector<LexClassDef> expected_;
};
