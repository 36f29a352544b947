#include <algorithm>
#include <cmath>
#include <functional>
#include <new>

#include "engine/PaintCanvas.h"
#include "engine/RowScheduler.h"
#include "engine/Truncate.h"

namespace {

// Distance from a coordinate to the nearer of the two edge lines of cell `index`; the nearer edge
// even when the coordinate lies inside the cell, so a pixel counts as reached by its nearest corner.
float DistanceToNearerEdge(float centre, std::int32_t index) {
    const float toLow = std::fabs(centre - static_cast<float>(index));
    const float toHigh = std::fabs(centre - static_cast<float>(index + 1));
    return std::min(toLow, toHigh);
}

bool AcceptedByDrawingArea(std::uint8_t painted, std::int32_t area) {
    if (area == DrawingAreaBoth) {
        return true;
    }
    if (area == DrawingAreaForeground && painted == 0) {
        return false;
    }
    if (area == DrawingAreaBackground && painted == 1) {
        return false;
    }
    return true;
}

} // namespace

bool PaintCanvas::Accepts(const Metaball& source) const {
    // Compared as floats, which matches trunc() for finite values and rejects NaN.
    if (!(source.x > -1.0f && source.x < static_cast<float>(width) && source.y > -1.0f &&
          source.y < static_cast<float>(height))) {
        return false;
    }
    const std::int32_t col = TruncToInt(source.x);
    const std::int32_t row = TruncToInt(source.y);
    return AcceptedByDrawingArea(paintedMask[PixelIndex(col, row)], drawingArea);
}

bool PaintCanvas::StoreMetaball(const Metaball& source, Metaball& stored, ResultCode& code) {
    code = Result::Success;
    if (!Accepts(source)) {
        return false;
    }
    stored = source;
    stored.id = store->Count();
    stored.state = MetaballLive;
    try {
        store->records.push_back(stored);
        changedIds.push_back(stored.id);
    } catch (const std::bad_alloc&) {
        code = Result::OutOfMemory;
        return false;
    }
    return true;
}

ResultCode PaintCanvas::AddMetaballs(const std::vector<Metaball>& list, UpdateRect& out) {
    if (!store || !grid || paintedMask.empty()) {
        return Result::NoData;
    }
    out = UpdateRect::Empty();
    for (const Metaball& source : list) {
        Metaball m;
        ResultCode code = Result::Success;
        if (!StoreMetaball(source, m, code)) {
            if (code != Result::Success) {
                return code;
            }
            continue;
        }
        code = InsertIntoGrid(m);
        if (code != Result::Success) {
            return code;
        }
        out.Union(MetaballBounds(m));
    }
    if (out.valid) {
        out.Clamp(width, height);
    }
    return Result::Success;
}

ResultCode PaintCanvas::InsertIntoGrid(const Metaball& m) {
    if (!grid || grid->width == 0 || grid->height == 0) {
        return Result::NoData;
    }
    return InsertRows(m, 0, grid->height - 1);
}

