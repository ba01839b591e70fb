// Rendering, composing and reading back the logo: the threshold, the stretch, the frame
// layout with its pans, and the packed raster at the three widths.

#include "logo/LogoSurfaces.h"
#include "BmpBuilder.h"
#include "RecordingServices.h"
#include "logo/LogoRaster.h"
#include "logo/PngWriter.h"
#include "logo/SourceBitmap.h"

#include <QImage>
#include <QtEndian>
#include <algorithm>
#include <gtest/gtest.h>
#include <memory>

namespace {
constexpr quint32 kWhite = CLogoSurfaces::kWhite;
constexpr quint32 kBlack = CLogoSurfaces::kBlack;
constexpr quint32 kRed = CLogoSurfaces::kRed;

quint32 Rgb(int r, int g, int b) {
    return 0xFF000000u | (quint32(r) << 16) | (quint32(g) << 8) | quint32(b);
}

// A loaded picture and the surfaces and raster to go with it.
struct Logo {
    std::unique_ptr<CSourceBitmap> bmp = std::make_unique<CSourceBitmap>();
    std::unique_ptr<CLogoSurfaces> surfaces = std::make_unique<CLogoSurfaces>();
    CLogoRaster raster;
    CRecordingServices services;

    explicit Logo(const BmpBuilder& b, int percent = 50) {
        bmp->ReadBytes(b.Build());
        EXPECT_EQ(bmp->m_bLoaded, 1);
        surfaces->RenderSurfaces(*bmp, percent, &services);
    }
    void Compose(int panX, int panY, int zoom) {
        surfaces->ComposeView(*bmp, raster, panX, panY, zoom);
    }
    quint32 At(int x, int y) const { return surfaces->m_composite.Pixel(x, y); }
    bool Dot(int x, int y) const { return raster.Row(y)[x / 8] & (0x80 >> (x % 8)); }
};

// A 24-bit picture: black where `black` says, white elsewhere.
BmpBuilder Picture(int w, int h, std::function<bool(int, int)> black) {
    BmpBuilder b;
    b.width = w;
    b.height = h;
    b.pixel = [black](int x, int y) { return black(x, y) ? 0u : 0xFFFFFFu; };
    return b;
}

// The extent [first, last] of the non-white pixels of a composite row from x = 0.
std::pair<int, int> Extent(const Logo& logo, int y, quint32 colour) {
    int first = -1, last = -1;
    for (int x = 0; x < CLogoSurfaces::kCompositeWidth; ++x) {
        if (logo.At(x, y) == colour) {
            if (first < 0)
                first = x;
            last = x;
        }
    }
    return {first, last};
}
} // namespace

TEST(LogoRender, ThresholdSums) {
    const std::pair<int, int> cases[] = {{25, 191}, {50, 382}, {75, 573}, {99, 757}};
    for (auto [percent, sum] : cases)
        EXPECT_EQ(CLogoSurfaces::ThresholdSum(percent), sum) << percent;
}

TEST(LogoRender, ThresholdEdges) {
    struct Case {
        int r, g, b, percent;
        bool black;
    } cases[] = {
        {128, 128, 128, 25, false}, {128, 128, 128, 50, false}, {128, 128, 128, 75, true},
        {128, 128, 128, 99, true},  {127, 127, 128, 50, false}, {127, 127, 127, 50, true},
        {0, 0, 0, 25, true},        {0, 0, 190, 25, true},      {0, 0, 191, 25, false},
        {255, 255, 255, 99, false}, {255, 255, 246, 99, true},  {255, 255, 247, 99, false},
        {255, 0, 0, 50, true},      {255, 0, 0, 25, false},
    };
    for (const Case& c : cases) {
        BmpBuilder b;
        b.width = 1;
        b.height = 1;
        b.pixel = [c](int, int) { return quint32(c.r << 16 | c.g << 8 | c.b); };
        Logo logo(b, c.percent);
        EXPECT_EQ(logo.surfaces->m_blackWhite.Pixel(0, 0), c.black ? kBlack : kWhite)
            << c.r << "," << c.g << "," << c.b << " at " << c.percent;
        EXPECT_EQ(logo.surfaces->m_colour.Pixel(0, 0), Rgb(c.r, c.g, c.b));
        EXPECT_TRUE(logo.services.MessageTexts().isEmpty());
    }
}

