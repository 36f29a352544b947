#pragma once
// One painting: its metaballs, their per-pixel lists, the evaluated surface, the background and the
// rendered picture, and the shading settings. Used from one thread at a time.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/Metaball.h"
#include "engine/ResultCode.h"
#include "engine/UpdateRect.h"
#include "engine/Vector3D.h"
#include "persistence/RasterImage.h"

// Receives the percentages of reading (phase 2) and writing (phase 3) a paint document.
class ProgressTarget {
public:
    virtual ~ProgressTarget() = default;
    virtual void ReportProgress(int phase, int percent) = 0;
};

inline constexpr int ProgressReading = 2;
inline constexpr int ProgressWriting = 3;

// Every metaball ever deposited; an id is an index here and records are never removed.
struct MetaballStore {
    std::vector<Metaball> records;
    std::int32_t Count() const { return static_cast<std::int32_t>(records.size()); }
    bool Contains(std::int32_t id) const { return id >= 0 && id < Count(); }
};

// Where the entries of every pixel list of a grid live: a few large blocks carved into the lists'
// arrays, so that millions of lists cost no allocation of their own. An array a list has grown out of is
// kept for the next list that needs one of its size.
class PixelArena {
public:
    PixelArena() = default;
    PixelArena(const PixelArena&) = delete;
    PixelArena& operator=(const PixelArena&) = delete;

    // An array of `capacity` (> 0) entries, valid as long as the arena; nullptr when the memory is not there.
    PixelEntry* Allocate(std::int32_t capacity);
    // Takes back an array of `capacity` entries that Allocate gave, for reuse.
    void Recycle(PixelEntry* entries, std::int32_t capacity) noexcept;
    // Makes the next `entries` entries that Allocate carves come from one block of exactly that size,
    // so that arrays counted beforehand (loading) fill it without a gap; false when memory is not there.
    bool Reserve(std::size_t entries);
    // Entries held in blocks, carved or not.
    std::size_t HeldEntries() const { return held_; }

private:
    bool AddBlock(std::size_t entries);

    std::vector<std::unique_ptr<PixelEntry[]>> blocks_;
    PixelEntry* next_ = nullptr; // the uncarved rest of the newest block
    std::size_t left_ = 0;
    std::size_t lastBlock_ = 0;
    std::size_t held_ = 0;
    std::vector<std::vector<PixelEntry*>> spare_; // arrays given back, by capacity / 5 - 1
};

// The metaballs that may reach one pixel, in descending order of top. The array lies in the grid's arena.
class PixelList {
public:
    std::int32_t count = 0;
    std::int32_t capacity = 0;
    PixelEntry* entries = nullptr; // `capacity` long, in the arena

    // Inserts before the first entry with a smaller top; -1 when the array cannot grow.
    ResultCode Insert(const PixelEntry& entry, PixelArena& arena);
    // The capacity `more` further Inserts would leave the list with.
    std::int32_t CapacityFor(std::int32_t more) const;
    // Moves the entries to `grown`, an array of `newCapacity`, giving the old array back to the arena.
    void MoveTo(PixelEntry* grown, std::int32_t newCapacity, PixelArena& arena);
    // Removes the first entry with this id; false when there is none.
    bool RemoveFirst(std::int32_t id);
    // Gives the array back to the arena and empties the list.
    void Release(PixelArena& arena);
};

struct MetaballGrid {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<PixelList> lists; // row-major, row 0 at the bottom
    PixelArena arena;             // the lists' entries
    float surfaceThreshold = 0.5f;
    float surfaceStep = 0.5f;
    float absorptionStep = 1.0f;
    const MetaballStore* store = nullptr;

    PixelList& At(std::int32_t col, std::int32_t row) {
        return lists[static_cast<std::size_t>(row) * width + col];
    }
    const PixelList& At(std::int32_t col, std::int32_t row) const {
        return lists[static_cast<std::size_t>(row) * width + col];
    }
    ResultCode Insert(std::int32_t col, std::int32_t row, const PixelEntry& entry) {
        return At(col, row).Insert(entry, arena);
    }
};

