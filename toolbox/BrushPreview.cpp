#include "toolbox/BrushPreview.h"

#include <algorithm>
#include <vector>

PaintSample::PaintSample() {
    particle_.red = particle_.green = particle_.blue = 1.0f;
    particle_.innerRadius = 6.0f;
    particle_.outerRadius = 12.0f;
    particle_.outerRadiusSq = 144.0f;
    particle_.thickness = 1.0f;
    particle_.reserved1 = 0.2f;
    particle_.reserved2 = 0.8f;
    particle_.highlight = 1.0f;
    particle_.reserved3 = 200.0f;
    particle_.reserved4 = 0.0f;
    particle_.rainbow = 0.0f;
    particle_.id = -1;
    particle_.state = MetaballLive;
}

ResultCode PaintSample::Prepare(int width, int height) {
    ResultCode code = Result::Success;
    if (canvas_.width != width || canvas_.height != height || !canvas_.HasBuffers()) {
        code = canvas_.Create(width, height);
        if (code != Result::Success) {
            return code;
        }
    }
    particle_.x = static_cast<float>(width) * 0.5f;
    particle_.y = static_cast<float>(height) * 0.5f;
    particle_.z = 0.0f;
    particle_.innerRadius = static_cast<float>(width / 3);
    particle_.outerRadius = std::max(2.0f * particle_.innerRadius, particle_.innerRadius);
    particle_.outerRadiusSq = particle_.outerRadius * particle_.outerRadius;
    canvas_.antiAliasing = 1;
    canvas_.backgroundImage.FillCheckerboard(static_cast<std::int32_t>(static_cast<double>(width) / 5.0), 128,
                                             128, 128);
    UpdateRect changed = UpdateRect::Empty();
    code = canvas_.AddMetaballs({particle_}, changed);
    if (code != Result::Success) {
        return code;
    }
    UpdateRect whole = UpdateRect::Make(0, 0, width - 1, height - 1);
    return canvas_.Render(whole);
}

void PaintSample::Render(const ToolColour& colour, float transparency, float highlight, float thickness) {
    if (!canvas_.HasBuffers()) {
        return;
    }
    canvas_.Clear();
    canvas_.BeginOperation();
    const PaintColour rgb = ToolColourToRgb(colour.hue, colour.lightness, colour.saturation);
    particle_.red = rgb.red;
    particle_.green = rgb.green;
    particle_.blue = rgb.blue;
    particle_.transparency = transparency;
    particle_.highlight = highlight;
    particle_.thickness = thickness;
    UpdateRect changed = UpdateRect::Empty();
    if (canvas_.AddMetaballs({particle_}, changed) == Result::Success) {
        canvas_.Render(changed);
    }
    canvas_.EndOperation();
}

ResultCode BrushShapePreview::Create(int width, int height) {
    const ResultCode code = image_.CreateRgb(width, height);
    centreX_ = static_cast<float>(width) * 0.5f;
    centreY_ = static_cast<float>(height) * 0.5f;
    return code;
}

ResultCode BrushShapePreview::Draw(BrushSettings brush) {
    const ResultCode code = brush.BuildDabPattern();
    if (code != Result::Success) {
        return code;
    }
    image_.Fill(255, 255, 255);
    if (brush.kind != BrushKind::Eyedropper) {
        image_.DrawCircle(centreX_, centreY_, brush.brushSize * 0.5f, 128, 128, 128, false);
    }
    if (brush.kind == BrushKind::ParallelLines) {
        image_.DrawLine(centreX_ - brush.brushSize * 0.5f, centreY_, centreX_ + brush.brushSize * 0.5f,
                        centreY_);
    }
    std::vector<Metaball> particles;
    brush.StampDabAt(centreX_, centreY_, 0.0f, particles);
    for (const Metaball& m : particles) {
        image_.DrawCircle(m.x, m.y, m.outerRadius, 0, 0, 0, false);
        image_.DrawCircle(m.x, m.y, m.innerRadius, 0, 0, 0, true);
    }
    return Result::Success;
}
