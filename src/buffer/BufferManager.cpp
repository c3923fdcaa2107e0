#include "buffer/BufferManager.h"

#include <algorithm>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <cwctype>
#include <memory>
#include <mutex>
#include <optional>
#include <utility>

#include "buffer/BufferCommands.h"
#include "buffer/LineReader.h"
#include "platform/Profile.h"

namespace {

constexpr wchar_t kSettings[] = L"Settings";
constexpr wchar_t kTabSizeKey[] = L"TabSize";

bool IsValidTabSize(int n) {
    return n >= 1 && n <= CQELPenwrightBufferManager::kMaxTabSize;
}

int ClampToInt(int64_t v) {
    return v > INT_MAX ? INT_MAX : static_cast<int>(v);
}

bool EqualsNoCase(std::wstring_view a, std::wstring_view b) {
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](wchar_t x, wchar_t y) {
        return std::towlower(static_cast<wint_t>(x)) == std::towlower(static_cast<wint_t>(y));
    });
}

// The configuration that the buffer managers of the process share, and how many they are.
struct SharedConfig {
    std::mutex mutex;
    BufferConfigFactory factory = nullptr;
    pw::RefPtr<BufferConfig> config;
    int buffers = 0;
};

SharedConfig& Shared() {
    static SharedConfig shared;
    return shared;
}

pw::RefPtr<BufferConfig> AttachSharedConfig() {
    SharedConfig& shared = Shared();
    std::lock_guard<std::mutex> lock(shared.mutex);
    ++shared.buffers;
    if (!shared.config && shared.factory)
        shared.config = shared.factory();
    return shared.config;
}

void DetachSharedConfig() {
    pw::RefPtr<BufferConfig> last;
    {
        SharedConfig& shared = Shared();
        std::lock_guard<std::mutex> lock(shared.mutex);
        if (--shared.buffers == 0)
            last = std::move(shared.config);
    }
    if (last)
        last->Close();  // outside the lock: it waits for the configuration's threads
}

}  // namespace

void SetBufferConfigFactory(BufferConfigFactory factory) {
    SharedConfig& shared = Shared();
    std::lock_guard<std::mutex> lock(shared.mutex);
    shared.factory = factory;
}

CQELPenwrightBufferManager::CQELPenwrightBufferManager()
    : connection(pw::MakeRef<CQELNotificationConnection>()) {
    if (pw::Profile* profile = pw::AppProfile()) {
        int n = profile->GetInt(kSettings, kTabSizeKey, tabSize);
        if (IsValidTabSize(n))
            tabSize = n;
    }
    SetConfigManager(AttachSharedConfig());
}

CQELPenwrightBufferManager::~CQELPenwrightBufferManager() {
    Close();
    // Dropped before the count: closing the shared configuration may still deliver one of its
    // events here, and without a configuration the handler does nothing.
    configManager.reset();
    DetachSharedConfig();
}

std::wstring CQELPenwrightBufferManager::GetLineText(int row, bool withLineEnd, int style) const {
    if (row < 1 || row > GetRowCount())
        return {};
    std::wstring text(rows.GetAt(row));
    if (withLineEnd)
        text += LineEndOrOwn(style);
    return text;
}

int CQELPenwrightBufferManager::GetLineTextLength(int row, bool withLineEnd, int style) const {
    if (row < 1 || row > GetRowCount())
        return 0;
    return rows.GetLength(row) + (withLineEnd ? static_cast<int>(LineEndOrOwn(style).size()) : 0);
}

OverwriteScope::OverwriteScope(CQELPenwrightBufferManager& buffer, bool on)
    : buffer_(buffer), saved_(buffer.GetOverwriteFlag()) {
    buffer_.SetOverwriteFlag(on);
}

OverwriteScope::~OverwriteScope() {
    buffer_.SetOverwriteFlag(saved_);
}