TEST(LogoRender, PixelsOutsideThePictureAreNotTouched) {
    Logo logo(Picture(2, 2, [](int, int) { return true; }));
    EXPECT_EQ(logo.surfaces->m_blackWhite.Pixel(1, 1), kBlack);
    EXPECT_EQ(logo.surfaces->m_blackWhite.Pixel(2, 0), kWhite);
    EXPECT_EQ(logo.surfaces->m_blackWhite.Pixel(0, 2), kWhite);
}

TEST(LogoRender, PaletteDepthsGiveAColourPreviewAndKeepTheLogo) {
    // A 24-bit all-black picture first, then a 1-bit one over it.
    Logo logo(Picture(16, 4, [](int, int) { return true; }));
    ASSERT_EQ(logo.surfaces->m_blackWhite.Pixel(3, 3), kBlack);

    BmpBuilder one;
    one.bitCount = 1;
    one.width = 9; // two stored bytes and two padding bytes a row
    one.height = 2;
    one.pixel = [](int x, int y) { return quint32(x == y); };
    logo.bmp->ReadBytes(one.Build());
    ASSERT_EQ(logo.bmp->m_bLoaded, 1);
    EXPECT_EQ(logo.surfaces->RenderSurfaces(*logo.bmp, 50, &logo.services),
              CLogoSurfaces::Render::PreviewOnly);
    ASSERT_EQ(logo.services.MessageTexts(),
              QStringList{"Warning: This file format is not fully supported yet."});
    EXPECT_EQ(logo.services.Messages().first().caption, "KVU");
    EXPECT_EQ(logo.services.Messages().first().icon, MsgIcon::Exclamation);
    const CSurface& colour = logo.surfaces->m_colour;
    EXPECT_EQ(colour.Pixel(0, 0), Rgb(192, 192, 255));
    EXPECT_EQ(colour.Pixel(1, 0), Rgb(64, 64, 128));
    EXPECT_EQ(colour.Pixel(1, 1), Rgb(192, 192, 255));
    // The padding columns are drawn too, up to the fourth stored byte.
    EXPECT_EQ(colour.Pixel(31, 0), Rgb(64, 64, 128));
    EXPECT_NE(colour.Pixel(32, 0), Rgb(64, 64, 128));
    EXPECT_EQ(logo.surfaces->m_blackWhite.Pixel(3, 3), kBlack) << "the old logo stays";

    BmpBuilder four;
    four.bitCount = 4;
    four.width = 3;
    four.height = 1;
    QByteArray table(64, '\0');
    table[4 * 5 + 2] = char(200); // entry 5: red 200
    table[4 * 6 + 1] = char(100); // entry 6: green 100
    table[4 * 7 + 0] = char(50);  // entry 7: blue 50
    four.palette = table;
    four.pixel = [](int x, int) { return quint32(5 + x); };
    logo.bmp->ReadBytes(four.Build());
    logo.surfaces->m_colour.Fill(0, 0, 4, 1, kBlack);
    logo.surfaces->RenderSurfaces(*logo.bmp, 50, nullptr);
    EXPECT_EQ(colour.Pixel(0, 0), Rgb(200, 0, 0));
    EXPECT_EQ(colour.Pixel(1, 0), Rgb(0, 100, 0));
    EXPECT_EQ(colour.Pixel(2, 0), kBlack) << "an odd width loses its last pixel";

    BmpBuilder eight;
    eight.bitCount = 8;
    eight.width = 2;
    eight.height = 1;
    QByteArray table8(1024, '\0');
    table8[4 * 200 + 0] = char(1);
    table8[4 * 200 + 1] = char(2);
    table8[4 * 200 + 2] = char(3);
    eight.palette = table8;
    eight.pixel = [](int, int) { return 200u; };
    logo.bmp->ReadBytes(eight.Build());
    logo.surfaces->RenderSurfaces(*logo.bmp, 50, nullptr);
    EXPECT_EQ(colour.Pixel(1, 0), Rgb(3, 2, 1));
}

