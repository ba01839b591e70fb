#pragma once

#include "LogoRaster.h"
#include "SourceBitmap.h"

// The application's one logo image: the picture the user opened and the printer raster
// built from it.
class CLogoImage {
public:
    virtual ~CLogoImage() = default;

    CSourceBitmap m_source;
    CLogoRaster m_raster;
};
