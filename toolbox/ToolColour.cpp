#include "toolbox/ToolColour.h"

#include "background/HlsColour.h"
#include "persistence/RasterImage.h"

PaintColour ToolColourToRgb(float hue, float lightness, float saturation) {
    return HlsToRgb(hue * 360.0f, lightness, saturation);
}

QColor ToolColourToQColor(float hue, float lightness, float saturation) {
    const PaintColour c = ToolColourToRgb(hue, lightness, saturation);
    return QColor(FloatToByte(c.red), FloatToByte(c.green), FloatToByte(c.blue));
}

ToolColour ToolColourFromRgb(float red, float green, float blue) {
    PaintColour c;
    c.red = red;
    c.green = green;
    c.blue = blue;
    const HlsColour hls = RgbToHls(c);
    return ToolColour{hls.hue / 360.0f, hls.lightness, hls.saturation};
}
