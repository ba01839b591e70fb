#pragma once

#include <QtGlobal>
#include <array>

// The printer's one-bit logo raster: dots per line set by the paper width, height in
// printed lines. Row y starts at byte 104 * y whatever the width; the leftmost dot of a
// byte is its most significant bit and a set bit is a black dot.
class CLogoRaster {
public:
    static constexpr int kMaxRows = 300;
    static constexpr int kRowStride = 104;
    static constexpr int kMinHeight = 1;
    static constexpr int kDefaultHeight = 178;
    static constexpr int kDefaultWidthCode = 3;

    CLogoRaster();
    virtual ~CLogoRaster() = default;

    // Code 2 gives 384 dots, code 4 gives 832 dots, any other code 576 dots (and is kept).
    void SetWidthCode(int code);
    // Index 0 means code 2, index 2 means code 4, any other index code 3.
    void SetWidthIndex(int index);
    int GetWidthIndex() const;

    quint8* Row(int y) { return m_raster.data() + kRowStride * y; }
    const quint8* Row(int y) const { return m_raster.data() + kRowStride * y; }
    void Clear() { m_raster.fill(0); }
    // No black dot in the meaningful part of the raster (the bytes of each line, the lines
    // of the height).
    bool IsBlank() const;

    static int DotsForWidthCode(int code);

    int m_nWidthCode = kDefaultWidthCode;
    int m_nDots = 576;
    int m_nBytesPerLine = 72;
    std::array<quint8, kMaxRows * kRowStride> m_raster{};
    int m_nHeight = kDefaultHeight;
};
