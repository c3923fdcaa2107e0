#include "lexer/SchemaMerger.h"

#include <algorithm>

#include "lexer/LexText.h"
#include "lexer/SchemaReader.h"

namespace {

constexpr size_t kNone = static_cast<size_t>(-1);

// The reader drops an attribute without values; edited definitions may hold one all the same.
bool HasValues(const LexAttrDef& attribute) {
    return !attribute.values.empty();
}

std::wstring JoinValues(const std::vector<std::wstring>& values) {
    std::wstring joined;
    for (const std::wstring& value : values) {
        if (!joined.empty())
            joined += L", ";
        joined += SchemaReader::Escape(value);
    }
    return joined;
}

std::wstring NewAttributeLine(std::wstring_view indent, const LexAttrDef& attribute) {
    return std::wstring(indent)
        .append(attribute.FullName())
        .append(L" = ")
        .append(JoinValues(attribute.values));
}

std::wstring_view LeadingBlanks(std::wstring_view line) {
    return line.substr(0, std::min(line.find_first_not_of(L" \t"), line.size()));
}

// The first attribute of `attributes` not yet written, with values, of the same name as
// `attribute`: the k-th occurrence of a name in the file takes the k-th one edited, so that
// occurrences keep their order.
size_t FindUnwritten(const std::vector<LexAttrDef>& attributes, const std::vector<bool>& written,
                     const LexAttrDef& attribute) {
    std::wstring name = attribute.FullName();
    for (size_t i = 0; i < attributes.size(); ++i)
        if (!written[i] && HasValues(attributes[i]) &&
            attributes[i].nameParts.size() == attribute.nameParts.size() &&
            EqualNoCase(attributes[i].FullName(), name))
            return i;
    return kNone;
}

}  // namespace

SchemaMerger::SchemaMerger(std::wstring_view text, SchemaSpot hidden) : hidden_(hidden) {
    // Lines as the reader counts them: each ends with a line feed.
    size_t crlf = 0, lf = 0;
    for (size_t from = 0; from < text.size();) {
        size_t feed = text.find(L'\n', from);
        if (feed == std::wstring_view::npos) {
            lines_.push_back({std::wstring(text.substr(from)), {}});
            break;
        }
        bool cr = feed > from && text[feed - 1] == L'\r';
        ++(cr ? crlf : lf);
        lines_.push_back({std::wstring(text.substr(from, feed - from - cr)), cr ? L"\r\n" : L"\n"});
        from = feed + 1;
    }
    // CR LF, as the system writes its files, unless most lines end with a line feed alone.
    newLineEnd_ = lf > crlf ? L"\n" : L"\r\n";
}

void SchemaMerger::Run(const std::vector<LexClassDef>& blocks, const std::vector<LexClassDef>& classes) {
    // Blocks of one name take the edited classes of that name in turn, so that a second block
    // is not overwritten with the first one's attributes.
    std::vector<bool> written(classes.size(), false);
    for (const LexClassDef& block : blocks) {
        size_t edited = 0;
        while (edited < classes.size() && (written[edited] || !EqualNoCase(classes[edited].name, block.name)))
            ++edited;
        if (edited == classes.size()) {
            LeaveOutBlock(block);
            continue;
        }
        written[edited] = true;
        MergeBlock(block, classes[edited]);
    }
    CopyThrough(lines_.size());
    for (size_t i = 0; i < classes.size(); ++i)
        if (!written[i])
            AppendClass(classes[i]);
    // A file that did not end with a line end still does not.
    if (!lines_.empty() && lines_.back().end.empty())
        text_.resize(text_.size() - lastEndSize_);
}

// A line without a line end of its own, the file's last or a new one, gets the usual one; Run
// takes the very last away again when the file had none.
void SchemaMerger::Emit(std::wstring_view line, std::wstring_view end) {
    if (end.empty())
        end = newLineEnd_;
    text_.append(line).append(end);
    lastEndSize_ = end.size();
}

