#pragma once
// The top class of a language in a class tree: a class that knows the file extensions of its
// language, from the "<*.c|*.h>" value of its parent:file rule.
#include <string>
#include <string_view>
#include <vector>

#include "lexer/LexClass.h"

class LexFileClass : public LexClass {
public:
    // Also answers "IsExt=<extension>" with a number, 1 when the extension is one of the
    // class's and 0 otherwise.
    pw::RefPtr<LexValue> GetValue(std::wstring_view key) const override;
    void CopyFrom(const LexClass& other) override;
    pw::RefPtr<LexClass> Clone() const override;
    // Opens a block at the position when the document's extension is one of the class's, then
    // runs the children until the text ends, where the block ends.
    int Run(TextIterator* it, LexParseContext* ctx, TextBlock*& open,
            TextBlock* lookBackFrom = nullptr) override;

    // The extensions as written between "|", without "*" (".c", ".h"); parsed on first use.
    const std::vector<std::wstring>& GetExtensions() const;
    // Compared without regard to case.
    bool HasExtension(std::wstring_view extension) const;
    // Parses the extensions again, after the parent rule changed.
    void RefreshExtensions() { extensionsParsed_ = false; }

private:
    mutable std::vector<std::wstring> extensions_;
    mutable bool extensionsParsed_ = false;
};