bool CQELPenwrightBufferManager::InsertText(std::wstring_view text, int row, int col, bool canUndo,
                                            LineCol* final) {
    if (row < 1)
        return false;
    col = std::max(col, 1);
    LineReader reader(text);
    std::optional<TextLine> line = reader.Next();
    std::wstring filler;
    LineCol from = canUndo ? InsertStart(row, col - 1, line.has_value(), filler) : LineCol{};
    if (!line) {
        // Nothing to insert, but the row is there afterwards, as the caller will expect.
        if (!rows.InsertChars(row, 0, {}))
            return false;
        if (canUndo)
            undoManager.AddCommand(
                std::make_unique<CQELPenwrightInsertStringCommand>(this, filler, from, LineCol{row, col}));
        if (final)
            *final = {row, col};
        return true;
    }

    int index = col - 1;
    int length = rows.GetLength(row);
    std::wstring tail;
    std::wstring overwritten;
    if (index < length) {
        tail = rows.GetAt(row).substr(static_cast<size_t>(index));
        if (overwrite) {
            size_t n = std::min(line->text.size(), tail.size());
            overwritten = tail.substr(0, n);
            tail.erase(0, n);
        }
        rows.DeleteChars(row, index, length - index);
        rows.InsertChars(row, index, line->text);
    } else if (!rows.InsertChars(row, index, line->text)) {
        return false;  // too far past the text; nothing was changed
    }

    int style = line->style;
    std::vector<std::wstring> more;
    while ((line = reader.Next())) {
        more.push_back(std::move(line->text));
        style = line->style;
    }
    const int last = row + static_cast<int>(more.size());
    rows.InsertRows(row + 1, std::move(more));

    LineCol end;
    if (style == CrlfStyle::None) {
        int lastLength = rows.GetLength(last);
        rows.InsertChars(last, lastLength, tail);
        end = {last, lastLength + 1};
    } else {
        rows.InsertAt(last + 1, std::move(tail));
        end = {last + 1, 1};
    }
    if (canUndo && !overwritten.empty()) {
        undoManager.SetGroupMode(false);
        undoManager.AddCommand(std::make_unique<CQELPenwrightReplaceStringCommand>(
            this, std::wstring(text), std::move(overwritten), from, end));
    } else if (canUndo) {
        undoManager.AddCommand(
            std::make_unique<CQELPenwrightInsertStringCommand>(this, filler.append(text), from, end));
    }
    if (final)
        *final = end;
    return true;
}

bool CQELPenwrightBufferManager::InsertTextBlock(std::wstring_view text, int row, int col, bool canUndo,
                                                 LineCol* final) {
    if (row < 1)
        return false;
    col = std::max(col, 1);
    int target = CharIndexToDisplayCol(row, col - 1);
    // No row is padded by more than target - 1 blanks, so only the first row's creation can
    // still fail below, before anything has changed.
    if (target - 1 > RowArray::kMaxPadding)
        return false;

    if (canUndo)
        undoManager.SetGroupMode(true);  // the pieces form one undo step
    LineCol end{row, col};
    int r = row;
    bool inserted = true;
    LineReader reader(text);
    while (std::optional<TextLine> line = reader.Next()) {
        int index = DisplayColToCharIndex(r, target);
        std::wstring filler;
        LineCol from = canUndo ? InsertStart(r, index, true, filler) : LineCol{};
        if (!(inserted = rows.InsertChars(r, index, line->text)))
            break;
        end = {r, index + static_cast<int>(line->text.size()) + 1};
        if (canUndo)
            undoManager.AddCommand(
                std::make_unique<CQELPenwrightInsertStringCommand>(this, filler + line->text, from, end));
        ++r;
    }
    if (canUndo)
        undoManager.SetGroupMode(false);
    if (inserted && final)
        *final = end;
    return inserted;
}

bool CQELPenwrightBufferManager::DeleteText(int row1, int col1, int row2, int col2, bool canUndo,
                                            bool displayColumns) {
    if (row2 < row1) {
        std::swap(row1, row2);
        std::swap(col1, col2);
    }
    if (row1 < 1 || row1 > GetRowCount())
        return false;
    auto toIndex = [&](int r, int c) {
        return displayColumns ? DisplayColToCharIndex(r, c) : std::max(c, 1) - 1;
    };
    int i1 = toIndex(row1, col1);
    int i2 = toIndex(row2, col2);
    if (canUndo)
        RecordDelete(row1, i1, row2, i2);
    if (row1 == row2)
        return rows.DeleteChars(row1, std::min(i1, i2), std::abs(i2 - i1));

    std::wstring_view last = rows.GetAt(row2);  // empty when row2 is past the end
    std::wstring rest(last.substr(std::min(static_cast<size_t>(i2), last.size())));
    bool cut = rows.DeleteChars(row1, i1, rows.GetLength(row1) - i1);
    rows.InsertChars(row1, rows.GetLength(row1), rest);
    bool removed = rows.RemoveAt(row1 + 1, std::min(row2, GetRowCount()) - row1);
    return cut || removed;  // rest is non-empty only when rows were removed
}

