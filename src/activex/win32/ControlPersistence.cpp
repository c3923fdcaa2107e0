// The control's properties in the host's document: a stream (the byte count, then the codec's
// bytes) or a property bag. Loading reads everything first and applies it only when all of it
// was sound, so a failed load changes nothing.
#include <vector>

#include "activex/BorderStyle.h"
#include "activex/win32/ControlObject.h"

using pw::win32::Guarded;

namespace {

// The property bag as the codec's exchange. Booleans are written as longs of 0 and 1; reading
// takes what bags hold for them too (VT_BOOL, "True").
class BagExchange final : public PropertyExchange {
public:
    BagExchange(IPropertyBag& bag, IErrorLog* log, bool loading) : bag_(bag), log_(log), loading_(loading) {}

    bool IsLoading() const override { return loading_; }

    bool Long(std::wstring_view name, int32_t& value) override {
        VARIANT v;
        VariantInit(&v);
        if (!loading_) {
            v.vt = VT_I4;
            v.lVal = value;
            return SUCCEEDED(bag_.Write(std::wstring(name).c_str(), &v));
        }
        if (!Read(name, v))
            return true;  // not stored: the default stays
        bool read = true;
        if (v.vt == VT_BOOL)
            value = v.boolVal != VARIANT_FALSE ? 1 : 0;
        else if (SUCCEEDED(VariantChangeType(&v, &v, 0, VT_I4)))
            value = v.lVal;
        else if (SUCCEEDED(VariantChangeType(&v, &v, 0, VT_BOOL)))
            value = v.boolVal != VARIANT_FALSE ? 1 : 0;
        else
            read = false;
        VariantClear(&v);
        return read;
    }

    bool String(std::wstring_view name, std::wstring& value) override {
        VARIANT v;
        VariantInit(&v);
        if (!loading_) {
            v.vt = VT_BSTR;
            v.bstrVal = SysAllocStringLen(value.data(), static_cast<UINT>(value.size()));
            const bool written = v.bstrVal && SUCCEEDED(bag_.Write(std::wstring(name).c_str(), &v));
            VariantClear(&v);
            return written;
        }
        if (!Read(name, v))
            return true;
        const bool read = SUCCEEDED(VariantChangeType(&v, &v, 0, VT_BSTR));
        if (read)
            value = pw::win32::StringOf(v.bstrVal);
        VariantClear(&v);
        return read;
    }

private:
    bool Read(std::wstring_view name, VARIANT& v) {
        return SUCCEEDED(bag_.Read(std::wstring(name).c_str(), &v, log_)) && v.vt != VT_EMPTY;
    }

    IPropertyBag& bag_;
    IErrorLog* log_;
    bool loading_;
};

// The persisted options in their order, but the last (white space), which is no editor option.
constexpr EditorOptions::Option kEditorOptions[] = {EditorOptions::kSyntaxColor, EditorOptions::kLineNumbers,
                                                    EditorOptions::kSelMargin,   EditorOptions::kVScrollBar,
                                                    EditorOptions::kHScrollBar,  EditorOptions::kVirtualSpace,
                                                    EditorOptions::kAutoIndent};

bool ReadAll(IStream& stream, void* data, ULONG size) {
    ULONG read = 0;
    return SUCCEEDED(stream.Read(data, size, &read)) && read == size;
}

}  // namespace

PersistedProperties CPenwrightCtrl::Snapshot() {
    PersistedProperties properties;
    properties.borderStyle = borderStyle_;
    properties.editorText = Editor().GetWholeText();
    properties.readOnly = readOnly_;
    // Saved controls always store what the editor shows.
    for (size_t i = 0; i < std::size(kEditorOptions); ++i)
        properties.options[i] = Editor().GetOption(kEditorOptions[i]) ? 1 : 0;
    properties.options[7] = Editor().GetWhiteSpace() ? 1 : 0;
    return properties;
}

