// Windows build only: PNG and JPEG through the system's imaging component,
// as no libpng or libjpeg exists for this target here. The container checks
// run first, as on Linux; the component's own failures become
// D3DXERR_INVALIDDATA, and sizes are checked from the frame header before any
// pixel is copied. Files are passed from memory, read by our own file code.
#include "assets/d3dx_texture.h"
#include "assets/image_decode.h"

#include <wincodec.h>

#include <utility>

namespace {

// Releases a COM pointer at the end of its scope.
template <typename T>
struct Held {
    T* p = nullptr;
    ~Held()
    {
        if (p) p->Release();
    }
};

// COM is started for the call unless the thread already has it.
struct ComScope {
    bool started = false;
    ComScope()
    {
        const HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        started = hr == S_OK || hr == S_FALSE;
    }
    ~ComScope()
    {
        if (started) CoUninitialize();
    }
};

// `hasAlpha` comes from the container check: the system's pixel format does
// not tell reliably whether an indexed image has transparency.
HRESULT decodeWithSystem(const unsigned char* data, size_t size, const GUID& container, bool hasAlpha, Image* out)
{
    if (size > 0xffffffffu) return D3DXERR_INVALIDDATA;
    ComScope com;
    Held<IWICImagingFactory> factory;
    Held<IWICStream> stream;
    Held<IWICBitmapDecoder> decoder;
    Held<IWICBitmapFrameDecode> frame;
    Held<IWICFormatConverter> converter;
    HRESULT hr = CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&factory.p));
    if (FAILED(hr)) return hr == E_OUTOFMEMORY ? hr : E_FAIL;
    if (FAILED(factory.p->CreateStream(&stream.p)) ||
        FAILED(stream.p->InitializeFromMemory(const_cast<BYTE*>(data), DWORD(size))))
        return E_OUTOFMEMORY;
    if (FAILED(factory.p->CreateDecoder(container, nullptr, &decoder.p)) ||
        FAILED(decoder.p->Initialize(stream.p, WICDecodeMetadataCacheOnDemand)) ||
        FAILED(decoder.p->GetFrame(0, &frame.p)))
        return D3DXERR_INVALIDDATA;
    UINT width = 0, height = 0;
    if (FAILED(frame.p->GetSize(&width, &height)) || !imageSizeAllowed(width, height)) return D3DXERR_INVALIDDATA;
    Image image;
    hr = image.allocate(width, height);
    if (FAILED(hr)) return hr;
    image.hasAlpha = hasAlpha;
    if (FAILED(factory.p->CreateFormatConverter(&converter.p))) return E_OUTOFMEMORY;
    if (FAILED(converter.p->Initialize(frame.p, GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr, 0.0,
                                       WICBitmapPaletteTypeCustom)))
        return D3DXERR_INVALIDDATA;
    // 32bppBGRA is B, G, R, A in memory: the bytes of 0xAARRGGBB on this
    // little-endian target.
    const UINT stride = width * 4;
    if (FAILED(converter.p->CopyPixels(nullptr, stride, stride * height, reinterpret_cast<BYTE*>(image.pixels.get()))))
        return D3DXERR_INVALIDDATA;
    if (!hasAlpha) {
        for (size_t i = 0; i < size_t(width) * height; ++i) image.pixels[i] |= 0xff000000u;
    }
    *out = std::move(image);
    return S_OK;
}

}  // namespace

HRESULT decodePng(const unsigned char* data, size_t size, Image* out)
{
    if (!data || !out) return D3DXERR_INVALIDDATA;
    bool hasAlpha = false;
    const HRESULT layout = checkPngChunks(data, size, &hasAlpha);
    if (FAILED(layout)) return layout;
    return decodeWithSystem(data, size, GUID_ContainerFormatPng, hasAlpha, out);
}

HRESULT decodeJpeg(const unsigned char* data, size_t size, Image* out)
{
    if (!data || !out) return D3DXERR_INVALIDDATA;
    const HRESULT layout = checkJpegMarkers(data, size);
    if (FAILED(layout)) return layout;
    return decodeWithSystem(data, size, GUID_ContainerFormatJpeg, false, out);
}