namespace {

// The rows rowFrom..rowTo a metaball may reach are firstRow..lastRow (none when firstRow > lastRow).
void RowSpan(const Metaball& m, std::int32_t rowFrom, std::int32_t rowTo, std::int32_t& firstRow,
             std::int32_t& lastRow) {
    const float radius = m.outerRadius;
    firstRow = std::max(rowFrom, TruncToInt(m.y - radius));
    lastRow = std::min(TruncToInt(static_cast<double>(m.y + radius) - 1e-6), rowTo);
}

// The columns of row r under the metaball's chord at the row's nearer edge, before each pixel's own
// test, and the squared distance to that edge; false when the row lies outside the outer radius.
bool ChordColumns(const Metaball& m, std::int32_t r, std::int32_t width, float& dySq, std::int32_t& firstCol,
                  std::int32_t& lastCol) {
    const float radiusSq = m.outerRadiusSq;
    const float dy = DistanceToNearerEdge(m.y, r);
    dySq = dy * dy;
    if (radiusSq - dySq < 0.0f) {
        return false;
    }
    const float chord = static_cast<float>(std::sqrt(static_cast<double>(radiusSq - dySq)));
    firstCol = std::max(0, TruncToInt(m.x - chord));
    lastCol = std::min(TruncToInt(static_cast<double>(m.x + chord) - 1e-6), width - 1);
    return true;
}

// Calls reached(col, row, q) for every pixel of rows rowFrom..rowTo the metaball reaches, row by row
// from the bottom and left to right, with q the squared half chord at the pixel's nearest edges; stops
// at the first code that is not Success and returns it.
template <typename Reached>
ResultCode ForEachReachedPixel(const Metaball& m, std::int32_t rowFrom, std::int32_t rowTo,
                               std::int32_t width, Reached&& reached) {
    const float radiusSq = m.outerRadiusSq;
    std::int32_t firstRow = 0;
    std::int32_t lastRow = 0;
    RowSpan(m, rowFrom, rowTo, firstRow, lastRow);
    for (std::int32_t r = firstRow; r <= lastRow; ++r) {
        float dySq = 0.0f;
        std::int32_t firstCol = 0;
        std::int32_t lastCol = 0;
        if (!ChordColumns(m, r, width, dySq, firstCol, lastCol)) {
            continue;
        }
        for (std::int32_t k = firstCol; k <= lastCol; ++k) {
            const float dx = DistanceToNearerEdge(m.x, k);
            const float q = radiusSq - (dx * dx + dySq);
            if (q < 0.0f) {
                continue;
            }
            const ResultCode code = reached(k, r, q);
            if (code != Result::Success) {
                return code;
            }
        }
    }
    return Result::Success;
}

// Calls span(row, firstCol, lastCol) for every row of rowFrom..rowTo the metaball reaches, with the
// columns ForEachReachedPixel visits in that row. Along a row the distance to the pixels' nearer edges
// falls and then rises (each step is a monotonic float operation), so the pixels with q >= 0 form one
// run; only its two ends need q.
template <typename Span>
void ForEachReachedSpan(const Metaball& m, std::int32_t rowFrom, std::int32_t rowTo, std::int32_t width,
                        Span&& span) {
    const float radiusSq = m.outerRadiusSq;
    std::int32_t firstRow = 0;
    std::int32_t lastRow = 0;
    RowSpan(m, rowFrom, rowTo, firstRow, lastRow);
    for (std::int32_t r = firstRow; r <= lastRow; ++r) {
        float dySq = 0.0f;
        std::int32_t firstCol = 0;
        std::int32_t lastCol = 0;
        if (!ChordColumns(m, r, width, dySq, firstCol, lastCol)) {
            continue;
        }
        const auto outside = [&](std::int32_t k) {
            const float dx = DistanceToNearerEdge(m.x, k);
            return radiusSq - (dx * dx + dySq) < 0.0f;
        };
        while (firstCol <= lastCol && outside(firstCol)) {
            ++firstCol;
        }
        while (firstCol <= lastCol && outside(lastCol)) {
            --lastCol;
        }
        if (firstCol <= lastCol) {
            span(r, firstCol, lastCol);
        }
    }
}

// The entry of metaball m at a pixel where the squared half chord is q.
PixelEntry MakeEntry(const Metaball& m, float q) {
    const float h = static_cast<float>(std::sqrt(static_cast<double>(q))) * m.thickness;
    return PixelEntry{m.id, m.z - h, m.z + h};
}

// True when `a` comes before `b` in a pixel list: the higher top first, on an equal top the older
// (smaller) id. Without NaN tops this is a total order on entries of distinct ids.
bool ListsBefore(const PixelEntry& a, const PixelEntry& b) {
    return a.top > b.top || (a.top == b.top && a.id < b.id);
}

// Sorts entries with no NaN top, appended in deposition order (so with rising ids), into list order.
// Later paint mostly lies higher, so the entries are reversed first and then usually need few moves.
void SortIntoListOrder(PixelEntry* entries, std::int32_t n) {
    std::reverse(entries, entries + n);
    if (n > 48) {
        std::sort(entries, entries + n, ListsBefore);
        return;
    }
    // Each entry is older than those placed before it, so it goes in front of every one whose top is
    // not higher than its own.
    for (std::int32_t i = 1; i < n; ++i) {
        const PixelEntry x = entries[i];
        std::int32_t j = i;
        while (j > 0 && entries[j - 1].top <= x.top) {
            entries[j] = entries[j - 1];
            --j;
        }
        entries[j] = x;
    }
}

// Makes room for `more` further elements: at least double the capacity when it has to grow.
template <typename T> void GrowFor(std::vector<T>& v, std::size_t more) {
    if (more > v.capacity() - v.size()) {
        v.reserve(std::max(v.size() + more, 2 * v.capacity()));
    }
}

// Rows per band when metaballs are sorted into bands first: the lists of one band stay within the
// caches while they are filled and ordered.
constexpr std::int32_t kBandRows = 8;

} // namespace

