#include "lexer/SchemaReader.h"

#include <algorithm>
#include <cstdint>
#include <cwctype>
#include <optional>
#include <utility>

#include "lexer/LexText.h"
#include "lexer/SchemaMerger.h"
#include "platform/CodePage.h"
#include "platform/FileSystem.h"

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

enum class TokenKind { None, Blank, Word, Other, Quoted, Comment, LineEnd, Assign };

struct Token {
    TokenKind kind = TokenKind::None;
    std::wstring text;  // empty for blanks
    size_t start = 0;   // in the text: the first character and one past the last
    size_t end = 0;
    SchemaSpot spot;  // of the first character
};

TokenKind KindOf(wchar_t c) {
    if (std::iswalpha(static_cast<wint_t>(c)))
        return TokenKind::Word;
    switch (c) {
        case L'\'':
            return TokenKind::Quoted;
        case L'/':
            return TokenKind::Comment;
        case L' ':
        case L'\t':
        case L',':
            return TokenKind::Blank;
        case L'\r':
        case L'\n':
            return TokenKind::LineEnd;
        case L'=':
        case L':':
            return TokenKind::Assign;
        default:
            return TokenKind::Other;
    }
}

bool IsBlankOrLineEnd(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L',' || c == L'\r' || c == L'\n';
}

// Whether `c` goes on with a token of `kind` (quoted text has rules of its own).
bool Continues(TokenKind kind, wchar_t c) {
    switch (kind) {
        case TokenKind::Word:
            return !IsBlankOrLineEnd(c) && c != L'\'' && c != L'/' && c != L'=' && c != L':';
        case TokenKind::Other:  // runs through "=", ":" and quotes: "@alpha:not", "0x00FF00"
            return !IsBlankOrLineEnd(c) && c != L'/';
        case TokenKind::Comment:
            return c != L'\r' && c != L'\n';
        case TokenKind::LineEnd:
            return c == L'\r' || c == L'\n';
        case TokenKind::Assign:
            return c == L'=' || c == L':';
        default:  // a blank is one character
            return false;
    }
}

bool IsSignificant(TokenKind kind) {
    return kind != TokenKind::None && kind != TokenKind::Blank && kind != TokenKind::Comment;
}

bool IsBlockStart(const Token& token) {
    return EqualNoCase(token.text, L"lexClass:");
}

bool IsAssign(const Token& token, std::wstring_view text) {
    return token.kind == TokenKind::Assign && token.text == text;
}

// Cuts schema text into tokens. Each character is taken once, so a line feed is counted once.
class Scanner {
public:
    explicit Scanner(std::wstring_view text) : text(text) {}

    bool AtEnd() const { return pos >= text.size(); }
    size_t Line() const { return line; }

    // The next token; of kind None at the end of the text.
    const Token& Read() {
        token.text.clear();
        token.start = pos;
        token.spot = {line, pos - lineStart};
        token.kind = AtEnd() ? TokenKind::None : KindOf(text[pos]);
        if (token.kind == TokenKind::Quoted) {
            ReadQuoted();
        } else if (token.kind != TokenKind::None) {
            do Take();
            while (!AtEnd() && Continues(token.kind, text[pos]));
            if (token.kind != TokenKind::Blank)
                token.text.assign(text.substr(token.start, pos - token.start));
            // The block keyword takes the colon along, written exactly so and without a blank.
            if (token.kind == TokenKind::Word && token.text == L"lexClass")
                while (!AtEnd() && (text[pos] == L':' || text[pos] == L'=')) {
                    token.text += text[pos];
                    Take();
                }
        }
        token.end = pos;
        return token;
    }

    // The next token that is no blank or comment; of kind None at the end of the text. A colon
    // directly after the previous token only joins name parts and is passed over.
    const Token& ReadSignificant() {
        Read();
        if (IsAssign(token, L":"))
            token.kind = TokenKind::None;
        while (!IsSignificant(token.kind) && !AtEnd()) Read();
        return token;
    }

private:
    void Take() {
        if (text[pos++] == L'\n') {
            ++line;
            lineStart = pos;
        }
    }

    // Up to and with the closing quote, which is one not preceded by a backslash. Unclosed text
    // ends before the line end. A quote right after the opening one is dropped, so that "''"
    // opens no empty text. The character after the closing quote starts the next token.
    void ReadQuoted() {
        Take();
        token.text = L"'";
        while (!AtEnd() && text[pos] != L'\r' && text[pos] != L'\n') {
            wchar_t c = text[pos];
            Take();
            if (c == L'\'' && token.text.size() == 1)
                continue;
            token.text += c;
            if (c == L'\'' && token.text[token.text.size() - 2] != L'\\')
                return;
        }
    }

