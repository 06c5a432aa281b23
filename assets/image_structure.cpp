// The container checks of PNG and JPEG files, run before decoding on both
// targets. The system decoder on Windows accepts some damaged files that
// libpng and libjpeg reject (a missing IEND, a wrong checksum, a file cut off
// inside the scan), so these walks decide what counts as damaged, the same
// way for either decoder.
#include "assets/d3dx_texture.h"
#include "assets/image_decode.h"

namespace {

uint32_t readBig32(const unsigned char* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | uint32_t(p[3]);
}

// CRC-32 as PNG defines it (polynomial 0xEDB88320, reflected), by table.
class Crc32 {
public:
    Crc32()
    {
        for (uint32_t n = 0; n < 256; ++n) {
            uint32_t c = n;
            for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xedb88320u ^ (c >> 1) : c >> 1;
            table_[n] = c;
        }
    }
    uint32_t of(const unsigned char* data, size_t size) const
    {
        uint32_t c = 0xffffffffu;
        for (size_t i = 0; i < size; ++i) c = table_[(c ^ data[i]) & 0xff] ^ (c >> 8);
        return c ^ 0xffffffffu;
    }

private:
    uint32_t table_[256];
};

bool isChunk(const unsigned char* type, const char* name)
{
    return type[0] == name[0] && type[1] == name[1] && type[2] == name[2] && type[3] == name[3];
}

}  // namespace

HRESULT checkPngChunks(const unsigned char* data, size_t size, bool* hasAlpha)
{
    static const Crc32 crc;
    if (size < 8) return D3DXERR_INVALIDDATA;
    bool alpha = false, imageData = false;
    for (size_t at = 8;;) {
        if (size - at < 12) return D3DXERR_INVALIDDATA;
        const uint32_t length = readBig32(data + at);
        if (length > 0x7fffffffu || length > size - at - 12) return D3DXERR_INVALIDDATA;
        const unsigned char* type = data + at + 4;
        if (crc.of(type, 4 + size_t(length)) != readBig32(type + 4 + length)) return D3DXERR_INVALIDDATA;
        if (at == 8) {
            if (!isChunk(type, "IHDR") || length != 13) return D3DXERR_INVALIDDATA;
            alpha = (type[4 + 9] & 4) != 0;  // colour types 4 and 6 carry alpha
        } else if (isChunk(type, "tRNS")) {
            alpha = true;
        } else if (isChunk(type, "IDAT")) {
            imageData = true;
        } else if (isChunk(type, "IEND")) {
            if (!imageData) return D3DXERR_INVALIDDATA;
            *hasAlpha = alpha;
            return S_OK;
        }
        at += 12 + size_t(length);
    }
}

HRESULT checkJpegMarkers(const unsigned char* data, size_t size)
{
    if (size < 2 || data[0] != 0xff || data[1] != 0xd8) return D3DXERR_INVALIDDATA;
    bool frame = false, scan = false;
    size_t at = 2;
    for (;;) {
        // A marker, after any fill bytes.
        if (at >= size || data[at] != 0xff) return D3DXERR_INVALIDDATA;
        while (at < size && data[at] == 0xff) ++at;
        if (at >= size) return D3DXERR_INVALIDDATA;
        const unsigned char marker = data[at++];
        if (marker == 0xd9) return frame && scan ? S_OK : D3DXERR_INVALIDDATA;
        if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) continue;  // no length
        if (marker == 0x00 || marker == 0xd8) return D3DXERR_INVALIDDATA;
        if (size - at < 2) return D3DXERR_INVALIDDATA;
        const size_t length = size_t(data[at]) << 8 | data[at + 1];
        if (length < 2 || length > size - at) return D3DXERR_INVALIDDATA;
        at += length;
        if ((marker >= 0xc0 && marker <= 0xcf) && marker != 0xc4 && marker != 0xc8 && marker != 0xcc) frame = true;
        if (marker != 0xda) continue;
        if (!frame) return D3DXERR_INVALIDDATA;
        scan = true;
        // Entropy-coded data runs to the next marker other than a stuffed
        // zero or a restart.
        for (;;) {
            if (size - at < 2) return D3DXERR_INVALIDDATA;
            if (data[at] == 0xff && data[at + 1] != 0x00 && !(data[at + 1] >= 0xd0 && data[at + 1] <= 0xd7)) break;
            at += data[at] == 0xff ? 2 : 1;
        }
    }
}
