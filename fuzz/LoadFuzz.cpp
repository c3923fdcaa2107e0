// Arbitrary bytes loaded as a text file and saved back. Besides crashes, hangs and sanitizer
// reports it looks for text that changes on the way: rows never hold a line end or a NUL, the
// loaded text can always be saved in its own form, a file without line ends and NULs comes back
// byte for byte, and the whole text survives a trip through a string.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "buffer/BufferManager.h"
#include "platform/Archive.h"
#include "platform/MemFile.h"
#include "platform/RefCounted.h"

namespace {

using Buffer = pw::RefPtr<CQELPenwrightBufferManager>;

void Check(bool condition) {
    if (!condition)
        std::abort();
}

std::string_view BytesOf(const pw::MemFile& file) {
    return {reinterpret_cast<const char*>(file.Data()), file.Size()};
}

// No line end or NUL in the file's own units: nothing for the reader to turn into a row break.
bool HasNoBreaks(std::string_view bytes, bool wide) {
    size_t step = wide ? 2 : 1;
    for (size_t i = 0; i + step <= bytes.size(); i += step) {
        unsigned unit = static_cast<uint8_t>(bytes[i]) | (wide ? static_cast<uint8_t>(bytes[i + 1]) << 8 : 0);
        if (unit == 0 || unit == '\r' || unit == '\n')
            return false;
    }
    return true;
}

std::vector<std::wstring> RowsOf(const CQELPenwrightBufferManager& buffer) {
    std::vector<std::wstring> rows;
    for (int r = 1; r <= buffer.GetRowCount(); ++r) rows.push_back(buffer.GetLineText(r));
    return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    // The first byte chooses how the rest is read: UTF-16 forced or detected, and the code page.
    static const int kCodePages[] = {1252, 932, 65001, 437, 1251, 0};
    int unicode = data[0] & 1 ? 1 : -1;
    int codePage = kCodePages[(data[0] >> 1) % std::size(kCodePages)];
    std::string_view bytes(reinterpret_cast<const char*>(data + 1), size - 1);

    Buffer buffer = pw::MakeRef<CQELPenwrightBufferManager>();
    pw::MemFile in;
    in.Write(bytes.data(), bytes.size());
    in.Seek(0);
    {
        pw::Archive archive(in, pw::Archive::Mode::Load);
        buffer->SerializeText(archive, unicode, true, codePage, std::nullopt, -1);
    }
    std::vector<std::wstring> rows = RowsOf(*buffer);
    for (const auto& row : rows) Check(row.find_first_of(std::wstring(L"\r\n\0", 3)) == std::wstring::npos);

    pw::MemFile out;
    {
        pw::Archive archive(out, pw::Archive::Mode::Store);
        buffer->Serialize(archive);  // an exception here ends the run: it must not happen
    }
    bool wide = buffer->IsUnicode();
    if (!wide && HasNoBreaks(bytes, false))
        Check(BytesOf(out) == bytes);
    if (wide && bytes.size() % 2 == 0 && HasNoBreaks(bytes, true)) {
        bool marked = bytes.starts_with("\xFF\xFE");
        Check(BytesOf(out) == (marked ? std::string(bytes) : "\xFF\xFE" + std::string(bytes)));
    }

    std::wstring text = buffer->GetWholeText();
    if (!text.empty() && text[0] != L'\xFEFF') {
        Buffer copy = pw::MakeRef<CQELPenwrightBufferManager>();
        copy->SetWholeText(text);
        Check(RowsOf(*copy) == rows);
    }
    return 0;
}
