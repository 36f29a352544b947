// Paint documents (".mb"): a 52-byte header (magic, version, width, height, count), one record per
// live metaball (80 bytes with its material block, 24 bytes when it repeats the previous block) and
// the background's image block.

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstddef>
#include <cstring>
#include <memory>
#include <new>
#include <stdexcept>
#include <vector>

#include "engine/MemoryLimit.h"
#include "engine/PaintCanvas.h"
#include "persistence/ImageBlock.h"
#include "persistence/SafeFileWriter.h"

namespace {

constexpr char kMagic[] = "<Gloppo-Canvas>";
constexpr char kVersion[] = "<1.001>";
constexpr std::size_t kFieldSize = 20;
constexpr std::uint64_t kShortRecordSize = 24;
constexpr int kMaterialFloats = 14;
// How far above and below its centre a metaball reaches (its outer radius times its thickness). The
// surface search walks that height in half steps at every pixel the metaball covers, so a document of
// a few metaballs reaching millions high would take hours to show; brushes reach about a hundred.
constexpr double kReachLimit = 4096.0;

// Sends the bytes of a document to the safe writer in large pieces, so that the four-byte fields of a
// record do not each cost a system call. A failure sticks: every later write and Flush fail too, so
// the result of the final Flush tells all. Without memory for the buffer every write goes straight to
// the file, with the same bytes.
class SafeBlockWriter : public BlockWriter {
public:
    explicit SafeBlockWriter(SafeFileWriter& target)
        : target(target), buffer(new (std::nothrow) std::uint8_t[kBufferSize]) {}

    bool WriteBytes(const void* bytes, std::size_t size) override {
        if (failed) {
            return false;
        }
        if (buffer && size <= kBufferSize - used) {
            if (size > 0) {
                std::memcpy(buffer.get() + used, bytes, size);
                used += size;
            }
            return true;
        }
        if (!Flush()) {
            return false;
        }
        if (buffer && size < kBufferSize) {
            std::memcpy(buffer.get(), bytes, size);
            used = size;
            return true;
        }
        return Pass(bytes, size);
    }

    // Hands the buffered bytes to the file; false when this or any earlier write failed.
    bool Flush() {
        if (failed) {
            return false;
        }
        const std::size_t pending = used;
        used = 0;
        return pending == 0 || Pass(buffer.get(), pending);
    }

private:
    static constexpr std::size_t kBufferSize = std::size_t{1} << 20;

    bool Pass(const void* bytes, std::size_t size) {
        failed = target.Write(bytes, size) != Result::Success;
        return !failed;
    }

    SafeFileWriter& target;
    std::unique_ptr<std::uint8_t[]> buffer;
    std::size_t used = 0;
    bool failed = false;
};

const float* Floats(const MaterialBlock& block) {
    return &block.red;
}

float* Floats(MaterialBlock& block) {
    return &block.red;
}

// The outer radius squared is derived, so it does not decide whether a material repeats.
bool SameMaterial(const MaterialBlock& a, const MaterialBlock& b) {
    return a.red == b.red && a.green == b.green && a.blue == b.blue && a.innerRadius == b.innerRadius &&
           a.outerRadius == b.outerRadius && a.thickness == b.thickness && a.reserved1 == b.reserved1 &&
           a.reserved2 == b.reserved2 && a.transparency == b.transparency && a.highlight == b.highlight &&
           a.reserved3 == b.reserved3 && a.reserved4 == b.reserved4 && a.rainbow == b.rainbow;
}

bool WriteField(BlockWriter& out, const char* text) {
    char field[kFieldSize] = {};
    std::memcpy(field, text, std::strlen(text));
    return out.WriteBytes(field, kFieldSize);
}

// The text of a field is what stands before its first NUL; a field without one matches nothing.
bool FieldMatches(const char (&field)[kFieldSize], const char* text) {
    const void* nul = std::memchr(field, 0, kFieldSize);
    if (!nul) {
        return false;
    }
    const std::size_t length = static_cast<std::size_t>(static_cast<const char*>(nul) - field);
    return length == std::strlen(text) && std::memcmp(field, text, length) == 0;
}

// Any finite value: the engine converts every float to an integer with clamping, and the surface search
// steps over the empty heights below paint laid high. Not a number or an infinity has no place to be.
bool Sane(float v) {
    return std::isfinite(v);
}

// outerRadiusSq, reserved1 and reserved2: not taken from the file.
bool IsReplacedOnLoading(int field) {
    const auto index = [](std::size_t offset) { return static_cast<int>(offset / sizeof(float)); };
    return field == index(offsetof(MaterialBlock, outerRadiusSq)) ||
           field == index(offsetof(MaterialBlock, reserved1)) ||
           field == index(offsetof(MaterialBlock, reserved2));
}

int Percent(std::int64_t done, std::int64_t total) {
    return static_cast<int>(static_cast<float>(done) / static_cast<float>(total) * 100.0f);
}

// Reports the percentage of records done to a progress target (if any), each percentage once: a large
// document has thousands of records per percent.
class RecordProgress {
public:
    RecordProgress(ProgressTarget* target, int phase, std::int64_t total)
        : target(target), phase(phase), total(total) {}

