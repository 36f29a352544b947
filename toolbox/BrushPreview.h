#pragma once
// The tool box's two previews: the paint sample (one large particle rendered by the real engine over a
// checkerboard) and the brush shape (the brush outline and every particle of one dab).

#include "brushes/BrushSettings.h"
#include "engine/Metaball.h"
#include "engine/PaintCanvas.h"
#include "persistence/RasterImage.h"
#include "toolbox/ToolColour.h"

class PaintSample {
public:
    PaintSample();

    // Creates the small canvas of the control's size, places the particle in its middle with an inner
    // radius of a third of the width, fills the background with a checkerboard and renders once.
    ResultCode Prepare(int width, int height);
    // Clears the canvas and renders the particle again with this colour and these material values.
    void Render(const ToolColour& colour, float transparency, float highlight, float thickness);

    const RasterImage& Image() const { return canvas_.renderedImage; }
    const Metaball& Particle() const { return particle_; }

private:
    PaintCanvas canvas_;
    Metaball particle_;
};

class BrushShapePreview {
public:
    ResultCode Create(int width, int height);
    // Redraws from a copy of the brush: white, then the grey brush outline (not for the eyedropper, with
    // the centre line for parallel lines), then every particle of one dab at the centre as a black circle
    // of its outer radius around a black disc of its inner radius. A failing pattern leaves the picture.
    ResultCode Draw(BrushSettings brush);

    const RasterImage& Image() const { return image_; }
    float CentreX() const { return centreX_; }
    float CentreY() const { return centreY_; }

private:
    RasterImage image_;
    float centreX_ = 0.0f;
    float centreY_ = 0.0f;
};
