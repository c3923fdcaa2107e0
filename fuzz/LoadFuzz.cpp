// Arbitrary bytes loaded as a text file and saved back. Besides crashes, hangs and sanitizer
// reports it looks for text that changes on the way: rows never hold a line end, the loaded
// text can always be saved in its own form, and then gives back the file's bytes with only its
// line ends made alike; the whole text also survives a trip through a string.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "RoundTripModel.h"
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
    for (const auto& row : rows) Check(row.find_first_of(L"\r\n") == std::wstring::npos);

    pw::MemFile out;
    {
        pw::Archive archive(out, pw::Archive::Mode::Store);
        buffer->Serialize(archive);  // an exception here ends the run: it must not happen
    }
    Check(BytesOf(out) == pwtest::ExpectedAfterRoundTrip(bytes, buffer->IsUnicode(), buffer->IsBigEndian(),
                                                         buffer->HasSignature()));

    Buffer copy = pw::MakeRef<CQELPenwrightBufferManager>();
    copy->SetWholeText(buffer->GetWholeText());
    // One empty row is no text, and comes back as no row.
    Check(RowsOf(*copy) == rows || (rows == std::vector<std::wstring>{L""} && copy->GetRowCount() == 0));
    return 0;
}
