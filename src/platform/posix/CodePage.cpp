#include "platform/CodePage.h"

#include <iconv.h>
#include <array>
#include <cerrno>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <utility>

namespace pw {

namespace {

// The Windows code pages we support, with iconv's names for them (where libraries differ, two).
struct CodePageName {
    int codePage;
    bool singleByte;
    const char* names[2];
};

constexpr CodePageName kCodePages[] = {
    {437, true, {"IBM437", "CP437"}}, {850, true, {"IBM850", "CP850"}}, {932, false, {"CP932"}},
    {936, false, {"GBK", "CP936"}},   {949, false, {"UHC", "CP949"}},   {950, false, {"BIG5"}},
    {1250, true, {"CP1250"}},         {1251, true, {"CP1251"}},         {1252, true, {"CP1252"}},
    {1253, true, {"CP1253"}},         {1254, true, {"CP1254"}},         {1255, true, {"CP1255"}},
    {1256, true, {"CP1256"}},         {1257, true, {"CP1257"}},         {1258, true, {"CP1258"}},
};

constexpr const char* kNoNames[2] = {};

const CodePageName* FindCodePage(int codePage) {
    for (const auto& entry : kCodePages)
        if (entry.codePage == codePage)
            return &entry;
    return nullptr;
}

bool IsSingleByte(int codePage) {
    const CodePageName* entry = FindCodePage(codePage);
    return entry && entry->singleByte;
}

bool IsUtf8(int codePage) {
    return codePage == kCodePageSystem || codePage == kCodePageUtf8;
}

class Converter {
public:
    // toUtf16: from the code page to UTF-16LE; otherwise the reverse.
    Converter(int codePage, bool toUtf16) {
        const CodePageName* entry = FindCodePage(codePage);
        for (const char* name : entry ? entry->names : kNoNames) {
            if (!name)
                return;
            cd_ = toUtf16 ? ::iconv_open("UTF-16LE", name) : ::iconv_open(name, "UTF-16LE");
            if (Valid())
                return;
        }
    }
    ~Converter() {
        if (Valid())
            ::iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Valid() const { return cd_ != kInvalid; }

    // Converts all of `in`, from the converter's initial state; false at the first sequence that is invalid,
    // incomplete at the end (a lone lead byte) or has no representation in the target. No transliteration, no
    // skipping.
    bool Run(std::string_view in, std::string& out) {
        out.assign(in.size() * 2 + 16, '\0');
        ::iconv(cd_, nullptr, nullptr, nullptr, nullptr);  // a failed run may have left state behind
        char* src = const_cast<char*>(in.data());          // iconv's signature; the input is not written
        size_t srcLeft = in.size();
        size_t done = 0;
        bool flushing = false;
        for (;;) {
            char* dst = out.data() + done;
            size_t dstLeft = out.size() - done;
            // After the input, one more call hands out anything the converter still holds.
            size_t r = flushing ? ::iconv(cd_, nullptr, nullptr, &dst, &dstLeft)
                                : ::iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            done = out.size() - dstLeft;
            if (r == static_cast<size_t>(-1)) {
                if (errno != E2BIG)
                    return false;
                out.resize(out.size() * 2);
            } else if (!flushing) {
                flushing = true;
            } else {
                out.resize(done);
                return true;
            }
        }
    }

private:
    static inline const iconv_t kInvalid = reinterpret_cast<iconv_t>(-1);
    iconv_t cd_ = kInvalid;
};

// Opening a converter costs far more than converting a short piece, and loading a file with
// unreadable bytes converts a piece per character: each thread keeps its converters.
Converter& CachedConverter(int codePage, bool toUtf16) {
    thread_local std::map<std::pair<int, bool>, std::unique_ptr<Converter>> converters;
    auto& slot = converters[{codePage, toUtf16}];
    if (!slot)
        slot = std::make_unique<Converter>(codePage, toUtf16);
    return *slot;
}

std::wstring FromUtf16Le(std::string_view bytes) {
    std::wstring text(bytes.size() / 2, L'\0');
    for (size_t i = 0; i < text.size(); ++i)
        text[i] = static_cast<wchar_t>(static_cast<uint8_t>(bytes[2 * i]) |
                                       (static_cast<uint8_t>(bytes[2 * i + 1]) << 8));
    return text;
}

// Single-byte code pages go through a table made from iconv one byte at a time: glibc's
// streaming converters for 1255 and 1258 compose and decompose combining marks, which would
// change the user's text, and a table is exact and quick for every row of a file.
struct ByteTable {
    static constexpr uint16_t kUndefined = 0xFFFF;  // a noncharacter: no code page maps to it
    std::array<uint16_t, 256> toUnit{};
    std::unordered_map<uint16_t, uint8_t> toByte;
};

std::unique_ptr<ByteTable> MakeByteTable(int codePage) {
    Converter converter(codePage, true);
    if (!converter.Valid())
        return nullptr;
    auto table = std::make_unique<ByteTable>();
    for (int b = 0; b < 256; ++b) {
        std::string utf16;
        char byte = static_cast<char>(b);
        uint16_t unit = ByteTable::kUndefined;
        if (converter.Run(std::string_view(&byte, 1), utf16) && utf16.size() == 2)
            unit = static_cast<uint16_t>(FromUtf16Le(utf16)[0]);
        table->toUnit[b] = unit;
        if (unit != ByteTable::kUndefined)
            table->toByte.emplace(unit, static_cast<uint8_t>(b));
    }
    return table;
}

const ByteTable* SingleByteTable(int codePage) {
    static std::mutex mutex;
    static std::map<int, std::unique_ptr<ByteTable>> tables;
    std::lock_guard lock(mutex);
    auto it = tables.find(codePage);
    if (it == tables.end())
        it = tables.emplace(codePage, MakeByteTable(codePage)).first;
    return it->second.get();
}

}  // namespace

int SystemCodePage() {
    return kCodePageUtf8;
}

bool IsCodePageAvailable(int codePage) {
    if (IsUtf8(codePage))
        return true;
    if (IsSingleByte(codePage))
        return SingleByteTable(codePage) != nullptr;
    return CachedConverter(codePage, true).Valid() && CachedConverter(codePage, false).Valid();
}

bool MultiByteToUtf16(int codePage, std::string_view bytes, std::wstring& out) {
    if (IsUtf8(codePage))
        return Utf8ToUtf16(bytes, out);
    if (IsSingleByte(codePage)) {
        const ByteTable* table = SingleByteTable(codePage);
        if (!table)
            return false;
        out.resize(bytes.size());
        for (size_t i = 0; i < bytes.size(); ++i) {
            uint16_t unit = table->toUnit[static_cast<uint8_t>(bytes[i])];
            if (unit == ByteTable::kUndefined)
                return false;
            out[i] = static_cast<wchar_t>(unit);
        }
        return true;
    }
    Converter& converter = CachedConverter(codePage, true);
    std::string utf16;
    if (!converter.Valid() || !converter.Run(bytes, utf16))
        return false;
    out = FromUtf16Le(utf16);
    return true;
}

bool Utf16ToMultiByte(int codePage, std::wstring_view text, std::string& out) {
    if (IsUtf8(codePage))
        return Utf16ToUtf8(text, out);
    for (wchar_t unit : text)
        if (static_cast<uint32_t>(unit) > 0xFFFF)
            return false;  // only a wider wchar_t holds this: no UTF-16
    if (IsSingleByte(codePage)) {
        const ByteTable* table = SingleByteTable(codePage);
        if (!table)
            return false;
        out.resize(text.size());
        for (size_t i = 0; i < text.size(); ++i) {
            auto it = table->toByte.find(static_cast<uint16_t>(text[i]));
            if (it == table->toByte.end())
                return false;
            out[i] = static_cast<char>(it->second);
        }
        return true;
    }
    Converter& converter = CachedConverter(codePage, false);
    if (!converter.Valid())
        return false;
    std::string utf16(text.size() * 2, '\0');
    for (size_t i = 0; i < text.size(); ++i) {
        utf16[2 * i] = static_cast<char>(text[i] & 0xFF);
        utf16[2 * i + 1] = static_cast<char>((text[i] >> 8) & 0xFF);
    }
    return converter.Run(utf16, out);
}

}  // namespace pw