ResultCode PaintCanvas::InsertRows(const Metaball& m, std::int32_t rowFrom, std::int32_t rowTo) {
    return ForEachReachedPixel(m, rowFrom, rowTo, grid->width, [&](std::int32_t k, std::int32_t r, float q) {
        return grid->At(k, r).Insert(MakeEntry(m, q));
    });
}

ResultCode
PaintCanvas::AddMetaballsInBands(const std::vector<Metaball>& list,
                                 const std::function<void(std::int32_t, std::int32_t)>& bandsDone) {
    if (!store || !grid || paintedMask.empty()) {
        return Result::NoData;
    }
    std::vector<Metaball> stored;
    try {
        stored.reserve(list.size());
        // The store and the changed ids grow once for a large batch, yet geometrically for many small.
        GrowFor(store->records, list.size());
        GrowFor(changedIds, list.size());
    } catch (const std::bad_alloc&) {
        return Result::OutOfMemory;
    } catch (const std::length_error&) {
        return Result::OutOfMemory;
    }
    for (const Metaball& source : list) {
        Metaball m;
        ResultCode code = Result::Success;
        if (StoreMetaball(source, m, code)) {
            stored.push_back(m);
        } else if (code != Result::Success) {
            return code;
        }
    }
    if (stored.empty() || width < 1 || height < 1) {
        if (bandsDone) {
            bandsDone(1, 1);
        }
        return Result::Success;
    }

    // Each band of rows gets the metaballs that may reach it, in deposition order.
    const std::int32_t bands = (height + kBandRows - 1) / kBandRows;
    std::vector<std::size_t> bandStart;
    std::vector<std::int32_t> bandMembers;
    try {
        bandStart.assign(static_cast<std::size_t>(bands) + 1, 0);
        for (const Metaball& m : stored) {
            std::int32_t firstRow = 0;
            std::int32_t lastRow = 0;
            RowSpan(m, 0, height - 1, firstRow, lastRow);
            for (std::int32_t band = firstRow / kBandRows; firstRow <= lastRow && band <= lastRow / kBandRows;
                 ++band) {
                ++bandStart[static_cast<std::size_t>(band) + 1];
            }
        }
        for (std::int32_t band = 0; band < bands; ++band) {
            bandStart[static_cast<std::size_t>(band) + 1] += bandStart[static_cast<std::size_t>(band)];
        }
        bandMembers.resize(bandStart.back());
        std::vector<std::size_t> next(bandStart.begin(), bandStart.end() - 1);
        for (std::size_t i = 0; i < stored.size(); ++i) {
            std::int32_t firstRow = 0;
            std::int32_t lastRow = 0;
            RowSpan(stored[i], 0, height - 1, firstRow, lastRow);
            for (std::int32_t band = firstRow / kBandRows; firstRow <= lastRow && band <= lastRow / kBandRows;
                 ++band) {
                bandMembers[next[static_cast<std::size_t>(band)]++] = static_cast<std::int32_t>(i);
            }
        }
    } catch (const std::bad_alloc&) {
        return Result::OutOfMemory;
    } catch (const std::length_error&) {
        return Result::OutOfMemory;
    }

    // A band counts the entries each of its lists receives, grows each list once to the capacity
    // one-by-one insertion would leave it with, appends the entries in deposition order and then puts
    // each list in order. Lists are independent, so this equals inserting every metaball in turn.
    std::vector<ResultCode> codes(static_cast<std::size_t>(bands), Result::Success);
    const auto fillBand = [&](std::int32_t band) {
        const std::int32_t rowBegin = band * kBandRows;
        const std::int32_t rowEnd = std::min(height, rowBegin + kBandRows);
        const std::int32_t* first = bandMembers.data() + bandStart[static_cast<std::size_t>(band)];
        const std::int32_t* last = bandMembers.data() + bandStart[static_cast<std::size_t>(band) + 1];
        if (first == last) {
            return;
        }
        const std::size_t pixels =
            static_cast<std::size_t>(rowEnd - rowBegin) * static_cast<std::size_t>(width);
        PixelList* lists = &grid->At(0, rowBegin);
        std::vector<std::int32_t> cursor;
        std::vector<PixelEntry> scratch;
        try {
            cursor.assign(pixels, 0);
        } catch (const std::bad_alloc&) {
            codes[static_cast<std::size_t>(band)] = Result::OutOfMemory;
            return;
        }
        const auto at = [&](std::int32_t k, std::int32_t r) {
            return static_cast<std::size_t>(r - rowBegin) * static_cast<std::size_t>(width) +
                   static_cast<std::size_t>(k);
        };
        for (const std::int32_t* i = first; i != last; ++i) {
            ForEachReachedSpan(stored[static_cast<std::size_t>(*i)], rowBegin, rowEnd - 1, width,
                               [&](std::int32_t r, std::int32_t firstCol, std::int32_t lastCol) {
                                   std::int32_t* row = cursor.data() + at(0, r);
                                   for (std::int32_t k = firstCol; k <= lastCol; ++k) {
                                       ++row[k];
                                   }
                               });
        }
        for (std::size_t p = 0; p < pixels; ++p) {
            if (cursor[p] > 0 && !lists[p].ReserveForInserts(cursor[p])) {
                codes[static_cast<std::size_t>(band)] = Result::OutOfMemory;
                return;
            }
            cursor[p] = lists[p].count;
        }
        // Appended behind each list's entries, within the capacity just reserved.
        for (const std::int32_t* i = first; i != last; ++i) {
            const Metaball& m = stored[static_cast<std::size_t>(*i)];
            ForEachReachedPixel(m, rowBegin, rowEnd - 1, width, [&](std::int32_t k, std::int32_t r, float q) {
                const std::size_t p = at(k, r);
                lists[p].entries[cursor[p]++] = MakeEntry(m, q);
                return Result::Success;
            });
        }
        for (std::size_t p = 0; p < pixels; ++p) {
            PixelList& pixelList = lists[p];
            const std::int32_t old = pixelList.count;
            const std::int32_t added = cursor[p] - old;
            if (added == 0) {
                continue;
            }
            PixelEntry* entries = pixelList.entries;
            // Insert keeps a list in order only while no top is NaN; otherwise (or if the list is not in
            // order) the new entries go in one at a time as Insert places them.
            bool ordered = true;
            for (std::int32_t e = 0; e < old + added && ordered; ++e) {
                ordered = !std::isnan(entries[e].top) &&
                          (e == 0 || e >= old || entries[e - 1].top >= entries[e].top);
            }
            try {
                if (!ordered || old > 0) {
                    scratch.assign(entries + old, entries + old + added);
                }
            } catch (const std::bad_alloc&) {
                codes[static_cast<std::size_t>(band)] = Result::OutOfMemory;
                return;
            }
            if (!ordered) {
                for (const PixelEntry& entry : scratch) {
                    pixelList.Insert(entry); // within the reserved capacity, so it cannot fail
                }
                continue;
            }
            if (old == 0) {
                SortIntoListOrder(entries, added);
                pixelList.count = added;
                continue;
            }
            // New entries follow older ones of an equal top.
            SortIntoListOrder(scratch.data(), added);
            std::int32_t a = old - 1;
            std::int32_t b = added - 1;
            for (std::int32_t k = old + added - 1; b >= 0; --k) {
                if (a >= 0 && scratch[static_cast<std::size_t>(b)].top > entries[a].top) {
                    entries[k] = entries[a--];
                } else {
                    entries[k] = scratch[static_cast<std::size_t>(b--)];
                }
            }
            pixelList.count = old + added;
        }
    };
    // Bands go over all threads a group at a time, so the caller hears of progress between groups.
    const std::int32_t threads = renderThreads > 0 ? renderThreads : RenderThreadCount();
    const std::int32_t groups = bandsDone ? std::min(bands, 20) : 1;
    for (std::int32_t group = 0; group < groups; ++group) {
        const std::int32_t begin =
            static_cast<std::int32_t>(static_cast<std::int64_t>(bands) * group / groups);
        const std::int32_t end =
            static_cast<std::int32_t>(static_cast<std::int64_t>(bands) * (group + 1) / groups);
        RunPieces(end - begin, threads, [&](std::int32_t piece) { fillBand(begin + piece); });
        for (std::int32_t band = begin; band < end; ++band) {
            if (codes[static_cast<std::size_t>(band)] != Result::Success) {
                return codes[static_cast<std::size_t>(band)];
            }
        }
        if (bandsDone) {
            bandsDone(end, bands);
        }
    }
    return Result::Success;
}