    // Records up to `records` are done; each one counts as if reported on its own.
    void DoneUpTo(std::int64_t records) {
        for (; target != nullptr && done < records; ++done) {
            const int percent = Percent(done + 1, total);
            if (percent != reported) {
                target->ReportProgress(phase, percent);
                reported = percent;
            }
        }
    }

private:
    ProgressTarget* target;
    int phase;
    std::int64_t total;
    std::int64_t done = 0;
    int reported = -1;
};

struct StoredMetaball {
    MaterialBlock block;
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
};

// Everything a document holds, read and checked before the canvas is touched.
struct DocumentContents {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<StoredMetaball> metaballs;
    RasterImage background;
};

// The little-endian four bytes at `bytes`.
std::uint32_t Uint32At(const std::uint8_t* bytes) {
    return static_cast<std::uint32_t>(bytes[0]) | (static_cast<std::uint32_t>(bytes[1]) << 8) |
           (static_cast<std::uint32_t>(bytes[2]) << 16) | (static_cast<std::uint32_t>(bytes[3]) << 24);
}

float FloatAt(const std::uint8_t* bytes) {
    return std::bit_cast<float>(Uint32At(bytes));
}

// A record is read in three pieces (repeat flag, material block, the rest) rather than field by field.
ResultCode ReadRecord(BlockReader& in, MaterialBlock& previous, StoredMetaball& out) {
    std::uint8_t bytes[kMaterialFloats * 4];
    if (!in.ReadBytes(bytes, 4)) {
        return Result::FileReadFailed;
    }
    if (Uint32At(bytes) == 0) {
        if (!in.ReadBytes(bytes, sizeof(bytes))) {
            return Result::FileReadFailed;
        }
        MaterialBlock block;
        for (int k = 0; k < kMaterialFloats; ++k) {
            Floats(block)[k] = FloatAt(bytes + 4 * k);
        }
        previous = block;
    }
    out.block = previous;
    // Id and state, which the canvas assigns afresh, then the position.
    if (!in.ReadBytes(bytes, 20)) {
        return Result::FileReadFailed;
    }
    out.x = FloatAt(bytes + 8);
    out.y = FloatAt(bytes + 12);
    out.z = FloatAt(bytes + 16);
    // Only the values the canvas takes over are checked: the outer radius squared is derived again and
    // the two reserved values are replaced, so what a file holds there cannot refuse it (a large outer
    // radius squares past the limit and must still open again after saving).
    for (int k = 0; k < kMaterialFloats; ++k) {
        if (!IsReplacedOnLoading(k) && !Sane(Floats(out.block)[k])) {
            return Result::UnsupportedFormat;
        }
    }
    if (!Sane(out.x) || !Sane(out.y) || !Sane(out.z)) {
        return Result::UnsupportedFormat;
    }
    const double radius = std::max(out.block.innerRadius, out.block.outerRadius);
    if (!(std::fabs(radius * static_cast<double>(out.block.thickness)) <= kReachLimit)) {
        return Result::UnsupportedFormat;
    }
    return Result::Success;
}

ResultCode ReadDocument(const std::string& path, DocumentContents& doc) {
    BlockReader in;
    const ResultCode opened = in.Open(path);
    if (opened != Result::Success) {
        return opened;
    }
    char field[kFieldSize];
    if (!in.ReadBytes(field, kFieldSize)) {
        return Result::FileReadFailed;
    }
    if (!FieldMatches(field, kMagic)) {
        return Result::UnsupportedFormat;
    }
    if (!in.ReadBytes(field, kFieldSize)) {
        return Result::FileReadFailed;
    }
    if (!FieldMatches(field, kVersion)) {
        return Result::VersionMismatch;
    }
    std::int32_t count = 0;
    if (!in.ReadInt32(doc.width) || !in.ReadInt32(doc.height) || !in.ReadInt32(count)) {
        return Result::FileReadFailed;
    }
    if (doc.width < 1 || doc.height < 1 || count < 0) {
        return Result::UnsupportedFormat;
    }
    // The canvas and the background read beside it must fit in memory; asked before anything is read
    // or allocated, so a claim of a huge canvas is refused at once.
    const std::uint64_t background =
        SaturatingProduct(static_cast<std::uint64_t>(RasterImage::StrideFor(doc.width, 3)),
                          static_cast<std::uint64_t>(doc.height));
    if (!FitsInMemory(SaturatingSum(PaintCanvas::BytesNeeded(doc.width, doc.height), background))) {
        return Result::OutOfMemory;
    }
    // No image block holds the background of such a canvas, so no document of it exists.
    if (!ImageBlockHolds(doc.width, doc.height, 1)) {
        return Result::UnsupportedFormat;
    }
    // The records and a background of the canvas's size must fit in what is left, so a few bytes
    // claiming a huge count never lead to a huge allocation. The smallest background is a palette
    // picture of one entry or a 24-bit one, whichever is shorter (a narrow 24-bit row pads no more
    // than a palette row does).
    const std::uint64_t smallestImage =
        std::min(ImageBlockSize(doc.width, doc.height, 1, 1), ImageBlockSize(doc.width, doc.height, 3, 0));
    const std::uint64_t smallestRest = static_cast<std::uint64_t>(count) * kShortRecordSize + smallestImage;
    if (in.Remaining() < smallestRest) {
        return Result::FileReadFailed;
    }
    try {
        doc.metaballs.resize(static_cast<std::size_t>(count));
    } catch (const std::bad_alloc&) {
        return Result::OutOfMemory;
    } catch (const std::length_error&) {
        return Result::OutOfMemory;
    }
    MaterialBlock previous;
    for (StoredMetaball& m : doc.metaballs) {
        const ResultCode read = ReadRecord(in, previous, m);
        if (read != Result::Success) {
            return read;
        }
    }
    const ResultCode image = ReadImageBlock(&in, doc.background);
    if (image != Result::Success) {
        return image;
    }
    // The background is composed pixel by pixel under the canvas, so it must cover it exactly.
    if (doc.background.width != doc.width || doc.background.height != doc.height) {
        return Result::UnsupportedFormat;
    }
    return Result::Success;
}

} // namespace

