#include "LogoSurfaces.h"

#include "LogoRaster.h"
#include "SourceBitmap.h"
#include "app/UiServices.h"

#include <algorithm>
#include <optional>

const char* const CLogoSurfaces::kNotFullySupported =
    "Warning: This file format is not fully supported yet.";

CSurface::CSurface(int width, int height, quint32 fill)
    : m_width(width), m_height(height), m_pixels(size_t(width) * size_t(height)) {
    if (fill != 0)
        std::fill(m_pixels.begin(), m_pixels.end(), fill);
}

void CSurface::Fill(int left, int top, int right, int bottom, quint32 colour) {
    left = std::max(left, 0);
    top = std::max(top, 0);
    right = std::min(right, m_width);
    bottom = std::min(bottom, m_height);
    for (int y = top; y < bottom; ++y)
        std::fill(Row(y) + left, Row(y) + std::max(left, right), colour);
}

namespace {
// For each destination index on one axis, the source indexes [begin, end) it takes.
struct Span {
    int begin, end;
};

// The mapping, the same on each axis, with s source pixels drawn onto d destination pixels:
// - enlarging or equal (d >= s): destination pixel i shows source pixel floor(i * s / d),
//   so each source pixel is replicated into a run of floor or ceil(d / s) pixels;
// - shrinking (d < s): source pixel j goes to destination pixel floor(j * d / s), so
//   destination pixel i combines source pixels ceil(i * s / d) to ceil((i + 1) * s / d) - 1
//   (at least one each), and the pixels combined are ANDed bit by bit. This is the default
//   stretch mode of a new memory surface: black wins, so a one-pixel black line survives
//   x0.5 and x0.75.
std::vector<Span> MapAxis(int s, int d) {
    std::vector<Span> spans(size_t(std::max(d, 0)));
    for (int i = 0; i < d; ++i) {
        if (d >= s) {
            const int b = int(qint64(i) * s / d);
            spans[size_t(i)] = {b, b + 1};
        } else {
            const int b = int((qint64(i) * s + d - 1) / d);
            const int e = int((qint64(i + 1) * s + d - 1) / d);
            spans[size_t(i)] = {b, std::max(e, b + 1)};
        }
    }
    return spans;
}
} // namespace

namespace {
// The rows StretchRows reads: Row(y, from, to) points at pixels such that [from, to) of
// row y are there, valid until the next call.
class CSurfaceRows {
public:
    explicit CSurfaceRows(const CSurface& surface) : m_surface(surface) {}
    int Width() const { return m_surface.Width(); }
    int Height() const { return m_surface.Height(); }
    const quint32* Row(int y, int, int) const { return m_surface.Row(y); }

private:
    const CSurface& m_surface;
};

template <class Rows>
void StretchRows(Rows& source, int sx, int sy, int sw, int sh, CSurface& target, int dx, int dy,
                 int dw, int dh, const SurfaceRect& clip) {
    if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0)
        return;
    const int left = std::max({clip.left, 0, dx});
    const int top = std::max({clip.top, 0, dy});
    const int right = int(std::min<qint64>({clip.right, target.Width(), qint64(dx) + dw}));
    const int bottom = int(std::min<qint64>({clip.bottom, target.Height(), qint64(dy) + dh}));
    if (left >= right || top >= bottom)
        return;
    std::vector<Span> xs = MapAxis(sw, dw);
    std::vector<Span> ys = MapAxis(sh, dh);
    // Spans are made absolute and cut to the source surface; source pixels outside it
    // read as white (nothing there to AND in).
    auto cut = [](std::vector<Span>& spans, int origin, int size) {
        for (Span& s : spans) {
            s.begin = std::clamp(s.begin + origin, 0, size);
            s.end = std::clamp(s.end + origin, 0, size);
        }
    };
    cut(xs, sx, source.Width());
    cut(ys, sy, source.Height());
    const bool singleX = sw <= dw;
    // The source columns the destination columns take (the spans only grow left to right).
    const int from = xs[size_t(left - dx)].begin;
    const int to = std::max(from, xs[size_t(right - 1 - dx)].end);
    // Several source rows into one destination row: ANDed column by column first, which
    // gives what ANDing each destination pixel's whole block would.
    std::vector<quint32> rows;
    const Span* previous = nullptr;
    for (int y = top; y < bottom; ++y) {
        const Span& ry = ys[size_t(y - dy)];
        quint32* out = target.Row(y);
        if (previous && previous->begin == ry.begin && previous->end == ry.end) {
            // Enlarged: the same source row again gives the same pixels.
            std::copy(target.Row(y - 1) + left, target.Row(y - 1) + right, out + left);
            continue;
        }
        previous = &ry;
        const quint32* in = nullptr;
        if (ry.end - ry.begin == 1) {
            in = source.Row(ry.begin, from, to);
        } else {
            rows.assign(size_t(to), 0xFFFFFFFFu);
            for (int v = ry.begin; v < ry.end; ++v) {
                const quint32* row = source.Row(v, from, to);
                for (int u = from; u < to; ++u)
                    rows[size_t(u)] &= row[u];
            }
            in = rows.data();
        }
        const Span* rx = xs.data() + (left - dx);
        if (singleX) {
            // Enlarging or 1:1 across: one source pixel for each destination pixel.
            for (int x = left; x < right; ++x, ++rx)
                out[x] = rx->begin < rx->end ? in[rx->begin] : 0xFFFFFFFFu;
            continue;
        }
        for (int x = left; x < right; ++x, ++rx) {
            quint32 value = 0xFFFFFFFFu;
            for (int u = rx->begin; u < rx->end; ++u)
                value &= in[u];
            out[x] = value;
        }
    }
}
} // namespace