bool CQELPenwrightBufferManager::RemoveRows(int row, bool canUndo, int count) {
    if (row < 1 || count < 1 || row > GetRowCount())
        return false;
    int end = static_cast<int>(std::min<int64_t>(int64_t{row} + count, int64_t{GetRowCount()} + 1));
    // Removing the last rows takes the line end before them too: redoing a deletion up to
    // (end, 1) past the last row would leave an empty row behind.
    if (canUndo && end > GetRowCount() && row > 1)
        RecordDelete(row - 1, rows.GetLength(row - 1), end, 0);
    else if (canUndo)
        RecordDelete(row, 0, end, 0);
    return rows.RemoveAt(row, end - row);
}

LineCol CQELPenwrightBufferManager::InsertStart(int row, int index, bool pads, std::wstring& filler) const {
    int count = GetRowCount();
    LineCol from{row, index + 1};
    if (row > count) {
        from = count ? LineCol{count, rows.GetLength(count) + 1} : LineCol{1, 1};
        for (int r = std::max(count, 1); r < row; ++r) filler += GetLineEndText();
    }
    int length = rows.GetLength(row);
    if (pads && index > length) {
        if (row <= count)
            from = {row, length + 1};
        filler.append(static_cast<size_t>(index - length), L' ');
    }
    return from;
}

void CQELPenwrightBufferManager::RecordDelete(int row1, int i1, int row2, int i2) {
    // What DeleteText takes out: an index past a row's end stops at the end, and a range
    // reaching past the last row ends at the end of the text.
    int count = GetRowCount();
    if (row2 > count) {
        row2 = count;
        i2 = rows.GetLength(count);
    }
    LineCol from{row1, std::min(i1, rows.GetLength(row1)) + 1};
    LineCol to{row2, std::min(i2, rows.GetLength(row2)) + 1};
    if (to < from)
        std::swap(from, to);
    if (from == to)
        return;
    pw::MemFile file(RangeGrowthSize(from.row, to.row));
    GetText(from.row, CharIndexToDisplayCol(from.row, from.col - 1), to.row,
            CharIndexToDisplayCol(to.row, to.col - 1), file);
    undoManager.AddCommand(std::make_unique<CQELPenwrightDeleteStringCommand>(this, file.Text(), from, to));
}

bool CQELPenwrightBufferManager::GetText(int row1, int col1, int row2, int col2, pw::MemFile& file,
                                         bool block, bool forceCrLf) const {
    if (row2 < row1) {
        std::swap(row1, row2);
        std::swap(col1, col2);
    }
    if ((row1 == row2 || block) && col2 < col1)
        std::swap(col1, col2);
    int64_t width = int64_t{col2} - col1;
    if (row1 < 1 || row1 > GetRowCount() || (block && width > RowArray::kMaxPadding))
        return false;
    // An end past the last row is the end of the text: no line end is made up after the last
    // row, so that deleting the range and inserting its text again gives the rows back.
    bool toTextEnd = row2 > GetRowCount();
    row2 = std::min(row2, GetRowCount());

    std::wstring_view lineEnd = LineEndText(forceCrLf ? CrlfStyle::CrLf : crlfStyle);
    for (int r = row1; r <= row2; ++r) {
        std::wstring_view s = rows.GetAt(r);
        int length = static_cast<int>(s.size());
        int from = r == row1 || block ? std::min(DisplayColToCharIndex(r, col1), length) : 0;
        int to =
            (r == row2 && !toTextEnd) || block ? std::min(DisplayColToCharIndex(r, col2), length) : length;
        file.WriteText(s.substr(static_cast<size_t>(from), static_cast<size_t>(to - from)));
        if (block && width - (to - from) >= 1)
            file.WriteText(std::wstring(static_cast<size_t>(width - (to - from)), L' '));
        if (block || r < row2)
            file.WriteText(lineEnd);
    }
    return true;
}

int CQELPenwrightBufferManager::DisplayColToCharIndex(int row, int displayCol) const {
    std::wstring_view s = rows.GetAt(row);
    int64_t cell = 0;
    size_t k = 0;
    while (k < s.size() && cell + 1 < displayCol) {
        cell += s[k] == L'\t' ? tabSize - cell % tabSize : 1;
        ++k;
    }
    // Every character takes at least one cell, so k stays below displayCol and fits an int.
    if (cell + 1 < displayCol)
        return static_cast<int>(int64_t(k) + displayCol - cell - 1);
    return static_cast<int>(k);
}

int CQELPenwrightBufferManager::CharIndexToDisplayCol(int row, int charIndex) const {
    std::wstring_view s = rows.GetAt(row);
    size_t n = std::min(static_cast<size_t>(std::max(charIndex, 0)), s.size());
    int64_t col = 1;
    for (size_t k = 0; k < n; ++k) col += s[k] == L'\t' ? tabSize - (col - 1) % tabSize : 1;
    if (static_cast<size_t>(std::max(charIndex, 0)) > s.size())
        col += charIndex - int64_t(s.size());
    return ClampToInt(col);
}

