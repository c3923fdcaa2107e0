#include "buffer/LineReader.h"

#include "buffer/CrlfStyle.h"

std::optional<TextLine> LineReader::Next() {
    std::wstring line;
    while (pos_ < text_.size()) {
        std::wstring_view chunk = text_.substr(pos_, kChunk);
        size_t i = chunk.find_first_of(L"\r\n");
        if (i == std::wstring_view::npos) {
            line.append(chunk);
            pos_ += chunk.size();
            continue;
        }
        line.append(chunk.substr(0, i));
        size_t at = pos_ + i;
        // A terminator in the last cell of a full chunk needs one more character read to be
        // classified, so a CR LF split by the chunk edge still counts once.
        bool hasNext = at + 1 < text_.size();
        wchar_t next = hasNext ? text_[at + 1] : L'\0';
        int style = CrlfStyle::CrLf;
        size_t consumed = 1;
        if (text_[at] == L'\r') {
            if (hasNext && next == L'\n')
                consumed = 2;
        } else {
            style = CrlfStyle::Lf;
            if (hasNext && next == L'\r')
                style = CrlfStyle::LfCr, consumed = 2;
        }
        pos_ = at + consumed;
        return TextLine{std::move(line), style};
    }
    if (line.empty())
        return std::nullopt;
    return TextLine{std::move(line), CrlfStyle::None};
}
