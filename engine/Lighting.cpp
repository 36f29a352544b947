#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/RenderPasses.h"
#include "engine/RowScheduler.h"

namespace {

struct Rgb {
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
};

struct LitTerms {
    Rgb ambient;
    Rgb diffuse;
    Rgb specular;
    Rgb iridescent;
};

float Dot(const Oru_Vector3D& a, const Oru_Vector3D& b) {
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

// Two-beam interference in a thin film: (1 + cos φ) / 2 for the phase of u wavelengths.
float FilmWave(float u) {
    const float v = static_cast<float>(static_cast<double>(u) + 0.5);
    const float phi = (v - std::trunc(v)) * 6.28318530717958647692f;
    const double c = std::cos(static_cast<double>(phi));
    const double s = std::sin(static_cast<double>(phi));
    return static_cast<float>(((c + 1.0) * (c + 1.0) + s * s) / 4.0);
}

LitTerms LightPixel(const PaintCanvas& canvas, const SurfaceRecord& record) {
    LitTerms terms;
    const std::int32_t lightsUsed = std::clamp(canvas.lightCount, 0, 2); // the canvas holds two lights
    Oru_NormalizedVector3D n;
    n.Set(record.normal);
    const Rgb colour{record.red, record.green, record.blue};

    if (record.rainbow == 0.0f) {
        terms.ambient = {canvas.ambientFactor * colour.red, canvas.ambientFactor * colour.green,
                         canvas.ambientFactor * colour.blue};
    }

    float q = 0.0f;
    for (std::int32_t j = 0; j < lightsUsed; ++j) {
        q += std::max(0.0f, -Dot(n, canvas.lights[j])) * canvas.lightIntensities[j] * canvas.diffuseFactor;
    }
    terms.diffuse = {std::min(q * colour.red, 1.0f), std::min(q * colour.green, 1.0f),
                     std::min(q * colour.blue, 1.0f)};

    if (record.highlight > 0.0f) {
        float s = 0.0f;
        for (std::int32_t j = 0; j < lightsUsed; ++j) {
            const Oru_Vector3D& v = canvas.viewDirection;
            const Oru_Vector3D& l = canvas.lights[j];
            const Oru_NormalizedVector3D half(v.x + l.x, v.y + l.y, v.z + l.z);
            const float e = -Dot(half, n);
            if (e > 0.0f) {
                const double term =
                    std::pow(static_cast<double>(e), 200.0) *
                    (static_cast<double>(canvas.lightIntensities[j]) * static_cast<double>(record.highlight));
                s = static_cast<float>(static_cast<double>(s) + term);
            }
        }
        s = std::min(s, 1.0f);
        terms.specular = {s, s, s};
    }

    if (record.rainbow > 0.0f) {
        const float p = Dot(record.normal, canvas.lights[0]);
        const float f = canvas.filmIndex > 0.0f ? canvas.filmIndex : 1.0f;
        const float a = p * f * 2.0f * 900.0f;
        terms.iridescent = {std::min(FilmWave(a / 620.0f) * record.rainbow, 1.0f),
                            std::min(FilmWave(a / 530.0f) * record.rainbow, 1.0f),
                            std::min(FilmWave(a / 485.0f) * record.rainbow, 1.0f)};
    }
    return terms;
}

struct Bgr {
    std::uint8_t blue = 0;
    std::uint8_t green = 0;
    std::uint8_t red = 0;
};

// The background under pixel (x, y); false when the image holds no readable pixel there.
bool ReadBackground(const RasterImage& image, std::int32_t x, std::int32_t y, Bgr& out) {
    if (x < 0 || y < 0 || x >= image.width || y >= image.height) {
        return false;
    }
    const std::size_t offset = static_cast<std::size_t>(y) * static_cast<std::size_t>(image.rowStride) +
                               static_cast<std::size_t>(x) * static_cast<std::size_t>(image.bytesPerPixel);
    if (image.bytesPerPixel == 3) {
        if (offset + 3 > image.data.size()) {
            return false;
        }
        out = {image.data[offset], image.data[offset + 1], image.data[offset + 2]};
        return true;
    }
    if (image.bytesPerPixel == 1) {
        if (offset >= image.data.size()) {
            return false;
        }
        // An index past the palette has no colour; it is treated like an unreadable pixel.
        const std::size_t index = image.data[offset];
        if (index >= static_cast<std::size_t>(image.paletteCount) || 3 * index + 2 >= image.palette.size()) {
            return false;
        }
        out = {image.palette[3 * index + 2], image.palette[3 * index + 1], image.palette[3 * index]};
        return true;
    }
    return false;
}

std::uint8_t ToByte(float value) {
    if (!(value > 0.0f)) {
        return 0;
    }
    if (value >= 255.0f) {
        return 255;
    }
    return static_cast<std::uint8_t>(static_cast<std::int32_t>(value));
}

} // namespace

void PaintCanvas::Compose(const UpdateRect& rect) {
    UpdateRect bounds = rect;
    if (bounds.valid && width >= 1 && height >= 1) {
        bounds.Clamp(width, height);
    }
    if (!bounds.valid || surface.empty() || dirtyFlags.empty() || renderedImage.bytesPerPixel != 3 ||
        renderedImage.width != width || renderedImage.height != height) {
        return;
    }
    const auto dirty = [this](std::int32_t x, std::int32_t y) { return dirtyFlags[PixelIndex(x, y)] == 1; };

    // A pixel without a readable background takes the one of the previous pixel composed in this call;
    // the first pixel of the call, having none before it, takes black. The colour each row starts with is
    // found beforehand so that rows stay independent of each other.
    std::vector<Bgr> rowStart(static_cast<std::size_t>(bounds.y1 - bounds.y0 + 1));
    for (std::int32_t y = bounds.y0; y < bounds.y1; ++y) {
        Bgr carried = rowStart[static_cast<std::size_t>(y - bounds.y0)];
        for (std::int32_t x = bounds.x1; x >= bounds.x0; --x) {
            Bgr found;
            if (dirty(x, y) && ReadBackground(backgroundImage, x, y, found)) {
                carried = found;
                break;
            }
        }
        rowStart[static_cast<std::size_t>(y - bounds.y0 + 1)] = carried;
    }

    const std::int32_t threads = renderThreads > 0 ? renderThreads : RenderThreadCount();
    ForEachRow(bounds, threads, [&](std::int32_t y) {
        Bgr background = rowStart[static_cast<std::size_t>(y - bounds.y0)];
        std::uint8_t* out = renderedImage.Row(y);
        for (std::int32_t x = bounds.x0; x <= bounds.x1; ++x) {
            if (!dirty(x, y)) {
                continue;
            }
            const SurfaceRecord& record = Surface(x, y);
            const float cov = record.coverage;
            const float tr = record.transparency;
            Bgr read;
            if (ReadBackground(backgroundImage, x, y, read)) {
                background = read;
            }
            std::uint8_t* pixel = out + static_cast<std::size_t>(x) * 3;
            if (cov == 0.0f) {
                pixel[0] = background.blue;
                pixel[1] = background.green;
                pixel[2] = background.red;
                continue;
            }
            Rgb lit;
            if (cov > 0.0f) {
                const LitTerms t = LightPixel(*this, record);
                const float opacity = 1.0f - tr;
                lit.red = (t.diffuse.red + t.ambient.red) * record.red * opacity + t.specular.red +
                          t.iridescent.red;
                lit.green = (t.diffuse.green + t.ambient.green) * record.green * opacity + t.specular.green +
                            t.iridescent.green;
                lit.blue = (t.diffuse.blue + t.ambient.blue) * record.blue * opacity + t.specular.blue +
                           t.iridescent.blue;
            }
            Rgb transmitted;
            if (tr > 0.0f) {
                transmitted = {record.transmittedRed, record.transmittedGreen, record.transmittedBlue};
            }
            const float k = 1.0f - cov + cov * record.transmission;
            pixel[0] = ToByte((transmitted.blue + lit.blue) * cov * 255.0f +
                              static_cast<float>(background.blue) * k);
            pixel[1] = ToByte((transmitted.green + lit.green) * cov * 255.0f +
                              static_cast<float>(background.green) * k);
            pixel[2] =
                ToByte((transmitted.red + lit.red) * cov * 255.0f + static_cast<float>(background.red) * k);
        }
    });
}