TEST(LogoRender, NothingLoadedDrawsNothing) {
    CSourceBitmap bmp;
    CLogoSurfaces surfaces;
    CRecordingServices services;
    EXPECT_EQ(surfaces.RenderSurfaces(bmp, 50, &services), CLogoSurfaces::Render::NotLoaded);
    EXPECT_TRUE(services.MessageTexts().isEmpty());
    CLogoRaster raster;
    raster.m_raster[5] = 0x5A;
    surfaces.BuildRaster(bmp, raster);
    EXPECT_EQ(raster.m_raster[5], 0x5A) << "no picture, no raster";
}

TEST(LogoCompose, AHeaderWithANegativeHeightDrawsNoPictureAtAnyZoom) {
    // Found by the fuzz gate: a height of -1627389952 overflowed the zoomed size.
    CSourceBitmap bmp;
    bmp.m_bLoaded = true;
    bmp.biWidth = 17;
    bmp.biHeight = -1627389952;
    CLogoSurfaces surfaces;
    CLogoRaster raster;
    for (int zoom : {2, 3, 4, 6, 8, 12}) {
        surfaces.ComposeView(bmp, raster, -900, 500, zoom);
        EXPECT_EQ(
            surfaces.m_composite.Pixel(CLogoSurfaces::kFrameLeft + 1, CLogoSurfaces::kFrameTop + 1),
            kWhite)
            << zoom;
    }
}

TEST(LogoCompose, ZoomSizes) {
    struct Case {
        int w, h, zoom, coveredW, coveredH;
    } cases[] = {{200, 100, 2, 100, 50},   {10, 10, 3, 7, 7}, {200, 100, 4, 200, 100},
                 {10, 4, 6, 15, 6},        {10, 4, 8, 20, 8}, {10, 4, 12, 30, 12},
                 {1024, 768, 2, 512, 384}, {1, 1, 2, 0, 0}};
    for (const Case& c : cases) {
        // A red picture: only the colour stage draws red inside and outside the frame.
        BmpBuilder b;
        b.width = c.w;
        b.height = c.h;
        b.pixel = [](int, int) { return 0x0000FFu; };
        Logo logo(b);
        logo.raster.m_nHeight = 1; // a thin frame, so the colour shows below it
        logo.Compose(0, 200, c.zoom);
        const int row = 89 + 200;
        const auto [first, last] = Extent(logo, row, Rgb(0, 0, 255));
        if (c.coveredW == 0) {
            EXPECT_EQ(first, -1) << c.w << " at zoom " << c.zoom;
            continue;
        }
        EXPECT_EQ(first, 64) << c.w << " at zoom " << c.zoom;
        EXPECT_EQ(last, 64 + c.coveredW - 1) << c.w << " at zoom " << c.zoom;
        int height = 0;
        for (int y = row; y < 600 && logo.At(64, y) == Rgb(0, 0, 255); ++y)
            ++height;
        EXPECT_EQ(height, std::min(c.coveredH, 600 - row)) << c.h << " at zoom " << c.zoom;
    }
}

TEST(LogoCompose, FrameOutlineIsARedRingOutsideTheLogo) {
    for (int code : {2, 3, 4}) {
        Logo logo(Picture(4, 4, [](int, int) { return false; }));
        logo.raster.SetWidthCode(code);
        logo.raster.m_nHeight = 178;
        logo.Compose(0, 0, 4);
        const int d = logo.raster.m_nDots, n = 178;
        struct Probe {
            int x, y;
            bool red;
        } probes[] = {{61, 86, true},         {63, 88, true},          {64, 88, true},
                      {63, 89, true},         {64, 89, false},         {60, 86, false},
                      {61, 85, false},        {d + 63, n + 88, false}, {d + 64, n + 88, true},
                      {d + 66, n + 91, true}, {d + 67, n + 91, false}, {d + 66, n + 92, false},
                      {200, 86, true},        {200, 91, false},        {61, 200, true}};
        for (const Probe& p : probes)
            EXPECT_EQ(logo.At(p.x, p.y) == kRed, p.red) << code << ": " << p.x << "," << p.y;
        EXPECT_EQ(logo.At(64 + d - 1, 89 + n - 1), kWhite) << "inside the frame is white";
    }
}