size_t CQELPenwrightBufferManager::RangeGrowthSize(int row1, int row2) const {
    // Only rows that exist give text: absurd row numbers must not ask for gigabytes.
    int64_t span = std::min<int64_t>(std::abs(int64_t{row1} - row2), GetRowCount());
    return static_cast<size_t>(((span * averageLineLength) >> 10) + 1) << 10;
}

bool CQELPenwrightBufferManager::SetTabSize(int n, bool save) {
    if (!IsValidTabSize(n))
        return false;
    tabSize = n;
    if (!save)
        return true;
    pw::Profile* profile = pw::AppProfile();
    return profile && profile->WriteInt(kSettings, kTabSizeKey, static_cast<uint32_t>(n));
}

void CQELPenwrightBufferManager::SetCrlfStyle(int style) {
    if (style >= CrlfStyle::CrLf && style <= CrlfStyle::Lf)
        crlfStyle = style;
}

std::wstring_view CQELPenwrightBufferManager::GetLineEndText(int style) const {
    return LineEndText(style >= CrlfStyle::CrLf && style <= CrlfStyle::Lf ? style : crlfStyle);
}

bool CQELPenwrightBufferManager::IsLineEndAt(std::wstring_view text, size_t pos, bool atEnd) const {
    std::wstring_view lineEnd = LineEndText(crlfStyle);
    if (atEnd) {
        if (pos >= text.size() || pos + 1 < lineEnd.size())
            return false;
        pos = pos + 1 - lineEnd.size();
    }
    return pos <= text.size() && text.substr(pos).starts_with(lineEnd);
}

void CQELPenwrightBufferManager::SetFileExt(const std::wstring& ext) {
    if (EqualsNoCase(ext, fileExt))
        return;
    fileExt = ext;
    if (syntaxColoring)
        InstallSchema();
}

void CQELPenwrightBufferManager::EnableSyntaxColoring(bool on) {
    if (on == syntaxColoring)
        return;
    syntaxColoring = on;
    if (!configManager || !parser)
        return;
    if (!on)
        configManager->RemoveSchema(*parser);
    else if (InstallSchema())
        configManager->RequestFullParse(*parser, *this);
}

bool CQELPenwrightBufferManager::InstallSchema() {
    return configManager && parser && configManager->InstallSchema(*parser, fileExt);
}

std::wstring CQELPenwrightBufferManager::GetConfigFile() const {
    return configManager ? configManager->GetConfigFile() : std::wstring();
}

bool CQELPenwrightBufferManager::SetConfigFile(const std::wstring& path) {
    return configManager && configManager->SetConfigFile(path);
}

void CQELPenwrightBufferManager::SetConfigManager(pw::RefPtr<BufferConfig> cm) {
    eventSink.UnadviseAll();
    configManager = std::move(cm);
    if (!configManager)
        return;
    for (uint32_t code :
         {BufferConfig::kSchemeReloaded, BufferConfig::kThemeReloaded, BufferConfig::kConfigRead})
        eventSink.Advise(
            configManager->GetEventSource(), code,
            [this](uint32_t c, uintptr_t wParam, intptr_t lParam) { OnConfigEvent(c, wParam, lParam); });
}

void CQELPenwrightBufferManager::OnConfigEvent(uint32_t code, uintptr_t wParam, intptr_t lParam) {
    if (!syntaxColoring || !configManager || !parser)
        return;
    const BufferConfig::SchemaChange change =
        configManager->ApplyEvent(*parser, fileExt, code, wParam, lParam);
    if (change == BufferConfig::SchemaChange::kUnchanged)
        return;
    if (change == BufferConfig::SchemaChange::kInstalled)
        configManager->RequestFullParse(*parser, *this);
    connection->SendEvent(code, wParam, lParam);
}

void CQELPenwrightBufferManager::RemoveAll() {
    rows.RemoveAll();
    undoManager.Clear();
}

void CQELPenwrightBufferManager::CancelParse() {
    if (parser)
        parser->CancelParse();
}

void CQELPenwrightBufferManager::ParserTextChanged(const LineCol& start, const LineCol& end, int action) {
    // The parser counts columns from 0.
    if (parser)
        parser->TextChanged({start.row, std::max(start.col - 1, 0)}, {end.row, std::max(end.col - 1, 0)},
                            action, *this);
}

void CQELPenwrightBufferManager::Close() {
    eventSink.UnadviseAll();
    // The parser goes before the rows: it must not be parsing them when they go.
    if (parser) {
        parser->CancelParse();
        parser.reset();
    }
    RemoveAll();
}
