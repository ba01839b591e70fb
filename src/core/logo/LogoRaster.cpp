#include "LogoRaster.h"

#include <algorithm>

CLogoRaster::CLogoRaster() {
    m_nHeight = kDefaultHeight;
    SetWidthCode(kDefaultWidthCode);
}

int CLogoRaster::DotsForWidthCode(int code) {
    switch (code) {
    case 2:
        return 384;
    case 4:
        return 832;
    default:
        return 576;
    }
}

void CLogoRaster::SetWidthCode(int code) {
    m_nWidthCode = code;
    m_nDots = DotsForWidthCode(code);
    m_nBytesPerLine = m_nDots / 8;
}

void CLogoRaster::SetWidthIndex(int index) {
    SetWidthCode(index == 0 ? 2 : index == 2 ? 4 : 3);
}

int CLogoRaster::GetWidthIndex() const {
    return m_nWidthCode == 2 ? 0 : m_nWidthCode == 4 ? 2 : 1;
}

bool CLogoRaster::IsBlank() const {
    const int lines = std::clamp(m_nHeight, 0, kMaxRows);
    const int bytes = std::clamp(m_nBytesPerLine, 0, kRowStride);
    for (int y = 0; y < lines; ++y) {
        const quint8* row = Row(y);
        if (std::any_of(row, row + bytes, [](quint8 b) { return b != 0; }))
            return false;
    }
    return true;
}