TEST(LogoCompose, OutsideTheFrameTheColourInsideTheLogo) {
    // A blue picture wider than the 384-dot frame.
    BmpBuilder b;
    b.width = 500;
    b.height = 10;
    b.pixel = [](int, int) { return 0x0000FFu; }; // blue: 255 in the blue byte
    Logo logo(b, 50);
    logo.raster.SetWidthCode(2);
    logo.raster.m_nHeight = 5;
    logo.Compose(0, 0, 4);
    EXPECT_EQ(logo.At(64, 89), kBlack) << "blue (sum 255) thresholds black at 50%";
    EXPECT_EQ(logo.At(64 + 383, 93), kBlack);
    EXPECT_EQ(logo.At(64 + 400, 89), Rgb(0, 0, 255)) << "right of the frame: the colour";
    EXPECT_EQ(logo.At(80, 89 + 8), Rgb(0, 0, 255)) << "below the frame: the colour";
    EXPECT_EQ(logo.At(64 + 600, 89), kWhite) << "beyond the picture: white";
}

TEST(LogoCompose, NegativePansMoveTheSourceOrigin) {
    struct Case {
        int column, panX, panY, zoom;
        int frameX, frameY; // composite point that shows the column's black
    } cases[] = {
        // Dragging 20 left at x1.5: source x 13 at the frame's left edge.
        {13, -20, 0, 6, 64, 89},
        {20, -20, 0, 4, 64, 89},
        {0, 10, 0, 4, 74, 89},
        {40, -20, 0, 2, 64, 89},
    };
    for (const Case& c : cases) {
        Logo logo(Picture(100, 100, [&](int x, int) { return x == c.column; }));
        logo.Compose(c.panX, c.panY, c.zoom);
        EXPECT_EQ(logo.At(c.frameX, c.frameY), kBlack) << c.column << " pan " << c.panX;
        Logo other(Picture(100, 100, [&](int x, int) { return x == c.column - 1; }));
        other.Compose(c.panX, c.panY, c.zoom);
        EXPECT_EQ(other.At(c.frameX, c.frameY), kWhite) << c.column - 1 << " pan " << c.panX;
    }
    // The same on the vertical axis: row 13 at the frame's top after 20 up at x1.5.
    Logo rows(Picture(100, 100, [](int, int y) { return y == 13; }));
    rows.Compose(0, -20, 6);
    EXPECT_EQ(rows.At(64, 89), kBlack);
    EXPECT_EQ(rows.At(64, 88), kRed);
}

TEST(LogoCompose, ThinLinesSurviveShrinking) {
    for (int zoom : {2, 3}) {
        for (int line = 0; line < 8; ++line) {
            Logo logo(Picture(64, 64, [&](int x, int y) { return x == line || y == line; }));
            logo.Compose(0, 0, zoom);
            logo.surfaces->BuildRaster(*logo.bmp, logo.raster);
            const int size = 64 * zoom / 4;
            const int column = line * zoom / 4;
            for (int y = 0; y < size; ++y)
                ASSERT_TRUE(logo.Dot(column, y)) << "column " << line << " zoom " << zoom;
            for (int x = 0; x < size; ++x)
                ASSERT_TRUE(logo.Dot(x, column)) << "row " << line << " zoom " << zoom;
            const int other = column == 0 ? size - 1 : 0;
            int dots = 0;
            for (int x = 0; x < size; ++x)
                dots += logo.Dot(x, other);
            EXPECT_EQ(dots, 1) << "a line stays one dot wide";
        }
    }
}

TEST(LogoCompose, EnlargingReplicatesPixels) {
    struct Case {
        int zoom, from, to; // the column of dots that picture column 3 becomes
    } cases[] = {{4, 3, 3}, {6, 5, 5}, {8, 6, 7}, {12, 9, 11}};
    for (const Case& c : cases) {
        Logo logo(Picture(10, 10, [](int x, int y) { return x == 3 && y == 0; }));
        logo.Compose(0, 0, c.zoom);
        logo.surfaces->BuildRaster(*logo.bmp, logo.raster);
        for (int x = 0; x < 40; ++x)
            EXPECT_EQ(logo.Dot(x, 0), x >= c.from && x <= c.to) << "zoom " << c.zoom << " x " << x;
        EXPECT_EQ(logo.Dot(c.from, c.zoom * 10 / 4), false) << "only the top row's pixel";
    }
}

