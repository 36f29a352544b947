#pragma once
// Small helpers shared by the document, image block and undo journal tests: a temporary folder,
// whole-file reading and writing, a little-endian byte builder for hand-made files, and what one
// running program does with its undo journal.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "engine/PaintCanvas.h"
#include "persistence/UndoJournal.h"
#include "tests/TempFolder.h"

namespace testsupport {

class TempDir {
public:
    TempDir() {
        path = MakeTempFolder("nurimoko-test");
    }
    ~TempDir() {
        std::error_code error;
        std::filesystem::remove_all(path, error);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string File(const std::string& name) const { return (std::filesystem::path(path) / name).string(); }

    std::filesystem::path path;
};

inline std::vector<std::uint8_t> ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteBytes(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

inline std::vector<std::uint8_t> Truncated(std::vector<std::uint8_t> bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

inline std::int32_t Int32At(const std::vector<std::uint8_t>& b, std::size_t at) {
    return static_cast<std::int32_t>(
        static_cast<std::uint32_t>(b.at(at)) | (static_cast<std::uint32_t>(b.at(at + 1)) << 8) |
        (static_cast<std::uint32_t>(b.at(at + 2)) << 16) | (static_cast<std::uint32_t>(b.at(at + 3)) << 24));
}

inline float FloatAt(const std::vector<std::uint8_t>& b, std::size_t at) {
    return std::bit_cast<float>(Int32At(b, at));
}

// Builds files byte by byte, little-endian.
struct Bytes {
    std::vector<std::uint8_t> data;
    Bytes& I32(std::int32_t v) {
        const auto u = static_cast<std::uint32_t>(v);
        for (int k = 0; k < 4; ++k) {
            data.push_back(static_cast<std::uint8_t>(u >> (8 * k)));
        }
        return *this;
    }
    Bytes& F32(float v) { return I32(std::bit_cast<std::int32_t>(v)); }
    Bytes& Raw(const std::vector<std::uint8_t>& more) {
        data.insert(data.end(), more.begin(), more.end());
        return *this;
    }
    // A 20-byte text field: the text, a NUL, zero padding.
    Bytes& Field(const std::string& text) {
        std::vector<std::uint8_t> field(20, 0);
        std::copy(text.begin(), text.end(), field.begin());
        return Raw(field);
    }
    Bytes& Header(std::int32_t width, std::int32_t height, std::int32_t count) {
        return Field("<Gloppo-Canvas>").Field("<1.001>").I32(width).I32(height).I32(count);
    }
    // A white 24-bit image block of width × height.
    Bytes& WhiteImage(std::int32_t width, std::int32_t height) {
        const std::int32_t stride = (width * 3 + 3) / 4 * 4;
        I32(width).I32(height).I32(3).I32(0).I32(stride * height);
        std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride) * height, 0);
        for (std::int32_t y = 0; y < height; ++y) {
            std::fill_n(rows.begin() + static_cast<std::ptrdiff_t>(y) * stride, width * 3, 255);
        }
        return Raw(rows);
    }
};

// A material that differs from the defaults in every stored field.
inline MaterialBlock DistinctMaterial(float red) {
    MaterialBlock m;
    m.red = red;
    m.green = 0.25f;
    m.blue = 0.5f;
    m.innerRadius = 4.0f;
    m.outerRadius = 9.0f;
    m.outerRadiusSq = 81.0f;
    m.thickness = 0.75f;
    m.reserved1 = 0.3f;
    m.reserved2 = 0.8f;
    m.transparency = 0.2f;
    m.highlight = 0.6f;
    m.reserved3 = 200.0f;
    m.reserved4 = 0.0f;
    m.rainbow = 0.1f;
    return m;
}

inline Metaball MakeMetaball(const MaterialBlock& material, float x, float y, float z) {
    Metaball m;
    PaintCanvas::MetaballFromTemplate(m, x, y, z, material);
    m.reserved1 = material.reserved1;
    m.reserved2 = material.reserved2;
    return m;
}

// Deposits metaballs the way a stroke does and renders the whole canvas.
inline void Paint(PaintCanvas& canvas, const std::vector<Metaball>& metaballs) {
    canvas.BeginOperation();
    UpdateRect changed;
    ASSERT_EQ(canvas.AddMetaballs(metaballs, changed), Result::Success);
    canvas.EndOperation();
}

inline void RenderAll(PaintCanvas& canvas, bool antiAliasing = true) {
    canvas.antiAliasing = antiAliasing ? 1 : 0;
    UpdateRect all = UpdateRect::Make(0, 0, canvas.width - 1, canvas.height - 1);
    canvas.BeginOperation();
    ASSERT_EQ(canvas.Render(all), Result::Success);
    canvas.EndOperation();
}

// What one running program does with its journal: starts it on `base`, records a step, says which
// folder it took, waits until `holdUntil` returns, and then checks that its files are still there.
// 0 when all went well, else the step that failed. `holdUntil` is called in every case, so that
// programs waiting for each other never wait for one that failed.
inline int StartJournalAndHold(const std::string& base, int p, std::string& folderTaken,
                               const std::function<void()>& holdUntil) {
    PaintCanvas canvas;
    if (canvas.Create(16, 16) != Result::Success) {
        holdUntil();
        return 11;
    }
    UndoJournal journal(base);
    journal.Init(canvas);
    const bool recorded = journal.Reset() == Result::Success && journal.RecordAdd({p}) == Result::Success;
    folderTaken = journal.Folder();
    holdUntil();
    if (!recorded) {
        return 12;
    }
    const bool intact = std::filesystem::exists(journal.PathOf(UndoJournal::IdsFileName(1))) &&
                        std::filesystem::exists(journal.PathOf(UndoJournal::BackgroundFileName(0)));
    return intact ? 0 : 13;
}

} // namespace testsupport
