#include "PngFile.h"

#include <wincodec.h>

#include <cstdint>
#include <vector>

namespace {

// Releases a COM interface when it goes out of scope.
template <class T>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (p_)
            p_->Release();
    }
    T* operator->() const { return p_; }
    T* Get() const { return p_; }
    T** Out() { return &p_; }

private:
    T* p_ = nullptr;
};

}  // namespace

HRESULT WritePng(const pw::win32::DibSection& image, const std::wstring& path) {
    if (!image)
        return E_INVALIDARG;
    // 24-bit BGR rows: every PNG encoder takes them; the section's fourth byte is unused anyway.
    const UINT width = image.Width(), height = image.Height(), stride = (width * 3 + 3) & ~3u;
    std::vector<BYTE> rows(static_cast<size_t>(stride) * height);
    const uint32_t* pixels = image.Pixels();
    for (UINT y = 0; y < height; ++y) {
        for (UINT x = 0; x < width; ++x) {
            const uint32_t bgr = pixels[static_cast<size_t>(y) * width + x];
            BYTE* out = &rows[static_cast<size_t>(y) * stride + x * 3];
            out[0] = bgr & 0xFF;
            out[1] = (bgr >> 8) & 0xFF;
            out[2] = (bgr >> 16) & 0xFF;
        }
    }

    ComPtr<IWICImagingFactory> factory;
    ComPtr<IWICStream> stream;
    ComPtr<IWICBitmapEncoder> encoder;
    ComPtr<IWICBitmapFrameEncode> frame;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                                  IID_IWICImagingFactory, reinterpret_cast<void**>(factory.Out()));
    if (SUCCEEDED(hr))
        hr = factory->CreateStream(stream.Out());
    if (SUCCEEDED(hr))
        hr = stream->InitializeFromFilename(path.c_str(), GENERIC_WRITE);
    if (SUCCEEDED(hr))
        hr = factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Out());
    if (SUCCEEDED(hr))
        hr = encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache);
    if (SUCCEEDED(hr))
        hr = encoder->CreateNewFrame(frame.Out(), nullptr);
    if (SUCCEEDED(hr))
        hr = frame->Initialize(nullptr);
    if (SUCCEEDED(hr))
        hr = frame->SetSize(width, height);
    WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
    if (SUCCEEDED(hr))
        hr = frame->SetPixelFormat(&format);
    if (SUCCEEDED(hr) && format != GUID_WICPixelFormat24bppBGR)
        hr = WINCODEC_ERR_UNSUPPORTEDPIXELFORMAT;
    if (SUCCEEDED(hr))
        hr = frame->WritePixels(height, stride, static_cast<UINT>(rows.size()), rows.data());
    if (SUCCEEDED(hr))
        hr = frame->Commit();
    if (SUCCEEDED(hr))
        hr = encoder->Commit();
    return hr;
}