TEST(LogoCompose, APictureMovedOutOfTheFramePrintsBlank) {
    const std::pair<int, int> pans[] = {{1000, 0},     {0, 1000},      {-200, 0},
                                        {0, -200},     {-5000, -5000}, {INT32_MIN, INT32_MAX},
                                        {INT32_MAX, 0}};
    for (auto [x, y] : pans) {
        Logo logo(Picture(100, 100, [](int, int) { return true; }));
        logo.Compose(x, y, 4);
        logo.surfaces->BuildRaster(*logo.bmp, logo.raster);
        for (quint8 b : logo.raster.m_raster)
            ASSERT_EQ(b, 0) << x << "," << y;
    }
}

TEST(LogoRaster, PackingAndTheThreeWidths) {
    struct Case {
        int code, bytes;
    } cases[] = {{2, 48}, {3, 72}, {4, 104}, {7, 72}};
    for (const Case& c : cases) {
        Logo logo(Picture(1024, 768, [](int, int) { return true; }));
        logo.raster.SetWidthCode(c.code);
        logo.raster.m_nHeight = 300;
        logo.Compose(0, 0, 4);
        logo.surfaces->BuildRaster(*logo.bmp, logo.raster);
        for (int y = 0; y < 300; ++y) {
            for (int i = 0; i < CLogoRaster::kRowStride; ++i)
                ASSERT_EQ(logo.raster.Row(y)[i], i < c.bytes ? 0xFF : 0x00)
                    << "code " << c.code << " row " << y << " byte " << i;
        }
    }
    // Leftmost dot in the most significant bit; a picture smaller than the frame leaves the
    // rest of the row empty.
    Logo logo(Picture(
        20, 3, [](int x, int y) { return (y == 0 && (x == 0 || x == 9)) || (y == 2 && x == 15); }));
    logo.raster.m_nHeight = 10;
    logo.Compose(0, 0, 4);
    logo.surfaces->BuildRaster(*logo.bmp, logo.raster);
    EXPECT_EQ(logo.raster.Row(0)[0], 0x80);
    EXPECT_EQ(logo.raster.Row(0)[1], 0x40);
    EXPECT_EQ(logo.raster.Row(2)[1], 0x01);
    EXPECT_EQ(logo.raster.Row(1)[0], 0x00);
    for (int y = 0; y < 300; ++y)
        for (int i = 3; i < CLogoRaster::kRowStride; ++i)
            ASSERT_EQ(logo.raster.Row(y)[i], 0) << y << " " << i;
    // Rows beyond the height are cleared, whatever they held.
    logo.raster.Row(20)[0] = 0xFF;
    logo.surfaces->BuildRaster(*logo.bmp, logo.raster);
    EXPECT_EQ(logo.raster.Row(20)[0], 0);
}

TEST(LogoRaster, ThresholdDecidesWhatPrints) {
    BmpBuilder b;
    b.width = 8;
    b.height = 1;
    b.pixel = [](int, int) { return 0x808080u; };
    for (auto [percent, dots] : {std::pair{25, 0x00}, {50, 0x00}, {75, 0xFF}, {99, 0xFF}}) {
        Logo logo(b, percent);
        logo.Compose(0, 0, 4);
        logo.surfaces->BuildRaster(*logo.bmp, logo.raster);
        EXPECT_EQ(logo.raster.Row(0)[0], dots) << percent;
    }
}

