#include "app/ViewGeometry.h"

#include <algorithm>

ViewMapping ViewGeometry::Mapping() const {
    ViewMapping m;
    m.displayX = displayRect.x;
    m.displayY = displayRect.y;
    m.displayWidth = displayRect.width;
    m.displayHeight = displayRect.height;
    m.sourceX = sourceRect.x;
    m.sourceY = sourceRect.y;
    m.sourceWidth = sourceRect.width;
    m.sourceHeight = sourceRect.height;
    return m;
}

void ViewGeometry::ResetToCanvas(std::int32_t width, std::int32_t height) {
    sourceRect = FloatRect{0.0f, 0.0f, static_cast<float>(width), static_cast<float>(height)};
    displayRect = sourceRect;
}

void ViewGeometry::ZoomIn() {
    displayRect.width = std::max(displayRect.width * zoomStep, 1.0f);
    displayRect.height = std::max(displayRect.height * zoomStep, 1.0f);
}

void ViewGeometry::ZoomOut() {
    const float factor = 1.0f / zoomStep;
    displayRect.width = std::max(displayRect.width * factor, 1.0f);
    displayRect.height = std::max(displayRect.height * factor, 1.0f);
}

ScrollPosition ViewGeometry::ZoomAbout(bool in, int cx, int cy) {
    // The image point under the pixel's centre, as a distance from the image's top-left corner in image
    // pixels; after the step the same distance times the new zoom must end at the same centre.
    const float before = Zoom();
    const float u = (static_cast<float>(cx) + 0.5f - displayRect.x) / before;
    const float v = (static_cast<float>(cy) + 0.5f - displayRect.y) / before;
    if (in) {
        ZoomIn();
    } else {
        ZoomOut();
    }
    const float after = Zoom();
    return ScrollPosition{u * after - (static_cast<float>(cx) + 0.5f),
                          v * after - (static_cast<float>(cy) + 0.5f)};
}

void ViewGeometry::ZoomActual() {
    displayRect.width = sourceRect.width;
    displayRect.height = sourceRect.height;
}

bool ViewGeometry::ZoomFit(int clientWidth, int clientHeight, std::int32_t canvasWidth,
                           std::int32_t canvasHeight) {
    if (canvasWidth == 0 || canvasHeight == 0) {
        return false;
    }
    const float f = std::min(static_cast<float>(clientHeight) / static_cast<float>(canvasHeight),
                             static_cast<float>(clientWidth) / static_cast<float>(canvasWidth));
    displayRect.width = f * sourceRect.width;
    displayRect.height = f * sourceRect.height;
    return true;
}

void ViewGeometry::ZeroOrigins() {
    displayRect.x = 0.0f;
    displayRect.y = 0.0f;
    sourceRect.x = 0.0f;
    sourceRect.y = 0.0f;
}

void ViewGeometry::SetScrollPosition(int x, int y) {
    displayRect.x = static_cast<float>(-x);
    displayRect.y = static_cast<float>(-y);
}

ScrollSize ViewGeometry::ScrollSizes(std::int32_t canvasWidth, std::int32_t canvasHeight) const {
    const float z = Zoom();
    if (canvasWidth <= 0) {
        const int side = static_cast<int>(z * 4.0f);
        return ScrollSize{side, side};
    }
    if (canvasHeight == 0) {
        return ScrollSize{4, 4};
    }
    return ScrollSize{static_cast<int>(static_cast<float>(canvasWidth) * z),
                      static_cast<int>(static_cast<float>(canvasHeight) * z)};
}
