#pragma once

#include "ZeroedBuffer.h"

#include <QtGlobal>
#include <vector>

class CSourceBitmap;
class CLogoRaster;
class IUiServices;

// A drawing surface: 32-bit pixels 0xAARRGGBB, rows one after another, with direct row
// access so that rendering and read-back touch memory, not a per-pixel call.
class CSurface {
public:
    CSurface(int width, int height, quint32 fill);
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    quint32* Row(int y) { return m_pixels.data() + size_t(m_width) * size_t(y); }
    const quint32* Row(int y) const { return m_pixels.data() + size_t(m_width) * size_t(y); }
    quint32 Pixel(int x, int y) const { return Row(y)[x]; }
    // Fills the part of the rectangle (right and bottom edges excluded) inside the surface.
    void Fill(int left, int top, int right, int bottom, quint32 colour);

private:
    int m_width;
    int m_height;
    CZeroedBuffer<quint32> m_pixels;
};

// A rectangle, right and bottom edges excluded.
struct SurfaceRect {
    int left = 0, top = 0, right = 0, bottom = 0;
};

// Copies the source rectangle onto the destination rectangle, stretched or shrunk, drawing
// only inside `clip` and the destination surface. See the mapping at its definition.
void StretchCopy(const CSurface& source, int sx, int sy, int sw, int sh, CSurface& target, int dx,
                 int dy, int dw, int dh, const SurfaceRect& clip);

// The logo view's three surfaces: the composite the window shows, the picture in true
// colour and the picture in black and white.
class CLogoSurfaces {
public:
    static constexpr int kCompositeWidth = 960;
    static constexpr int kCompositeHeight = 600;
    static constexpr int kPictureWidth = 1024;
    static constexpr int kPictureHeight = 768;
    static constexpr int kFrameLeft = 64;
    static constexpr int kFrameTop = 89;
    static constexpr int kOutlineWidth = 3;
    static constexpr quint32 kWhite = 0xFFFFFFFFu;
    static constexpr quint32 kBlack = 0xFF000000u;
    static constexpr quint32 kRed = 0xFFFF0000u;
    static constexpr int kMaxPan = 1 << 20;
    static const char* const kNotFullySupported;

    enum class Render { NotLoaded, Logo, PreviewOnly };

    // How the surfaces are used. Kept (the view): a render draws the picture into the
    // colour and black-and-white surfaces, and every later compose (each drag step, each
    // zoom) reads them. Once (kvuctl): one render, then composes of that same picture; a
    // render only notes the threshold and ComposeView reads the picture it is given
    // straight from its store, drawing the same composite without filling 6 MB of
    // surfaces to read a part of them. Drawn once, the black-and-white picture of a
    // depth that gets a colour preview only is the fresh surface's white, and
    // m_colour and m_blackWhite are never drawn.
    enum class Use { Kept, Once };

    explicit CLogoSurfaces(Use use = Use::Kept);
    virtual ~CLogoSurfaces() = default;

    // The threshold in colour sums for a percentage: 25 gives 191, 50 gives 382, ...
    static int ThresholdSum(int percent) { return percent * 765 / 100; }

    // Draws the picture into the colour and black-and-white surfaces. Pictures of 1, 4 and
    // 8 bits give a colour preview only, after the "not fully supported" warning through
    // `services` (when given).
    Render RenderSurfaces(const CSourceBitmap& source, int percent, IUiServices* services);
    // An addition to the four thresholds, for photographs: Floyd-Steinberg error diffusion
    // of the colour sums around the 50% threshold. The picture is dithered at the size it
    // is shown and printed (at the zoom ComposeView gets), never dithered and then
    // stretched: shrinking a dither pattern lets black win and darkens it. The colour
    // surface and the rules for other depths are those of RenderSurfaces.
    Render RenderDithered(const CSourceBitmap& source, IUiServices* services);
    // Whether the last render was a dither (ComposeView then places the dithered picture).
    bool IsDithered() const { return m_bDithered; }
    // The composite at the pan (screen pixels) and zoom (in quarters).
    void ComposeView(const CSourceBitmap& source, const CLogoRaster& raster, int panX, int panY,
                     int zoom);
    // The printer dots read back from inside the logo frame of the composite.
    void BuildRaster(const CSourceBitmap& source, CLogoRaster& raster) const;

    CSurface m_composite;
    CSurface m_colour;
    CSurface m_blackWhite;

private:
    // The dithered picture at one zoom: one byte a pixel, 1 for black. Made again when the
    // zoom or the picture changes, not on every pan.
    struct Dithered {
        int zoom = 0, width = 0, height = 0;
        std::vector<quint8> black;
    };
    const Dithered& DitheredAt(const CSourceBitmap& source, int pictureWidth, int pictureHeight,
                               int zoom);

    Use m_use;
    Render m_drawn = Render::NotLoaded; // what the last render drew
    int m_threshold = ThresholdSum(50); // its threshold sum
    bool m_bDithered = false;
    Dithered m_dithered;
};
