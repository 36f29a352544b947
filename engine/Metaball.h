#pragma once
// The paint particle and the per-pixel records of the engine.

#include <cstdint>

// The fourteen material floats; a document stores them as one block.
struct MaterialBlock {
    float red = 1.0f;
    float green = 1.0f;
    float blue = 1.0f;
    float innerRadius = 6.0f;
    float outerRadius = 12.0f;
    float outerRadiusSq = 144.0f;
    float thickness = 1.0f;
    float reserved1 = 0.2f;
    float reserved2 = 0.8f;
    float transparency = 0.0f;
    float highlight = 1.0f;
    float reserved3 = 200.0f;
    float reserved4 = 0.0f;
    float rainbow = 0.0f;
};
static_assert(sizeof(MaterialBlock) == 14 * 4);

inline constexpr std::uint8_t MetaballLive = 1;
inline constexpr std::uint8_t MetaballErased = 255;

struct Metaball : MaterialBlock {
    std::int32_t id = 0;
    std::uint8_t state = MetaballLive;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    bool IsLive() const { return state == MetaballLive; }
};

// Colour record of picking, recolouring and the undo journal.
struct PaintColour {
    std::uint64_t reserved = 0;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
};

// One metaball's vertical extent above one pixel.
struct PixelEntry {
    std::int32_t id;
    float bottom;
    float top;
};

struct Position3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    bool operator==(const Position3&) const = default;
};