    std::wstring_view text;
    size_t pos = 0;
    size_t line = 1;
    size_t lineStart = 0;  // where the current line begins
    Token token;
};

// Reads the statements of one block; true when it stopped at the next "lexClass:", false at
// the end of the text.
bool ReadBlock(Scanner& scanner, LexClassDef& block) {
    for (;;) {
        LexAttrDef attribute;
        bool isName = false;
        bool started = false;
        for (;;) {  // name parts, which may run over several lines, up to "="
            const Token& token = scanner.ReadSignificant();
            if (IsBlockStart(token))
                return true;
            if (!IsSignificant(token.kind))
                return false;
            if (token.kind == TokenKind::LineEnd)
                continue;
            if (!started)
                attribute.start = token.spot;
            started = true;
            if (IsAssign(token, L"="))
                break;
            if (EqualNoCase(token.text, L"name"))
                isName = true;
            else
                attribute.nameParts.push_back(token.text);
            attribute.line = token.spot.line;
        }
        size_t valueStart = kNone;
        size_t valueEnd = 0;
        for (;;) {  // values, up to the line end
            const Token& token = scanner.ReadSignificant();
            if (!IsSignificant(token.kind) || token.kind == TokenKind::LineEnd)
                break;
            if (valueStart == kNone) {
                valueStart = token.start;
                attribute.value = token.spot;
                if (isName)
                    block.name = token.text;
            }
            valueEnd = token.end;
            if (!isName)
                attribute.values.push_back(SchemaReader::Unescape(token.text));
        }
        if (valueStart == kNone)
            continue;
        block.lastLine = attribute.value.line;
        attribute.valueLength = valueEnd - valueStart;
        if (!isName)
            block.attributes.push_back(std::move(attribute));
    }
}

// The characters that have an escape, and the letters that stand for them after a backslash.
constexpr std::wstring_view kEscapedChars = L"\\'\a\b\f\n\r\t\v";
constexpr std::wstring_view kEscapeLetters = L"\\'abfnrtv";

// A value's outer quotes, which escaping leaves alone, and the text between them.
struct QuotedParts {
    std::wstring_view open, inner, close;
};

QuotedParts SplitQuotes(std::wstring_view value) {
    if (value.empty() || value.front() != L'\'' || value.back() != L'\'')
        return {{}, value, {}};
    if (value.size() == 1)
        return {value, {}, {}};
    return {value.substr(0, 1), value.substr(1, value.size() - 2), value.substr(value.size() - 1)};
}

struct SchemaText {
    std::wstring text;
    bool bytewise = false;  // not valid in the system code page: one character per byte
};

// Missing, a folder or unreadable: none.
std::optional<SchemaText> LoadSchemaText(const std::wstring& path) {
    std::optional<std::string> bytes = pw::ReadFileBytes(path);
    if (!bytes)
        return std::nullopt;
    SchemaText loaded;
    if (!pw::MultiByteToUtf16(pw::kCodePageSystem, *bytes, loaded.text)) {
        // Any byte stands for itself: the structure, which is ASCII, reads as it should, and
        // writing back gives the untouched lines their bytes again.
        loaded.bytewise = true;
        loaded.text.resize(bytes->size());
        for (size_t i = 0; i < bytes->size(); ++i) loaded.text[i] = static_cast<unsigned char>((*bytes)[i]);
    }
    return loaded;
}

bool EncodeSchemaText(std::wstring_view text, bool bytewise, std::string& bytes) {
    if (!bytewise)
        return pw::Utf16ToMultiByte(pw::kCodePageSystem, text, bytes);
    bytes.resize(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (static_cast<uint32_t>(text[i]) > 0xFF)
            return false;
        bytes[i] = static_cast<char>(text[i]);
    }
    return true;
}

// A CR that ends a line without a line feed puts two statements on one line of the file, and
// a line-by-line rewrite could not keep both.
bool HasLoneCr(std::wstring_view text) {
    for (size_t i = text.find(L'\r'); i != std::wstring_view::npos; i = text.find(L'\r', i + 1))
        if (i + 1 < text.size() && text[i + 1] != L'\n')
            return true;
    return false;
}

