// The pen and the wheel in the canvas view: pen pressure, mouse strokes that stay as they were, Ctrl +
// wheel zoom about the cursor, Shift + wheel and the middle-button pan.

#include <gtest/gtest.h>

#include <QFile>
#include <QScrollBar>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "ViewFixture.h"
#include "brushes/RandomSource.h"
#include "toolbox/CDlgToolBox.h"

namespace {

// A view with its tool box, every brush record and pattern drawn from one fixed second.
class PenView : public ViewFixture {
protected:
    PenView() { withDialogs = true; }

    void UseKind(BrushKind kind) { view->ToolBox()->OnBrushButton(static_cast<int>(kind)); }

    // Every metaball of the store, field by field (the record's padding left out).
    std::string StoreBytes() const {
        std::string out;
        auto put = [&out](const void* p, std::size_t n) { out.append(static_cast<const char*>(p), n); };
        for (const Metaball& m : view->Canvas().store->records) {
            put(static_cast<const MaterialBlock*>(&m), sizeof(MaterialBlock));
            const std::int32_t state = m.state;
            put(&m.id, 4);
            put(&state, 4);
            put(&m.x, 4);
            put(&m.y, 4);
            put(&m.z, 4);
        }
        return out;
    }

    ScopedRandomClock clock{1800000000};
};

// The kinds whose mouse strokes were recorded, one stroke each on a fresh view: a single particle, the
// kinds that build a new pattern for every dab, a pattern built once per stroke, one that turns with the
// stroke.
constexpr BrushKind RecordedKinds[] = {BrushKind::Simple, BrushKind::Watercolour, BrushKind::Multi,
                                       BrushKind::Spray,  BrushKind::Heaped,      BrushKind::ParallelLines};

QString RecordingPath() {
    const char* folder = std::getenv("NURIMOKO_TEST_DATA");
    return QString::fromLocal8Bit(folder ? folder : "tests/data") + QStringLiteral("/mouse-strokes.bin");
}

class MouseStroke : public PenView, public ::testing::WithParamInterface<BrushKind> {};

} // namespace

// The recording holds, per kind, its number and the bytes of the metaballs of one freehand mouse drag.
// It was made with the stroke code as it was before pens were read, by running this test with
// NURIMOKO_WRITE_MOUSE_STROKES=1; the mouse must still lay exactly those metaballs.
TEST_P(MouseStroke, LaysTheRecordedMetaballsByteForByte) {
    const BrushKind kind = GetParam();
    UseKind(kind);
    Drag(QPoint(100, 100), QPoint(220, 140));
    const std::string bytes = StoreBytes();
    ASSERT_FALSE(bytes.empty());

    QFile file(RecordingPath());
    std::map<std::int32_t, std::string> recorded;
    if (file.open(QIODevice::ReadOnly)) {
        const QByteArray all = file.readAll();
        qsizetype at = 0;
        while (at + 8 <= all.size()) {
            std::int32_t k = 0;
            std::int32_t size = 0;
            std::memcpy(&k, all.constData() + at, 4);
            std::memcpy(&size, all.constData() + at + 4, 4);
            at += 8;
            if (size < 0 || at + size > all.size()) {
                break;
            }
            recorded[k] = std::string(all.constData() + at, static_cast<std::size_t>(size));
            at += size;
        }
        file.close();
    }
    if (std::getenv("NURIMOKO_WRITE_MOUSE_STROKES") != nullptr) {
        recorded[static_cast<std::int32_t>(kind)] = bytes;
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        for (const auto& [k, b] : recorded) {
            const std::int32_t size = static_cast<std::int32_t>(b.size());
            file.write(reinterpret_cast<const char*>(&k), 4);
            file.write(reinterpret_cast<const char*>(&size), 4);
            file.write(b.data(), size);
        }
        return;
    }
    const auto found = recorded.find(static_cast<std::int32_t>(kind));
    ASSERT_NE(found, recorded.end()) << "no recording for this kind in " << RecordingPath().toStdString();
    EXPECT_EQ(bytes.size(), found->second.size());
    EXPECT_TRUE(bytes == found->second) << "the mouse stroke laid other metaballs than recorded";
}

INSTANTIATE_TEST_SUITE_P(Kinds, MouseStroke, ::testing::ValuesIn(RecordedKinds));
