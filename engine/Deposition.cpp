#include <algorithm>
#include <bit>
#include <cmath>
#include <functional>
#include <new>
#include <span>

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

// Sort keys of list order: the higher top first, on an equal top the one appended earlier. The top's
// bits are mapped so that unsigned order is float order (with -0 taken as +0, which compares equal to it)
// and inverted for descending order; the low half is the entry's place in appended order.
std::uint64_t ListOrderKey(float top, std::uint32_t appended) {
    std::uint32_t bits = std::bit_cast<std::uint32_t>(top == 0.0f ? 0.0f : top);
    bits = (bits & 0x80000000u) != 0 ? ~bits : bits | 0x80000000u;
    return (static_cast<std::uint64_t>(~bits) << 32) | appended;
}

// Puts entries with no NaN top, appended in deposition order (so with rising ids), into list order:
// the higher top first, on an equal top the older. `keys` and `copy` are scratch space for n entries.
void SortIntoListOrder(PixelEntry* entries, std::int32_t n, std::uint64_t* keys, PixelEntry* copy) {
    for (std::int32_t i = 0; i < n; ++i) {
        keys[i] = ListOrderKey(entries[i].top, static_cast<std::uint32_t>(i));
        copy[i] = entries[i];
    }
    if (n > 24) {
        std::sort(keys, keys + n);
    } else {
        for (std::int32_t i = 1; i < n; ++i) {
            const std::uint64_t k = keys[i];
            std::int32_t j = i;
            while (j > 0 && keys[j - 1] > k) {
                keys[j] = keys[j - 1];
                --j;
            }
            keys[j] = k;
        }
    }
    for (std::int32_t i = 0; i < n; ++i) {
        entries[i] = copy[static_cast<std::uint32_t>(keys[i])];
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
        return grid->Insert(k, r, MakeEntry(m, q));
    });
}

ResultCode
PaintCanvas::AddMetaballsInBands(const std::vector<Metaball>& list,
                                 const std::function<void(std::int32_t, std::int32_t)>& bandsDone) {
    if (!store || !grid || paintedMask.empty()) {
        return Result::NoData;
    }
    const std::size_t firstStored = store->records.size();
    try {
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
        if (!StoreMetaball(source, m, code) && code != Result::Success) {
            return code;
        }
    }
    // The metaballs taken, as the store now holds them.
    const std::span<const Metaball> stored(store->records.data() + firstStored,
                                           store->records.size() - firstStored);
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

    // First every band counts the entries each of its lists receives. Then every list that must grow
    // gets, in one pass, the array one-by-one insertion would leave it with, all carved from one block
    // of the counted size; then every band appends its entries in deposition order and puts each list
    // in order. Lists are independent, so this equals inserting every metaball in turn.
    const std::size_t pixels = static_cast<std::size_t>(width) * static_cast<std::size_t>(height);
    std::vector<std::int32_t> cursor;
    try {
        cursor.assign(pixels, 0);
    } catch (const std::bad_alloc&) {
        return Result::OutOfMemory;
    } catch (const std::length_error&) {
        return Result::OutOfMemory;
    }
    const std::int32_t threads = renderThreads > 0 ? renderThreads : RenderThreadCount();
    const auto members = [&](std::int32_t band, auto&& each) {
        const std::int32_t* first = bandMembers.data() + bandStart[static_cast<std::size_t>(band)];
        const std::int32_t* last = bandMembers.data() + bandStart[static_cast<std::size_t>(band) + 1];
        for (const std::int32_t* i = first; i != last; ++i) {
            each(stored[static_cast<std::size_t>(*i)]);
        }
    };
    RunPieces(bands, threads, [&](std::int32_t band) {
        const std::int32_t rowBegin = band * kBandRows;
        const std::int32_t rowEnd = std::min(height, rowBegin + kBandRows);
        members(band, [&](const Metaball& m) {
            ForEachReachedSpan(m, rowBegin, rowEnd - 1, width,
                               [&](std::int32_t r, std::int32_t firstCol, std::int32_t lastCol) {
                                   std::int32_t* row = cursor.data() + PixelIndex(0, r);
                                   for (std::int32_t k = firstCol; k <= lastCol; ++k) {
                                       ++row[k];
                                   }
                               });
        });
    });
    std::size_t needed = 0;
    for (std::size_t p = 0; p < pixels; ++p) {
        const PixelList& list = grid->lists[p];
        if (cursor[p] > 0 && list.count + cursor[p] > list.capacity) {
            needed += static_cast<std::size_t>(list.CapacityFor(cursor[p]));
        }
    }
    if (!grid->arena.Reserve(needed)) {
        return Result::OutOfMemory;
    }
    for (std::size_t p = 0; p < pixels; ++p) {
        PixelList& list = grid->lists[p];
        if (cursor[p] > 0 && list.count + cursor[p] > list.capacity) {
            const std::int32_t capacity = list.CapacityFor(cursor[p]);
            PixelEntry* grown = grid->arena.Allocate(capacity);
            if (grown == nullptr) {
                return Result::OutOfMemory; // cannot happen: the block is reserved
            }
            list.MoveTo(grown, capacity, grid->arena);
        }
        cursor[p] = list.count;
    }

    std::vector<ResultCode> codes(static_cast<std::size_t>(bands), Result::Success);
    const auto fillBand = [&](std::int32_t band) {
        const std::int32_t rowBegin = band * kBandRows;
        const std::int32_t rowEnd = std::min(height, rowBegin + kBandRows);
        if (bandStart[static_cast<std::size_t>(band)] == bandStart[static_cast<std::size_t>(band) + 1]) {
            return;
        }
        // Appended behind each list's entries, within the capacity just given.
        members(band, [&](const Metaball& m) {
            ForEachReachedPixel(m, rowBegin, rowEnd - 1, width, [&](std::int32_t k, std::int32_t r, float q) {
                const std::size_t p = PixelIndex(k, r);
                grid->lists[p].entries[cursor[p]++] = MakeEntry(m, q);
                return Result::Success;
            });
        });
        std::vector<PixelEntry> scratch;
        std::vector<std::uint64_t> keys;
        std::vector<PixelEntry> copy;
        const std::size_t bandFirst = PixelIndex(0, rowBegin);
        const std::size_t bandLast = PixelIndex(0, rowEnd);
        for (std::size_t p = bandFirst; p < bandLast; ++p) {
            PixelList& pixelList = grid->lists[p];
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
                if (keys.size() < static_cast<std::size_t>(added)) {
                    keys.resize(static_cast<std::size_t>(added));
                    copy.resize(static_cast<std::size_t>(added));
                }
            } catch (const std::bad_alloc&) {
                codes[static_cast<std::size_t>(band)] = Result::OutOfMemory;
                return;
            }
            if (!ordered) {
                for (const PixelEntry& entry : scratch) {
                    // Within the capacity given, so it cannot fail.
                    pixelList.Insert(entry, grid->arena);
                }
                continue;
            }
            if (old == 0) {
                SortIntoListOrder(entries, added, keys.data(), copy.data());
                pixelList.count = added;
                continue;
            }
            // New entries follow older ones of an equal top.
            SortIntoListOrder(scratch.data(), added, keys.data(), copy.data());
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