// Whether two lists of definitions hold the same names, name parts and values.
bool SameDefinitions(const std::vector<LexClassDef>& a, const std::vector<LexClassDef>& b) {
    auto sameAttribute = [](const LexAttrDef& x, const LexAttrDef& y) {
        return x.nameParts == y.nameParts && x.values == y.values;
    };
    return std::equal(
        a.begin(), a.end(), b.begin(), b.end(), [&](const LexClassDef& x, const LexClassDef& y) {
            return x.name == y.name && std::equal(x.attributes.begin(), x.attributes.end(),
                                                  y.attributes.begin(), y.attributes.end(), sameAttribute);
        });
}

}  // namespace

SchemaReader& SchemaReader::Instance() {
    static SchemaReader reader;
    return reader;
}

void SchemaReader::ReadSchemaFile(const std::wstring& path, bool keepInCache) {
    std::optional<SchemaText> loaded = LoadSchemaText(path);
    ParseText(loaded ? std::wstring_view(loaded->text) : std::wstring_view());
    if (keepInCache)
        cache[FoldCase(path)] = SchemaFileDefs{definitions, false};
}

void SchemaReader::ParseText(std::wstring_view text) {
    definitions.clear();
    Scanner scanner(text.substr(0, text.find(L'\0')));
    for (;;) {  // text before the first block belongs to none
        const Token& token = scanner.ReadSignificant();
        if (IsBlockStart(token))
            break;
        if (!IsSignificant(token.kind))
            return;
    }
    for (bool more = true; more;) {
        LexClassDef block;
        block.firstLine = block.lastLine = scanner.Line();
        more = ReadBlock(scanner, block);
        if (!block.name.empty())
            definitions.push_back(std::move(block));
    }
}

void SchemaReader::CopyCache(SchemaCache& destination) const {
    destination = cache;
}

int SchemaReader::WriteBack(const std::wstring& path, const SchemaFileDefs& edited) {
    definitions.clear();
    if (!edited.modified)
        return 0;
    // A file that is there but cannot be read is not replaced by the edited classes alone.
    SchemaText loaded;
    if (pw::FileExists(path)) {
        std::optional<SchemaText> read = LoadSchemaText(path);
        if (!read)
            return 0;
        loaded = std::move(*read);
    }
    std::wstring_view parsed = std::wstring_view(loaded.text).substr(0, loaded.text.find(L'\0'));
    if (HasLoneCr(parsed))
        return 0;
    ParseText(parsed);
    std::vector<LexClassDef> blocks = std::move(definitions);
    definitions.clear();
    SchemaSpot hidden;
    if (parsed.size() < loaded.text.size()) {
        hidden.line = std::count(parsed.begin(), parsed.end(), L'\n') + 1;
        hidden.column = parsed.size() - (parsed.rfind(L'\n') + 1);
    }
    SchemaMerger merger(loaded.text, hidden);
    merger.Run(blocks, edited.classes);
    // A name or value that cannot stand in schema text as it is (a line end, a NUL, a quote
    // that would not close, a blank in an unquoted value) would read back as something else:
    // the file is not touched rather than changed into what nobody edited.
    ParseText(merger.Text());
    bool faithful = SameDefinitions(definitions, merger.Expected());
    definitions.clear();
    std::string bytes;
    if (!faithful || !EncodeSchemaText(merger.Text(), loaded.bytewise, bytes))
        return 0;
    return pw::WriteFileAtomic(path, bytes) ? 1 : 0;
}

std::wstring SchemaReader::Unescape(std::wstring_view value) {
    QuotedParts parts = SplitQuotes(Trim(value));
    std::wstring out(parts.open);
    for (size_t i = 0; i < parts.inner.size(); ++i) {
        size_t escape = i + 1 < parts.inner.size() && parts.inner[i] == L'\\'
                            ? kEscapeLetters.find(parts.inner[i + 1])
                            : kNone;
        if (escape == kNone) {
            out += parts.inner[i];
        } else {
            out += kEscapedChars[escape];
            ++i;
        }
    }
    return out.append(parts.close);
}

std::wstring SchemaReader::Escape(std::wstring_view value) {
    QuotedParts parts = SplitQuotes(Trim(value));
    std::wstring out(parts.open);
    for (wchar_t c : parts.inner) {
        size_t escape = kEscapedChars.find(c);
        if (escape == std::wstring_view::npos) {
            out += c;
        } else {
            out += L'\\';
            out += kEscapeLetters[escape];
        }
    }
    return out.append(parts.close);
}