void StretchCopy(const CSurface& source, int sx, int sy, int sw, int sh, CSurface& target, int dx,
                 int dy, int dw, int dh, const SurfaceRect& clip) {
    CSurfaceRows rows(source);
    StretchRows(rows, sx, sy, sw, sh, target, dx, dy, dw, dh, clip);
}

// The black-and-white surface starts white: a picture that only gets a colour preview
// then prints nothing, rather than the solid black of a fresh surface. The colour surface
// starts black (all bits zero), as a fresh surface does; only the picture's own area of
// it is ever shown. Drawn once, neither is used (nor its memory touched).
CLogoSurfaces::CLogoSurfaces(Use use)
    : m_composite(kCompositeWidth, kCompositeHeight, kWhite),
      m_colour(kPictureWidth, kPictureHeight, 0),
      m_blackWhite(kPictureWidth, kPictureHeight, use == Use::Kept ? kWhite : 0), m_use(use) {}

namespace {
quint32 Rgb(int red, int green, int blue) {
    return 0xFF000000u | (quint32(red) << 16) | (quint32(green) << 8) | quint32(blue);
}

// The picture itself as the colour or the black-and-white surface would hold it after the
// one render of fresh surfaces, made row by row as a stretch reads it (for the surfaces
// drawn once): the same pixels, without drawing 1024 x 768 of each to read a part.
class CPictureRows {
public:
    CPictureRows(const CSourceBitmap& source, bool blackWhite, CLogoSurfaces::Render drawn,
                 int threshold)
        : m_source(source), m_blackWhite(blackWhite), m_drawn(drawn), m_threshold(threshold),
          m_width(std::clamp(source.biWidth, 0, CLogoSurfaces::kPictureWidth)),
          m_height(std::clamp(source.biHeight, 0, CLogoSurfaces::kPictureHeight)),
          m_row(size_t(CLogoSurfaces::kPictureWidth)) {}
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    const quint32* Row(int y, int from, int to) {
        to = std::min(to, m_width);
        quint32* out = m_row.data();
        const quint8* in = m_source.Row(y);
        const bool picture = m_drawn == CLogoSurfaces::Render::Logo ||
                             (!m_blackWhite && m_drawn == CLogoSurfaces::Render::PreviewOnly);
        if (!picture) {
            // A surface nothing was drawn into: white, or the colour surface's black.
            std::fill(out + from, out + std::max(from, to),
                      m_blackWhite ? CLogoSurfaces::kWhite : 0u);
            return out;
        }
        if (m_blackWhite) {
            for (int x = from; x < to; ++x) {
                const int sum = in[3 * x] + in[3 * x + 1] + in[3 * x + 2];
                out[x] = sum < m_threshold ? CLogoSurfaces::kBlack : CLogoSurfaces::kWhite;
            }
            return out;
        }
        auto palette = [this](int index) {
            const CSourceBitmap::RgbQuad& q = m_source.m_palette[size_t(index)];
            return Rgb(q.red, q.green, q.blue);
        };
        switch (m_source.biBitCount) {
        case 24:
            for (int x = from; x < to; ++x)
                out[x] = Rgb(in[3 * x + 2], in[3 * x + 1], in[3 * x]);
            break;
        case 1:
            for (int x = from; x < to; ++x)
                out[x] = (in[x / 8] & (0x80 >> (x % 8))) ? Rgb(192, 192, 255) : Rgb(64, 64, 128);
            break;
        case 4:
            // An odd width loses its last pixel, which stays as fresh as the surface.
            for (int x = from; x < to; ++x)
                out[x] = x >= 2 * (m_width / 2) ? 0u
                         : x % 2                ? palette(in[x / 2] & 0x0F)
                                                : palette(in[x / 2] >> 4);
            break;
        case 8:
            for (int x = from; x < to; ++x)
                out[x] = palette(in[x]);
            break;
        default:
            std::fill(out + from, out + std::max(from, to), 0u);
            break;
        }
        return out;
    }

private:
    const CSourceBitmap& m_source;
    bool m_blackWhite;
    CLogoSurfaces::Render m_drawn;
    int m_threshold;
    int m_width, m_height;
    std::vector<quint32> m_row;
};
} // namespace