// A unit surface normal kept as three plain floats, so the per-pixel record carries no vtable pointer;
// the lighting code works on it as an Oru_NormalizedVector3D.
struct SurfaceNormal {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    // Stores (ax, ay, az) normalised exactly as Oru_NormalizedVector3D::Set does.
    void Set(float ax, float ay, float az) {
        const Oru_NormalizedVector3D n(ax, ay, az);
        x = n.x;
        y = n.y;
        z = n.z;
    }
    // The stored components as they are, without normalising again.
    operator Oru_NormalizedVector3D() const {
        Oru_NormalizedVector3D v;
        v.x = x;
        v.y = y;
        v.z = z;
        return v;
    }
};

struct SurfaceRecord {
    float coverage = 0.0f;
    float surfaceZ = 0.0f;
    float red = 0.0f;
    float green = 0.0f;
    float blue = 0.0f;
    float transparency = 0.0f;
    float highlight = 1.0f;
    float rainbow = 0.0f;
    SurfaceNormal normal;
    float transmittedRed = 0.0f;
    float transmittedGreen = 0.0f;
    float transmittedBlue = 0.0f;
    float transmission = 1.0f;
    std::int32_t edgeFlag = 0;

    // Every field but the normal back to its reset value.
    void Reset();
};

// Where new paint may land.
inline constexpr std::int32_t DrawingAreaForeground = 1; // only where there is paint
inline constexpr std::int32_t DrawingAreaBackground = 2; // only where there is none
inline constexpr std::int32_t DrawingAreaBoth = 3;

class PaintCanvas {
public:
    PaintCanvas();
    ~PaintCanvas();
    PaintCanvas(const PaintCanvas&) = delete;
    PaintCanvas& operator=(const PaintCanvas&) = delete;

    std::int32_t width = 0;
    std::int32_t height = 0;
    RasterImage renderedImage;
    RasterImage backgroundImage;
    std::unique_ptr<MetaballStore> store;
    std::unique_ptr<MetaballGrid> grid;
    std::vector<SurfaceRecord> surface;    // row-major, empty while absent
    std::vector<std::uint8_t> dirtyFlags;  // 1: recomputed by the next render
    std::vector<std::uint8_t> paintedMask; // 1 where there was paint when the last operation ended
    std::vector<float> heightSnapshot;     // surface height when the last operation ended

    std::vector<std::int32_t> changedIds;
    std::vector<PaintColour> oldColours;
    std::vector<PaintColour> newColours;
    std::vector<Position3> oldPositions;
    std::vector<Position3> newPositions;

    std::int32_t operationOpen = 0;
    UpdateRect pendingRect = UpdateRect::PendingEmpty();

    Oru_NormalizedVector3D viewDirection;
    std::int32_t lightCount = 2;
    Oru_NormalizedVector3D lights[2];
    float lightIntensities[2] = {0.8f, 0.4f};
    float ambientFactor = 0.2f;
    float diffuseFactor = 0.8f;
    float filmIndex = 1.333f;
    std::int32_t antiAliasing = 0;
    std::int32_t antiAliasingSamples = 3;
    std::int32_t drawingArea = DrawingAreaBoth;
    std::int32_t heightMode = 1; // 1: on the paint; 0: on a plane of `planeHeight`
    float planeHeight = 0.0f;
    ProgressTarget* progressTarget = nullptr;
    // Threads that render and load; 0: as RenderThreadCount() says (NURIMOKO_THREADS or the hardware).
    std::int32_t renderThreads = 0;
    // True: every sample is evaluated by the reference code straight over the pixel lists and the
    // store, which the fast evaluation must match bit for bit.
    bool referenceEvaluation = false;
    // True: loading deposits the stored metaballs one at a time with AddMetaballs, the plain way the
    // banded deposition must match.
    bool referenceDeposition = false;

    // How many times Create has discarded the canvas's paint and buffers: a caller that sees it change
    // knows the painting it had is gone.
    std::uint64_t createCount = 0;

