#include "toolbox/ColorButtonGrid.h"

#include <QBrush>
#include <QPainter>
#include <QPen>
#include <new>

#include "toolbox/ToolColour.h"

int ColorButtonGrid::Build(int w, int h, int r, int c) {
    cells_.clear();
    rows = 0;
    columns = 0;
    width = w;
    height = h;
    if (r < 1 || c < 1) {
        return 0;
    }
    try {
        cells_.assign(static_cast<std::size_t>(r) * static_cast<std::size_t>(c), ColorButton{});
    } catch (const std::bad_alloc&) {
        return -1;
    }
    rows = r;
    columns = c;
    const float rowHeight = static_cast<float>(h) / static_cast<float>(r);
    const float columnWidth = static_cast<float>(w) / static_cast<float>(c);
    for (int i = 0; i < r; ++i) {
        const auto top = static_cast<std::int32_t>(rowHeight * static_cast<float>(i) + 0.5f);
        const auto bottom = static_cast<std::int32_t>(static_cast<float>(top) + rowHeight);
        for (int j = 0; j < c; ++j) {
            const auto left = static_cast<std::int32_t>(columnWidth * static_cast<float>(j) + 0.5f);
            const auto right = static_cast<std::int32_t>(static_cast<float>(left) + columnWidth + 0.5f);
            ColorButton& cell = Cell(i, j);
            cell.top = top;
            cell.bottom = bottom;
            cell.left = left;
            cell.right = right;
            cell.valid = (bottom >= top && right >= left) ? 1 : 0;
        }
    }
    return 0;
}

std::optional<GridCell> ColorButtonGrid::HitTest(int x, int y) const {
    if (x < 0 || x > width || y < 0 || y > height) {
        return std::nullopt;
    }
    const int up = height - y;
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            const ColorButton& cell = Cell(i, j);
            if (cell.valid && cell.left <= x && x <= cell.right && cell.top <= up && up <= cell.bottom) {
                return GridCell{i, j};
            }
        }
    }
    return std::nullopt;
}

std::vector<GridCell> ColorButtonGrid::KeyOrder() const {
    std::vector<GridCell> order;
    order.reserve(cells_.size());
    for (int j = 0; j < columns; ++j) {
        for (int i = rows - 1; i >= 0; --i) {
            order.push_back(GridCell{i, j});
        }
    }
    return order;
}

void ColorButtonGrid::Draw(QPainter& painter, int clientHeight) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    for (int i = 0; i < rows; ++i) {
        for (int j = 0; j < columns; ++j) {
            const ColorButton& cell = Cell(i, j);
            const QRect area(QPoint(cell.left, clientHeight - cell.bottom),
                             QPoint(cell.right, clientHeight - cell.top));
            if (cell.used) {
                painter.fillRect(area, ToolColourToQColor(cell.hue, cell.lightness, cell.saturation));
            } else {
                painter.fillRect(area, Qt::white);
                painter.fillRect(area, QBrush(QColor(128, 128, 128), Qt::DiagCrossPattern));
            }
        }
    }
    painter.setPen(QPen(Qt::black, 1));
    for (int k = 0; k <= rows; ++k) {
        const int y = rows > 0 ? k * height / rows : 0;
        painter.drawLine(0, y, width, y);
    }
    for (int k = 0; k <= columns; ++k) {
        const int x = columns > 0 ? k * width / columns : 0;
        painter.drawLine(x, 0, x, height);
    }
    painter.setPen(QPen(QColor(255, 0, 0), 3));
    for (const ColorButton& cell : cells_) {
        if (cell.selected) {
            painter.drawRect(QRect(QPoint(cell.left, clientHeight - cell.bottom),
                                   QPoint(cell.right, clientHeight - cell.top)));
        }
    }
    painter.restore();
}