CLogoSurfaces::Render CLogoSurfaces::RenderSurfaces(const CSourceBitmap& source, int percent,
                                                    IUiServices* services) {
    // Whatever is drawn now, a dither made from the earlier surfaces is out of date.
    m_bDithered = false;
    m_dithered.black.clear();
    m_drawn = !source.m_bLoaded         ? Render::NotLoaded
              : source.biBitCount == 24 ? Render::Logo
                                        : Render::PreviewOnly;
    m_threshold = ThresholdSum(percent);
    if (m_drawn == Render::NotLoaded)
        return Render::NotLoaded;
    if (m_use == Use::Once) {
        // Nothing drawn now: ComposeView reads the picture itself.
        if (m_drawn == Render::PreviewOnly && services)
            services->Message(QLatin1String(kNotFullySupported));
        return m_drawn;
    }
    const int threshold = m_threshold;
    const int width = std::min(source.biWidth, kPictureWidth);
    const int height = std::min(source.biHeight, kPictureHeight);
    if (source.biBitCount == 24) {
        for (int y = 0; y < height; ++y) {
            const quint8* in = source.Row(y);
            quint32* colour = m_colour.Row(y);
            quint32* bw = m_blackWhite.Row(y);
            for (int x = 0; x < width; ++x) {
                const int blue = in[3 * x], green = in[3 * x + 1], red = in[3 * x + 2];
                colour[x] = Rgb(red, green, blue);
                // A sum equal to the threshold is white.
                bw[x] = blue + green + red < threshold ? kBlack : kWhite;
            }
        }
        return Render::Logo;
    }

    if (services)
        services->Message(QLatin1String(kNotFullySupported));
    auto palette = [&](int index) {
        const CSourceBitmap::RgbQuad& q = source.m_palette[size_t(index)];
        return Rgb(q.red, q.green, q.blue);
    };
    for (int y = 0; y < height; ++y) {
        const quint8* in = source.Row(y);
        quint32* colour = m_colour.Row(y);
        switch (source.biBitCount) {
        case 1:
            // Every stored byte, padding included, without the colour table.
            for (int i = 0; i < source.m_nRowBytes; ++i) {
                for (int k = 0; k < 8; ++k) {
                    const int x = 8 * i + k;
                    if (x < kPictureWidth)
                        colour[x] = (in[i] & (0x80 >> k)) ? Rgb(192, 192, 255) : Rgb(64, 64, 128);
                }
            }
            break;
        case 4:
            // An odd width loses its last pixel.
            for (int j = 0; j < width / 2; ++j) {
                colour[2 * j] = palette(in[j] >> 4);
                colour[2 * j + 1] = palette(in[j] & 0x0F);
            }
            break;
        case 8:
            for (int x = 0; x < width; ++x)
                colour[x] = palette(in[x]);
            break;
        default:
            break;
        }
    }
    return Render::PreviewOnly;
}

CLogoSurfaces::Render CLogoSurfaces::RenderDithered(const CSourceBitmap& source,
                                                    IUiServices* services) {
    // The colour surface as for a threshold (and the black-and-white one at 50%, which a
    // dither never shows); the dither itself is made at the zoom, in ComposeView.
    const Render r = RenderSurfaces(source, 50, services);
    m_bDithered = r == Render::Logo;
    return r;
}