float PaintCanvas::MetaballFromTemplate(Metaball& out, float x, float y, float z,
                                        const MaterialBlock& templ) {
    out.red = templ.red;
    out.green = templ.green;
    out.blue = templ.blue;
    out.innerRadius = templ.innerRadius;
    out.thickness = templ.thickness;
    out.transparency = templ.transparency;
    out.highlight = templ.highlight;
    out.reserved3 = templ.reserved3;
    out.reserved4 = templ.reserved4;
    out.rainbow = templ.rainbow;
    out.outerRadius = std::max(templ.innerRadius, templ.outerRadius);
    out.outerRadiusSq = out.outerRadius * out.outerRadius;
    out.x = x;
    out.y = y;
    out.z = z;
    return out.outerRadiusSq;
}

UpdateRect PaintCanvas::MetaballBounds(const Metaball& m) {
    const float r = m.outerRadius;
    return UpdateRect::Make(TruncToInt(m.x - r) - 1, TruncToInt(m.y - r) - 1, TruncToInt(m.x + r) + 1,
                            TruncToInt(m.y + r) + 1);
}

UpdateRect PaintCanvas::MetaballBounds(std::int32_t id) const {
    if (!store || !store->Contains(id)) {
        return UpdateRect::Empty();
    }
    return MetaballBounds(store->records[static_cast<std::size_t>(id)]);
}

