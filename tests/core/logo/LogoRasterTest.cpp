#include "logo/LogoImage.h"

#include <gtest/gtest.h>

TEST(LogoRaster, ConstructedAt576By178) {
    CLogoRaster r;
    EXPECT_EQ(r.m_nWidthCode, 3);
    EXPECT_EQ(r.m_nDots, 576);
    EXPECT_EQ(r.m_nBytesPerLine, 72);
    EXPECT_EQ(r.m_nHeight, 178);
    EXPECT_EQ(r.m_raster.size(), 31200u);
    for (quint8 b : r.m_raster)
        ASSERT_EQ(b, 0);
}

TEST(LogoRaster, WidthCodesAndIndexes) {
    struct Case {
        int code, dots, bytes, index;
    } cases[] = {{2, 384, 48, 0}, {3, 576, 72, 1}, {4, 832, 104, 2},
                 {0, 576, 72, 1}, {7, 576, 72, 1}, {-1, 576, 72, 1}};
    for (const Case& c : cases) {
        CLogoRaster r;
        r.SetWidthCode(c.code);
        EXPECT_EQ(r.m_nWidthCode, c.code) << "code is kept";
        EXPECT_EQ(r.m_nDots, c.dots) << c.code;
        EXPECT_EQ(r.m_nBytesPerLine, c.bytes) << c.code;
        EXPECT_EQ(r.GetWidthIndex(), c.index) << c.code;
    }
    struct IndexCase {
        int index, code;
    } indexes[] = {{0, 2}, {1, 3}, {2, 4}, {-1, 3}, {3, 3}};
    for (const IndexCase& c : indexes) {
        CLogoRaster r;
        r.SetWidthIndex(c.index);
        EXPECT_EQ(r.m_nWidthCode, c.code) << c.index;
    }
}

TEST(LogoRaster, RowsStartEvery104BytesWhateverTheWidth) {
    CLogoRaster r;
    r.SetWidthCode(2);
    r.Row(1)[0] = 0x80;
    r.Row(299)[103] = 0x01;
    EXPECT_EQ(r.m_raster[104], 0x80);
    EXPECT_EQ(r.m_raster[31199], 0x01);
}

TEST(LogoImage, SourceStartsNotLoaded) {
    CLogoImage image;
    EXPECT_EQ(image.m_source.m_bLoaded, 0);
    EXPECT_EQ(image.m_raster.m_nHeight, 178);
}