// Copies the lines after the last one used, up to and with `through`.
void SchemaMerger::CopyThrough(size_t through) {
    for (size_t n = last_ + 1; n <= std::min(through, lines_.size()); ++n)
        Emit(lines_[n - 1].text, lines_[n - 1].end);
    last_ = std::max(last_, through);
}

// Leaves the lines out, except what follows a NUL: the reader never saw it, and it stays unseen
// instead of coming to light.
void SchemaMerger::SkipThrough(size_t through) {
    if (last_ < hidden_.line && hidden_.line <= through) {
        const Line& line = lines_[hidden_.line - 1];
        Emit(std::wstring_view(line.text).substr(hidden_.column), line.end);
    }
    last_ = std::max(last_, through);
}

// With the block goes its conventional closing comment when that follows directly.
void SchemaMerger::LeaveOutBlock(const LexClassDef& block) {
    CopyThrough(block.firstLine - 1);
    SkipThrough(block.lastLine);
    if (last_ < lines_.size() && StartsWithNoCase(Trim(lines_[last_].text), L"//:lexClass"))
        SkipThrough(last_ + 1);
}

void SchemaMerger::MergeBlock(const LexClassDef& block, const LexClassDef& edited) {
    LexClassDef& result = expected_.emplace_back();
    result.name = block.name;
    std::wstring indent = L"\t";
    std::vector<bool> written(edited.attributes.size(), false);
    for (const LexAttrDef& attribute : block.attributes) {
        size_t match = FindUnwritten(edited.attributes, written, attribute);
        if (match == kNone) {
            LeaveOutAttribute(block, attribute);
            continue;
        }
        written[match] = true;
        const std::vector<std::wstring>& values = edited.attributes[match].values;
        LexAttrDef& kept = result.attributes.emplace_back();
        kept.nameParts = attribute.nameParts;
        kept.values = values;
        indent = LeadingBlanks(lines_[attribute.start.line - 1].text);
        // Values as they were keep their line as written: its quoting, escapes and separators.
        if (values == attribute.values) {
            CopyThrough(attribute.value.line);
            continue;
        }
        CopyThrough(attribute.value.line - 1);
        const Line& line = lines_[attribute.value.line - 1];
        std::wstring changed = line.text;
        changed.replace(attribute.value.column, attribute.valueLength, JoinValues(values));
        Emit(changed, line.end);
        last_ = attribute.value.line;
    }
    // New attributes go after the block's last line, which may be its name line.
    CopyThrough(block.lastLine);
    for (size_t i = 0; i < edited.attributes.size(); ++i) {
        if (written[i] || !HasValues(edited.attributes[i]))
            continue;
        Emit(NewAttributeLine(indent, edited.attributes[i]), {});
        result.attributes.push_back(edited.attributes[i]);
    }
}

// Its lines go, except the "lexClass:" that may stand before it on its first line.
void SchemaMerger::LeaveOutAttribute(const LexClassDef& block, const LexAttrDef& attribute) {
    CopyThrough(attribute.start.line - 1);
    if (attribute.start.line == block.firstLine && last_ < attribute.start.line) {
        const Line& line = lines_[attribute.start.line - 1];
        std::wstring_view before = std::wstring_view(line.text).substr(0, attribute.start.column);
        Emit(before.substr(0, before.find_last_not_of(L" \t") + 1), line.end);
    }
    SkipThrough(attribute.value.line);
}

// A class without a name is no class to the reader, so it is not written.
void SchemaMerger::AppendClass(const LexClassDef& added) {
    if (added.name.empty())
        return;
    LexClassDef& result = expected_.emplace_back();
    result.name = added.name;
    Emit(L"", {});
    Emit(L"lexClass:", {});
    Emit(L"\tname = " + added.name, {});
    for (const LexAttrDef& attribute : added.attributes) {
        if (!HasValues(attribute))
            continue;
        Emit(NewAttributeLine(L"\t", attribute), {});
        result.attributes.push_back(attribute);
    }
    Emit(L"//:lexClass", {});
}