    // Lifecycle.
    // -1 at once, touching nothing, when the buffers of that size would not fit in memory.
    ResultCode Create(std::int32_t width, std::int32_t height);
    // Bytes the pictures and per-pixel buffers of an empty canvas of this size take.
    static std::uint64_t BytesNeeded(std::int32_t width, std::int32_t height);
    ResultCode Clear();
    void ReleaseBuffers();
    bool HasBuffers() const { return store && grid && !surface.empty(); }
    void MarkDirty(const UpdateRect& rect, std::uint8_t value);
    // Copies the background into the rendered image over the whole canvas; the code of that copy.
    ResultCode CopyBackgroundToRendered();

    std::size_t PixelIndex(std::int32_t col, std::int32_t row) const {
        return static_cast<std::size_t>(row) * static_cast<std::size_t>(width) +
               static_cast<std::size_t>(col);
    }
    SurfaceRecord& Surface(std::int32_t col, std::int32_t row) { return surface[PixelIndex(col, row)]; }
    const SurfaceRecord& Surface(std::int32_t col, std::int32_t row) const {
        return surface[PixelIndex(col, row)];
    }

    // Deposition.
    ResultCode AddMetaballs(const std::vector<Metaball>& list, UpdateRect& out);
    static float MetaballFromTemplate(Metaball& out, float x, float y, float z, const MaterialBlock& templ);
    static UpdateRect MetaballBounds(const Metaball& m);
    // The bounds of a stored metaball; the empty rectangle for an id the store does not hold.
    UpdateRect MetaballBounds(std::int32_t id) const;
    float BaseHeight(float x, float y, float window) const;
    void BeginOperation();
    void EndOperation();

    // Surface evaluation, lighting and compositing.
    ResultCode Render(UpdateRect& rect);
    // The same render in bands of `bandRows` rows from the bottom up (all at once for 0): after each band
    // `bandDone` gets the rows whose picture is final. The result equals one Render of the rectangle.
    ResultCode RenderInBands(UpdateRect& rect, std::int32_t bandRows,
                             const std::function<void(const UpdateRect& done)>& bandDone);
    void Compose(const UpdateRect& rect);

    // Editing of paint already on the canvas.
    int PickAt(std::int32_t col, std::int32_t row, std::vector<std::int32_t>& ids, PaintColour& colour) const;
    int CollectInCircle(float cx, float cy, float radius, std::vector<std::int32_t>& ids) const;
    int EraseIds(const std::vector<std::int32_t>& ids, UpdateRect& rect);
    int EraseInCircle(float cx, float cy, float radius, UpdateRect& rect);
    int RecolourIds(std::vector<std::int32_t>& ids, const PaintColour& colour, UpdateRect& rect);
    int RecolourInCircle(float cx, float cy, float radius, const PaintColour& colour, UpdateRect& rect);
    int MoveMetaball(std::int32_t id, float x, float y, float z, UpdateRect& oldRect, UpdateRect& newRect);

    // Paint documents (".mb").
    ResultCode LoadPaintFile(const std::string& path);
    ResultCode SavePaintFile(const std::string& path);
    // The bytes SavePaintFile would write, in memory and without progress messages (recovery copies
    // take them on the window's thread and write them elsewhere); 0, -31 or -1.
    ResultCode EncodePaintFile(std::vector<std::uint8_t>& bytes) const;

    // Grid insertion of one stored metaball.
    ResultCode InsertIntoGrid(const Metaball& m);
    // The part of InsertIntoGrid in rows rowFrom..rowTo.
    ResultCode InsertRows(const Metaball& m, std::int32_t rowFrom, std::int32_t rowTo);
    // AddMetaballs for many metaballs at once (loading): stores them in order, then fills the pixel lists
    // of separate bands of rows on separate threads. The lists come out as AddMetaballs leaves them, with
    // the same capacities. `bandsDone(done, total)`, when given, hears on the calling thread how many of
    // the bands are filled, several times along the way and once at the end.
    ResultCode AddMetaballsInBands(const std::vector<Metaball>& list,
                                   const std::function<void(std::int32_t, std::int32_t)>& bandsDone = {});

private:
    // True when AddMetaballs would take `source`: inside the canvas and allowed by the drawing area.
    bool Accepts(const Metaball& source) const;
    // Checks the position and the drawing area, then appends `source` to the store as `stored`; false
    // when it is not taken (`code` says OutOfMemory when the store could not grow).
    bool StoreMetaball(const Metaball& source, Metaball& stored, ResultCode& code);
};
