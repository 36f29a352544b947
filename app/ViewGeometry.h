#pragma once
// Where the picture sits in the view: the shown part of the image (sourceRect, image pixels) and the
// place it is drawn (displayRect, client pixels), with the mappings and zoom steps between them.
// Image rows count upwards from the bottom; client rows count downwards.

#include <cstdint>

#include "brushes/StrokeServices.h"

struct FloatRect {
    float x = 0.0f;
    float y = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
    bool operator==(const FloatRect&) const = default;
};

struct ScrollSize {
    int width = 0;
    int height = 0;
    bool operator==(const ScrollSize&) const = default;
};

// A scroll position before it is rounded to whole pixels.
struct ScrollPosition {
    float x = 0.0f;
    float y = 0.0f;
};

class ViewGeometry {
public:
    FloatRect displayRect{0.0f, 0.0f, 1.0f, 1.0f};
    FloatRect sourceRect{0.0f, 0.0f, 1.0f, 1.0f};
    float zoomStep = 1.2f;

    float Zoom() const { return displayRect.width / sourceRect.width; }

    // The same geometry in the form the stroke code maps with; the view maps through it too, so mouse
    // input and display agree.
    ViewMapping Mapping() const;
    CanvasPoint ClientToImage(int cx, int cy) const { return Mapping().WindowToCanvas(WindowPoint{cx, cy}); }
    WindowPoint ImageToClient(float ix, float iy) const {
        return Mapping().CanvasToWindow(CanvasPoint{ix, iy});
    }

    // Zoom 1 on a canvas of this size, origin at the top-left.
    void ResetToCanvas(std::int32_t width, std::int32_t height);
    void ZoomIn();
    void ZoomOut();
    // One step of ZoomIn (or ZoomOut) that keeps the image point under client pixel (cx, cy) where it is:
    // returns the scroll position that does it, for the caller to round and keep inside the scroll range.
    ScrollPosition ZoomAbout(bool in, int cx, int cy);
    // Display size = source size; origins to 0.
    void ZoomActual();
    // Fits the canvas into the client area keeping its aspect; false (nothing changed) for an empty canvas.
    bool ZoomFit(int clientWidth, int clientHeight, std::int32_t canvasWidth, std::int32_t canvasHeight);
    void ZeroOrigins();
    // The display origin follows the scroll position.
    void SetScrollPosition(int x, int y);

    ScrollSize ScrollSizes(std::int32_t canvasWidth, std::int32_t canvasHeight) const;
};