TEST(LogoRender, DitherGivesTheGreyLevelsAsDotDensityAtEveryZoom) {
    // Counted in the raster Flash sends, over the part of the frame the picture covers:
    // the picture is dithered at the size it prints, so a grey is the same grey at every
    // zoom (dithered first and then shrunk, a 50% grey came out 77% black at x0.75 and
    // solid black at x0.5).
    struct Case {
        int grey;
        int zoom;
        double low, high; // the share of black dots expected
    } cases[] = {{0, 4, 1.0, 1.0},     {255, 4, 0.0, 0.0},   {128, 4, 0.48, 0.52},
                 {64, 4, 0.72, 0.78},  {192, 4, 0.22, 0.28}, {128, 2, 0.48, 0.52},
                 {128, 3, 0.48, 0.52}, {128, 6, 0.48, 0.52}, {128, 12, 0.48, 0.52},
                 {64, 2, 0.72, 0.78},  {192, 3, 0.22, 0.28}};
    for (const Case& c : cases) {
        BmpBuilder b;
        b.width = 256;
        b.height = 200;
        b.pixel = [&](int, int) { return quint32(c.grey * 0x010101); };
        Logo logo(b);
        EXPECT_EQ(logo.surfaces->RenderDithered(*logo.bmp, nullptr), CLogoSurfaces::Render::Logo);
        EXPECT_TRUE(logo.surfaces->IsDithered());
        logo.Compose(0, 0, c.zoom);
        logo.surfaces->BuildRaster(*logo.bmp, logo.raster);
        const int w = std::min(256 * c.zoom / 4, logo.raster.m_nDots);
        const int h = std::min(200 * c.zoom / 4, logo.raster.m_nHeight);
        int black = 0;
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                black += logo.Dot(x, y);
        const double share = black / double(w * h);
        EXPECT_GE(share, c.low) << c.grey << " at zoom " << c.zoom;
        EXPECT_LE(share, c.high) << c.grey << " at zoom " << c.zoom;
        if (w < logo.raster.m_nDots) {
            EXPECT_FALSE(logo.Dot(w, 0)) << "nothing beyond the picture";
        }
        EXPECT_EQ(logo.surfaces->m_colour.Pixel(5, 5), Rgb(c.grey, c.grey, c.grey));
    }
    // A pan moves the dithered picture as it moves a thresholded one.
    BmpBuilder b;
    b.width = 40;
    b.height = 40;
    b.pixel = [](int x, int) { return x < 20 ? 0u : 0xFFFFFFu; };
    Logo logo(b);
    logo.surfaces->RenderDithered(*logo.bmp, nullptr);
    logo.Compose(-10, 5, 4);
    EXPECT_EQ(logo.At(64 + 9, 89 + 5), kBlack);
    EXPECT_EQ(logo.At(64 + 10, 89 + 5), kWhite);
    EXPECT_EQ(logo.At(64 + 5, 89 + 4), kWhite) << "above the picture";
    // A threshold afterwards is a threshold again.
    logo.surfaces->RenderSurfaces(*logo.bmp, 50, nullptr);
    EXPECT_FALSE(logo.surfaces->IsDithered());
}

TEST(LogoSurfaces, DrawnOnceTheCompositeIsTheViewsOwn) {
    // kvuctl's surfaces, composed straight from the picture, against the view's: every
    // depth, shrunk, 1:1 and enlarged, panned both ways, thresholded and dithered.
    struct Case {
        int bits, width, height;
    } pictures[] = {{24, 1024, 768}, {24, 37, 23}, {1, 45, 9}, {4, 33, 7}, {8, 20, 30}};
    const struct {
        int zoom, panX, panY;
        bool dither;
    } views[] = {{2, 0, 0, false},    {3, -7, 5, false},   {4, 0, 0, true},
                 {6, 11, -13, false}, {12, -40, -3, true}, {4, 900, 0, false}};
    for (const Case& p : pictures) {
        BmpBuilder b;
        b.bitCount = p.bits;
        b.width = p.width;
        b.height = p.height;
        b.pixel = [](int x, int y) { return quint32((x * 37 + y * 11) * 0x010307u) & 0xFFFFFFu; };
        CSourceBitmap bmp;
        bmp.ReadBytes(b.Build());
        ASSERT_EQ(bmp.m_bLoaded, 1) << p.bits;
        for (int i = 0; i < 256; ++i)
            bmp.m_palette[size_t(i)] = {quint8(i * 7), quint8(i * 3), quint8(255 - i), 0};
        for (const auto& v : views) {
            CLogoSurfaces kept, once(CLogoSurfaces::Use::Once);
            CLogoRaster raster;
            raster.SetWidthCode(4);
            raster.m_nHeight = 300;
            for (CLogoSurfaces* s : {&kept, &once}) {
                if (v.dither)
                    s->RenderDithered(bmp, nullptr);
                else
                    s->RenderSurfaces(bmp, 75, nullptr);
                s->ComposeView(bmp, raster, v.panX, v.panY, v.zoom);
            }
            const CSurface &a = kept.m_composite, &c = once.m_composite;
            EXPECT_TRUE(std::equal(a.Row(0), a.Row(0) + a.Width() * a.Height(), c.Row(0)))
                << p.bits << " bits " << p.width << " x " << p.height << ", zoom " << v.zoom
                << " pan " << v.panX << "," << v.panY << (v.dither ? " dithered" : "");
        }
    }
}

