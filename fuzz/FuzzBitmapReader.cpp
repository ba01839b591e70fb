// Any bytes as a BMP file, then through the whole logo pipeline: never a crash or a read
// outside the file or the stores; what loads renders, composes and packs, with a pan and
// zoom taken from the input, and the raster never holds dots beyond the line or the height.

#include "logo/LogoRaster.h"
#include "logo/LogoSurfaces.h"
#include "logo/SourceBitmap.h"

#include <array>
#include <cstdlib>
#include <cstring>
#include <memory>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto bmp = std::make_unique<CSourceBitmap>();
    static auto surfaces = std::make_unique<CLogoSurfaces>();
    const QByteArray bytes(reinterpret_cast<const char*>(data), int(size));
    const CSourceBitmap::ReadReport report = bmp->ReadBytes(bytes);
    if (!report.opened ||
        (bmp->m_bLoaded && (bmp->biWidth > CSourceBitmap::kMaxWidth || bmp->biHeight < 0 ||
                            bmp->biHeight > CSourceBitmap::kMaxHeight)))
        abort();
    if (!bmp->m_bLoaded)
        return report.texts.isEmpty() ? (abort(), 0) : 0;

    // The last bytes choose how the picture is looked at.
    const quint8 a = size > 0 ? data[size - 1] : 0;
    const quint8 b = size > 1 ? data[size - 2] : 0;
    static const int zooms[] = {2, 3, 4, 6, 8, 12};
    static const int percents[] = {25, 50, 75, 99};
    CLogoRaster raster;
    raster.SetWidthCode(2 + a % 3);
    raster.m_nHeight = 1 + b % CLogoRaster::kMaxRows;
    // One input in eight is dithered (at the zoom, in ComposeView) instead of thresholded.
    if ((a & 0x38) == 0x38)
        surfaces->RenderDithered(*bmp, nullptr);
    else
        surfaces->RenderSurfaces(*bmp, percents[a % 4], nullptr);
    surfaces->ComposeView(*bmp, raster, int(qint8(b)) * 9, int(qint8(a)) * 5, zooms[b % 6]);
    surfaces->BuildRaster(*bmp, raster);
    // Checked a row at a time with memcmp: a byte-by-byte loop here took most of the
    // fuzzer's time in its comparison tracing.
    static const std::array<quint8, CLogoRaster::kRowStride> zeros{};
    for (int y = 0; y < CLogoRaster::kMaxRows; ++y) {
        const int from = y < raster.m_nHeight ? qMax(0, raster.m_nBytesPerLine) : 0;
        if (from < CLogoRaster::kRowStride &&
            std::memcmp(raster.Row(y) + from, zeros.data(),
                        size_t(CLogoRaster::kRowStride - from)) != 0)
            abort();
    }
    return 0;
}