const CLogoSurfaces::Dithered& CLogoSurfaces::DitheredAt(const CSourceBitmap& source, int w, int h,
                                                         int zoom) {
    const int dw = w * zoom / 4, dh = h * zoom / 4;
    Dithered& d = m_dithered;
    if (d.zoom == zoom && d.width == dw && d.height == dh && !d.black.empty())
        return d;
    d.zoom = zoom;
    d.width = dw;
    d.height = dh;
    d.black.assign(size_t(std::max(dw, 0)) * size_t(std::max(dh, 0)), 0);
    if (dw <= 0 || dh <= 0)
        return d;
    // Each shown pixel takes the mean colour sum of the picture pixels it covers (the one
    // it repeats when enlarging), so that a grey stays the same grey at every zoom.
    const std::vector<Span> xs = MapAxis(w, dw);
    const std::vector<Span> ys = MapAxis(h, dh);
    std::vector<int> sums(static_cast<size_t>(w));
    std::vector<int> grey(static_cast<size_t>(dw));
    // The error of each pixel goes 7/16 right, 3/16 below left, 5/16 below, 1/16 below
    // right; two rows of errors with a guard column at each end.
    std::vector<int> current(size_t(dw) + 2, 0), next(size_t(dw) + 2, 0);
    const int middle = ThresholdSum(50);
    std::optional<CPictureRows> once;
    if (m_use == Use::Once)
        once.emplace(source, false, m_drawn, m_threshold);
    for (int y = 0; y < dh; ++y) {
        const Span ry = ys[size_t(y)];
        std::fill(sums.begin(), sums.end(), 0);
        for (int v = ry.begin; v < ry.end; ++v) {
            const quint32* in = once ? once->Row(v, 0, w) : m_colour.Row(v);
            for (int x = 0; x < w; ++x) {
                const quint32 p = in[x];
                sums[size_t(x)] += int((p >> 16) & 0xFF) + int((p >> 8) & 0xFF) + int(p & 0xFF);
            }
        }
        for (int x = 0; x < dw; ++x) {
            const Span rx = xs[size_t(x)];
            qint64 total = 0;
            for (int u = rx.begin; u < rx.end; ++u)
                total += sums[size_t(u)];
            const qint64 count = qint64(rx.end - rx.begin) * (ry.end - ry.begin);
            grey[size_t(x)] = int(total / count);
        }
        quint8* out = d.black.data() + size_t(dw) * size_t(y);
        std::fill(next.begin(), next.end(), 0);
        for (int x = 0; x < dw; ++x) {
            const int value = grey[size_t(x)] + current[size_t(x) + 1] / 16;
            const bool black = value < middle;
            out[x] = black ? 1 : 0;
            const int error = value - (black ? 0 : 765);
            current[size_t(x) + 2] += error * 7;
            next[size_t(x)] += error * 3;
            next[size_t(x) + 1] += error * 5;
            next[size_t(x) + 2] += error;
        }
        std::swap(current, next);
    }
    return d;
}

