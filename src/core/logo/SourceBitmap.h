#pragma once

// The picture opened from a BMP file. Only the loaded flag exists so far: the bitmap
// reader itself arrives with the logo download module.
class CSourceBitmap {
public:
    virtual ~CSourceBitmap() = default;

    int m_bLoaded = 0;
};
