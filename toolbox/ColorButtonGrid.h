#pragma once
// A small grid of colour cells: the tool box's palette and the canvas dialog's preset swatches.
// Cells are kept bottom-up (row 0 is the lowest row on screen), with rectangles counted upwards.

#include <cstdint>
#include <optional>
#include <vector>

class QPainter;

struct ColorButton {
    std::int32_t used = 0;
    float hue = 0.0f;
    float lightness = 0.0f;
    float saturation = 0.0f;
    std::int32_t left = 0;
    std::int32_t top = 0;
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    std::int32_t valid = 0;
    std::int32_t selected = 0;
};

struct GridCell {
    int row = 0;
    int column = 0;
    bool operator==(const GridCell&) const = default;
};

class ColorButtonGrid {
public:
    std::int32_t rows = 0;
    std::int32_t columns = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;

    // Discards old cells and lays out rows × columns empty cells over a width × height client area.
    // 0 on success, -1 when the cells cannot be allocated.
    int Build(int width, int height, int rows, int columns);

    ColorButton& Cell(int row, int column) {
        return cells_[static_cast<std::size_t>(row) * columns + column];
    }
    const ColorButton& Cell(int row, int column) const {
        return cells_[static_cast<std::size_t>(row) * columns + column];
    }
    bool Contains(int row, int column) const {
        return row >= 0 && row < rows && column >= 0 && column < columns;
    }

    // (x, y) in client coordinates with y downwards.
    std::optional<GridCell> HitTest(int x, int y) const;

    // Draws every cell, the black grid lines and the red frames of selected cells; client height h.
    void Draw(QPainter& painter, int clientHeight) const;

    // Columns left to right, each from the top row down: the order of registering and of the settings file.
    std::vector<GridCell> KeyOrder() const;

private:
    std::vector<ColorButton> cells_;
};