namespace {

// The whole document of `canvas`, in file order, to `out`; 0, -13 or the image block's code.
ResultCode WriteDocument(const PaintCanvas& canvas, BlockWriter& out, ProgressTarget* progressTarget) {
    const MetaballStore& store = *canvas.store;
    std::int32_t count = 0;
    for (const Metaball& m : store.records) {
        if (m.state != MetaballErased) {
            ++count;
        }
    }
    bool ok = WriteField(out, kMagic) && WriteField(out, kVersion) && out.WriteInt32(canvas.width) &&
              out.WriteInt32(canvas.height) && out.WriteInt32(count);
    MaterialBlock previous;
    const std::int32_t total = store.Count();
    RecordProgress progress(progressTarget, ProgressWriting, total);
    for (std::int32_t i = 0; ok && i < total; ++i) {
        progress.DoneUpTo(i + 1);
        const Metaball& m = store.records[static_cast<std::size_t>(i)];
        if (m.state == MetaballErased) {
            continue;
        }
        const MaterialBlock& block = m;
        const bool repeat = i > 0 && SameMaterial(block, previous);
        ok = out.WriteInt32(repeat ? 1 : 0);
        if (ok && !repeat) {
            for (int k = 0; ok && k < kMaterialFloats; ++k) {
                ok = out.WriteFloat(Floats(block)[k]);
            }
            previous = block;
        }
        ok = ok && out.WriteInt32(m.id) && out.WriteInt32(static_cast<std::int8_t>(m.state)) &&
             out.WriteFloat(m.x) && out.WriteFloat(m.y) && out.WriteFloat(m.z);
    }
    if (!ok) {
        return Result::FileWriteFailed;
    }
    return WriteImageBlock(canvas.backgroundImage, &out);
}

} // namespace