void CPenwrightCtrl::Apply(const PersistedProperties& properties) {
    if (BorderFrameOf(properties.borderStyle)) {  // another value is no style of ours
        borderStyle_ = properties.borderStyle;
        ApplyBorderStyle();
    }
    ReplaceText([&] {
        Buffer().SetWholeText(properties.editorText);
        return true;
    });
    readOnly_ = properties.readOnly;
    for (size_t i = 0; i < std::size(kEditorOptions); ++i)
        if (properties.options[i] != PersistedProperties::kNotStored)
            Editor().SetOption(kEditorOptions[i], properties.options[i] != 0, false);
    if (properties.options[7] != PersistedProperties::kNotStored)
        Editor().SetWhiteSpace(properties.options[7] != 0);
    dirty_ = false;
}

HRESULT CPenwrightCtrl::GetClassID(CLSID* classId) {
    if (!classId)
        return E_POINTER;
    *classId = __uuidof(Penwright);
    return S_OK;
}

HRESULT CPenwrightCtrl::IsDirty() {
    return dirty_ || Buffer().IsModified() ? S_OK : S_FALSE;
}

HRESULT CPenwrightCtrl::InitNew() {
    return S_OK;
}

HRESULT CPenwrightCtrl::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    return Guarded([&] {
        uint32_t size = 0;
        if (!ReadAll(*stream, &size, sizeof size))
            return E_FAIL;
        // The count is checked against what the stream holds before anything is allocated.
        STATSTG stat{};
        LARGE_INTEGER none{};
        ULARGE_INTEGER at{};
        if (SUCCEEDED(stream->Stat(&stat, STATFLAG_NONAME)) &&
            SUCCEEDED(stream->Seek(none, STREAM_SEEK_CUR, &at)) && size > stat.cbSize.QuadPart - at.QuadPart)
            return E_FAIL;
        std::vector<uint8_t> bytes(size);
        if (!ReadAll(*stream, bytes.data(), size))
            return E_FAIL;
        const std::optional<PersistedProperties> properties = LoadFromStream(bytes);
        if (!properties)
            return E_FAIL;
        Apply(*properties);
        return S_OK;
    });
}

HRESULT CPenwrightCtrl::Save(IStream* stream, BOOL clearDirty) {
    if (!stream)
        return E_POINTER;
    return Guarded([&] {
        const std::vector<uint8_t> bytes = SaveToStream(Snapshot());
        const auto size = static_cast<uint32_t>(bytes.size());
        ULONG written = 0;
        if (FAILED(stream->Write(&size, sizeof size, &written)) || written != sizeof size ||
            FAILED(stream->Write(bytes.data(), size, &written)) || written != size)
            return STG_E_CANTSAVE;
        if (clearDirty)
            dirty_ = false;
        return S_OK;
    });
}

HRESULT CPenwrightCtrl::GetSizeMax(ULARGE_INTEGER* size) {
    if (!size)
        return E_POINTER;
    return Guarded([&] {
        size->QuadPart = sizeof(uint32_t) + SaveToStream(Snapshot()).size();
        return S_OK;
    });
}

HRESULT CPenwrightCtrl::Load(IPropertyBag* bag, IErrorLog* log) {
    if (!bag)
        return E_POINTER;
    return Guarded([&] {
        BagExchange exchange(*bag, log, true);
        PersistedProperties properties;
        if (!ExchangeProperties(exchange, properties))
            return E_FAIL;
        Apply(properties);
        return S_OK;
    });
}

HRESULT CPenwrightCtrl::Save(IPropertyBag* bag, BOOL clearDirty, BOOL) {
    if (!bag)
        return E_POINTER;
    return Guarded([&] {
        BagExchange exchange(*bag, nullptr, false);
        PersistedProperties properties = Snapshot();
        if (!ExchangeProperties(exchange, properties))
            return E_FAIL;
        if (clearDirty)
            dirty_ = false;
        return S_OK;
    });
}