void CLogoSurfaces::ComposeView(const CSourceBitmap& source, const CLogoRaster& raster, int panX,
                                int panY, int zoom) {
    // The surfaces hold at most the largest picture; a header's negative height (a file
    // that loaded no rows) draws nothing instead of overflowing the zoomed sizes.
    const int w = std::clamp(source.biWidth, 0, kPictureWidth);
    const int h = std::clamp(source.biHeight, 0, kPictureHeight);
    // Zooms come from the six menu items; anything else is drawn at x1.0.
    const int q = zoom > 0 ? zoom : 4;
    // The pan is not limited, but beyond the surfaces' size every pan draws the same.
    panX = std::clamp(panX, -kMaxPan, kMaxPan);
    panY = std::clamp(panY, -kMaxPan, kMaxPan);
    const int dots = raster.m_nDots;
    const int lines = std::clamp(raster.m_nHeight, 0, CLogoRaster::kMaxRows);

    const SurfaceRect whole{0, 0, kPictureWidth, kPictureHeight};
    m_composite.Fill(whole.left, whole.top, whole.right, whole.bottom, kWhite);
    if (m_use == Use::Once) {
        CPictureRows colour(source, false, m_drawn, m_threshold);
        StretchRows(colour, 0, 0, w, h, m_composite, kFrameLeft + panX, kFrameTop + panY, w * q / 4,
                    h * q / 4, whole);
    } else {
        StretchCopy(m_colour, 0, 0, w, h, m_composite, kFrameLeft + panX, kFrameTop + panY,
                    w * q / 4, h * q / 4, whole);
    }

    const SurfaceRect frame{kFrameLeft, kFrameTop, kFrameLeft + dots, kFrameTop + lines};
    m_composite.Fill(frame.left, frame.top, frame.right, frame.bottom, kWhite);
    // Per axis, so that the black-and-white picture never starts left of or above the
    // frame: a pan past the frame's edge moves the source origin instead.
    struct Axis {
        int src, srcSize, dst, dstSize;
    };
    auto axis = [q](int pan, int size, int origin) {
        if (pan < 0)
            return Axis{(-pan * 4) / q, size + (pan * 4) / q, origin, size * q / 4 + pan};
        return Axis{0, size, origin + pan, size * q / 4};
    };
    const Axis ax = axis(panX, w, kFrameLeft);
    const Axis ay = axis(panY, h, kFrameTop);
    if (m_bDithered && ax.dstSize > 0 && ay.dstSize > 0) {
        // The picture dithered at this zoom, placed pixel for pixel: a pan past the frame's
        // edge starts that many shown pixels in.
        const Dithered& d = DitheredAt(source, w, h, q);
        const int offX = std::max(-panX, 0), offY = std::max(-panY, 0);
        const int left = std::max(ax.dst, frame.left), top = std::max(ay.dst, frame.top);
        const int right = int(std::min<qint64>(frame.right, qint64(ax.dst) + ax.dstSize));
        const int bottom = int(std::min<qint64>(frame.bottom, qint64(ay.dst) + ay.dstSize));
        for (int y = top; y < bottom; ++y) {
            const int sy = offY + (y - ay.dst);
            if (sy < 0 || sy >= d.height)
                continue;
            const quint8* in = d.black.data() + size_t(d.width) * size_t(sy);
            quint32* out = m_composite.Row(y);
            for (int x = left; x < right; ++x) {
                const int sx = offX + (x - ax.dst);
                if (sx >= 0 && sx < d.width)
                    out[x] = in[sx] ? kBlack : kWhite;
            }
        }
    } else if (!m_bDithered && ax.dstSize >= 0 && ay.dstSize >= 0) {
        if (m_use == Use::Once) {
            CPictureRows blackWhite(source, true, m_drawn, m_threshold);
            StretchRows(blackWhite, ax.src, ay.src, ax.srcSize, ay.srcSize, m_composite, ax.dst,
                        ay.dst, ax.dstSize, ay.dstSize, frame);
        } else {
            StretchCopy(m_blackWhite, ax.src, ay.src, ax.srcSize, ay.srcSize, m_composite, ax.dst,
                        ay.dst, ax.dstSize, ay.dstSize, frame);
        }
    }

    // The 3-pixel outline is centred two pixels outside the logo: it fills the ring from
    // (61, 86) to (D + 67, N + 92) around the frame and never covers a logo dot.
    const int t = kOutlineWidth;
    const int l = frame.left - t, tp = frame.top - t, r = frame.right + t, b = frame.bottom + t;
    m_composite.Fill(l, tp, r, frame.top, kRed);
    m_composite.Fill(l, frame.bottom, r, b, kRed);
    m_composite.Fill(l, frame.top, frame.left, frame.bottom, kRed);
    m_composite.Fill(frame.right, frame.top, r, frame.bottom, kRed);
}

void CLogoSurfaces::BuildRaster(const CSourceBitmap& source, CLogoRaster& raster) const {
    if (!source.m_bLoaded)
        return;
    raster.Clear();
    const int lines = std::clamp(raster.m_nHeight, 0, CLogoRaster::kMaxRows);
    const int bytes = std::clamp(raster.m_nBytesPerLine, 0, CLogoRaster::kRowStride);
    for (int y = 0; y < lines; ++y) {
        const quint32* in = m_composite.Row(kFrameTop + y);
        quint8* out = raster.Row(y);
        for (int i = 0; i < bytes; ++i) {
            quint8 packed = 0;
            for (int k = 0; k < 8; ++k) {
                const quint32 p = in[kFrameLeft + 8 * i + k];
                const int sum = int((p >> 16) & 0xFF) + int((p >> 8) & 0xFF) + int(p & 0xFF);
                // The leftmost dot is the most significant bit; a set bit prints black.
                if (sum < 384)
                    packed |= quint8(0x80 >> k);
            }
            out[i] = packed;
        }
    }
}