float PaintCanvas::BaseHeight(float x, float y, float window) const {
    if (heightMode == 0) {
        return planeHeight;
    }
    if (heightSnapshot.empty()) {
        return 0.0f;
    }
    const float half = window * 0.5f;
    const std::int32_t col0 = std::max(0, TruncToInt(x - half));
    const std::int32_t col1 = std::min(TruncToInt(x + half), width - 1);
    const std::int32_t row0 = std::max(0, TruncToInt(y - half));
    const std::int32_t row1 = std::min(TruncToInt(y + half), height - 1);
    float sum = 0.0f;
    std::int32_t count = 0;
    for (std::int32_t row = row0; row <= row1; ++row) {
        for (std::int32_t col = col0; col <= col1; ++col) {
            sum += heightSnapshot[PixelIndex(col, row)];
            ++count;
        }
    }
    return count > 0 ? sum / static_cast<float>(count) : 0.0f;
}

void PaintCanvas::BeginOperation() {
    operationOpen = 1;
    pendingRect = UpdateRect::Empty();
    changedIds.clear();
    oldColours.clear();
    newColours.clear();
    oldPositions.clear();
    newPositions.clear();
}

void PaintCanvas::EndOperation() {
    if (operationOpen != 1) {
        return;
    }
    operationOpen = 0;
    UpdateRect bounds = pendingRect;
    if (!bounds.valid || surface.empty()) {
        return;
    }
    bounds.Clamp(width, height);
    if (!bounds.valid) {
        return;
    }
    for (std::int32_t y = bounds.y0; y <= bounds.y1; ++y) {
        for (std::int32_t x = bounds.x0; x <= bounds.x1; ++x) {
            heightSnapshot[PixelIndex(x, y)] = Surface(x, y).surfaceZ;
        }
    }
    MarkDirty(bounds, 1);
    for (std::int32_t y = bounds.y0; y <= bounds.y1; ++y) {
        for (std::int32_t x = bounds.x0; x <= bounds.x1; ++x) {
            paintedMask[PixelIndex(x, y)] = Surface(x, y).coverage != 0.0f ? 1 : 0;
        }
    }
}