ResultCode PaintCanvas::SavePaintFile(const std::string& path) {
    if (!store) {
        return Result::NoData;
    }
    SafeFileWriter file(path);
    if (file.Open() != Result::Success) {
        return Result::FileOpenFailed;
    }
    SafeBlockWriter out(file);
    const ResultCode written = WriteDocument(*this, out, progressTarget);
    if (written != Result::Success) {
        file.Discard();
        return written;
    }
    if (!out.Flush()) {
        file.Discard();
        return Result::FileWriteFailed;
    }
    return file.Commit();
}

ResultCode PaintCanvas::EncodePaintFile(std::vector<std::uint8_t>& bytes) const {
    if (!store) {
        return Result::NoData;
    }
    BufferWriter out;
    // One allocation for the largest the document can be: every record with its material block.
    const std::uint64_t largest = 52 + static_cast<std::uint64_t>(store->Count()) * 80 +
                                  ImageBlockSize(backgroundImage.width, backgroundImage.height,
                                                 backgroundImage.bytesPerPixel, backgroundImage.paletteCount);
    try {
        out.bytes.reserve(static_cast<std::size_t>(largest));
    } catch (const std::bad_alloc&) {
        return Result::OutOfMemory;
    } catch (const std::length_error&) {
        return Result::OutOfMemory;
    }
    const ResultCode written = WriteDocument(*this, out, nullptr);
    if (written != Result::Success) {
        return written == Result::FileWriteFailed ? Result::OutOfMemory : written;
    }
    bytes = std::move(out.bytes);
    return Result::Success;
}

ResultCode PaintCanvas::LoadPaintFile(const std::string& path) {
    DocumentContents doc;
    const ResultCode read = ReadDocument(path, doc);
    if (read != Result::Success) {
        return read;
    }
    const ResultCode created = Create(doc.width, doc.height);
    if (created != Result::Success) {
        return created;
    }
    const std::int64_t total = static_cast<std::int64_t>(doc.metaballs.size());
    std::vector<Metaball> all;
    try {
        all.resize(doc.metaballs.size());
    } catch (const std::bad_alloc&) {
        return Result::OutOfMemory;
    }
    for (std::size_t i = 0; i < all.size(); ++i) {
        const StoredMetaball& stored = doc.metaballs[i];
        MetaballFromTemplate(all[i], stored.x, stored.y, stored.z, stored.block);
    }
    std::vector<StoredMetaball>().swap(doc.metaballs);
    // All metaballs are deposited in one go over all threads. Progress counts file records: as the
    // bands fill, the records up to the same share are reported, each percentage once.
    RecordProgress progress(progressTarget, ProgressReading, total);
    const auto bandsDone = [&](std::int32_t done, std::int32_t bands) {
        progress.DoneUpTo(total * done / bands);
    };
    if (referenceDeposition) {
        for (std::int64_t i = 0; i < total; ++i) {
            UpdateRect rect;
            const ResultCode added = AddMetaballs({all[static_cast<std::size_t>(i)]}, rect);
            if (added != Result::Success) {
                return added;
            }
            progress.DoneUpTo(i + 1);
        }
    } else {
        const ResultCode added =
            progressTarget && total > 0 ? AddMetaballsInBands(all, bandsDone) : AddMetaballsInBands(all);
        if (added != Result::Success) {
            return added;
        }
    }
    backgroundImage = std::move(doc.background);
    return Result::Success;
}