namespace {
// The chunks' types in order after the signature; "" when a length runs past the end or
// a chunk's CRC is wrong.
QByteArray PngChunkTypes(const QByteArray& png) {
    if (!png.startsWith("\x89PNG\r\n\x1A\n"))
        return {};
    QByteArray types;
    for (qsizetype at = 8; at < png.size();) {
        if (at + 12 > png.size())
            return {};
        const quint32 length = qFromBigEndian<quint32>(png.constData() + at);
        if (length > quint32(png.size() - at - 12))
            return {};
        const quint32 crc = qFromBigEndian<quint32>(png.constData() + at + 8 + length);
        if (PngWriter::Crc32(png.constData() + at + 4, qsizetype(length) + 4) != crc)
            return {};
        types += png.mid(at + 4, 4) + ' ';
        at += 12 + qsizetype(length);
    }
    return types;
}
} // namespace

TEST(PngWriter, DecodesToTheSamePixelsAsTheComposite) {
    EXPECT_EQ(PngWriter::Crc32("123456789", 9), 0xCBF43926u);
    // Sizes with rows that end inside a byte, and colour counts at each bit depth's edge.
    struct Case {
        int width, height, colours;
        const char* chunks;
    } cases[] = {
        {1, 1, 1, "IHDR PLTE IDAT IEND "},    {13, 5, 2, "IHDR PLTE IDAT IEND "},
        {7, 3, 3, "IHDR PLTE IDAT IEND "},    {5, 9, 4, "IHDR PLTE IDAT IEND "},
        {11, 6, 16, "IHDR PLTE IDAT IEND "},  {17, 4, 17, "IHDR PLTE IDAT IEND "},
        {33, 9, 256, "IHDR PLTE IDAT IEND "}, {31, 10, 257, "IHDR IDAT IEND "},
    };
    for (const Case& c : cases) {
        std::vector<quint32> pixels(size_t(c.width) * size_t(c.height));
        for (size_t i = 0; i < pixels.size(); ++i) {
            const quint32 k = quint32(i % size_t(c.colours));
            // The alpha byte is not part of the colour: half the pixels carry another one.
            pixels[i] = (i % 2 ? 0x80000000u : 0xFF000000u) | (k & 0xFF) << 16 | (k >> 8) << 8 |
                        ((k * 37) & 0xFF);
        }
        const QByteArray png = PngWriter::Encode(pixels.data(), c.width, c.height);
        EXPECT_EQ(PngChunkTypes(png), c.chunks) << c.width << " x " << c.height;
        const QImage decoded = QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32);
        const QImage before(reinterpret_cast<const uchar*>(pixels.data()), c.width, c.height,
                            c.width * 4, QImage::Format_RGB32);
        EXPECT_EQ(decoded, before) << c.width << " x " << c.height << ", " << c.colours;
    }

    // The composite of a 24-bit picture (colours outside the frame) and of a small logo
    // (white, black and the outline only), through the writer and back.
    for (int size : {1024, 45}) {
        BmpBuilder b;
        b.width = size;
        b.height = size * 3 / 4;
        b.pixel = [](int x, int y) { return quint32((x * 37 + y * 11) * 0x010307u) & 0xFFFFFFu; };
        CSourceBitmap bmp;
        bmp.ReadBytes(b.Build());
        CLogoSurfaces surfaces(CLogoSurfaces::Use::Once);
        CLogoRaster raster;
        surfaces.RenderSurfaces(bmp, 50, nullptr);
        surfaces.ComposeView(bmp, raster, 3, -2, 4);
        const CSurface& s = surfaces.m_composite;
        const QImage before(reinterpret_cast<const uchar*>(s.Row(0)), s.Width(), s.Height(),
                            s.Width() * 4, QImage::Format_RGB32);
        const QByteArray png = PngWriter::Encode(s.Row(0), s.Width(), s.Height());
        EXPECT_EQ(QImage::fromData(png, "PNG").convertToFormat(QImage::Format_RGB32), before)
            << size;
    }
    EXPECT_TRUE(PngWriter::Encode(nullptr, 0, 0).isEmpty());
}
