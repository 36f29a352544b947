#pragma once
// Fakes of the windows around a stroke, recording what the stroke asked of them, and a small fixture
// with a fresh canvas shown at zoom 1.

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "brushes/StrokeController.h"
#include "engine/PaintCanvas.h"

struct FakeView : ViewServices {
    std::vector<std::string> statusTexts;
    std::vector<std::string> busyTexts; // "" for a BeginBusy without text
    int busyBegun = 0;
    int busyEnded = 0;
    std::vector<std::pair<std::string, int>> progress;
    std::vector<UpdateRect> blits;
    int modifiedCount = 0;
    int previewChanges = 0;
    ViewMapping mapping;
    GridSnapSettings grid;
    std::function<void()> onProgress;

    void SetStatusText(const std::string& text) override { statusTexts.push_back(text); }
    void BeginBusy(const char* text) override {
        ++busyBegun;
        busyTexts.push_back(text != nullptr ? text : "");
    }
    void ShowProgress(const std::string& text, int percent) override {
        progress.emplace_back(text, percent);
        if (onProgress) {
            onProgress();
        }
    }
    void EndBusy() override { ++busyEnded; }
    void BlitRect(const UpdateRect& rect) override { blits.push_back(rect); }
    void SetModified() override { ++modifiedCount; }
    ViewMapping Mapping() const override { return mapping; }
    GridSnapSettings GridSnap() const override { return grid; }
    void PreviewChanged() override { ++previewChanges; }

    int ValidBlits() const {
        int n = 0;
        for (const UpdateRect& r : blits) {
            n += r.valid ? 1 : 0;
        }
        return n;
    }
};

struct PickedColour {
    float hue = 0.0f;
    float lightness = 0.0f;
    float saturation = 0.0f;
};

struct FakeBrushSource : BrushSource {
    BrushSettings brush;
    int taken = 0;
    std::vector<PickedColour> colours;

    BrushSettings CurrentBrush() override {
        ++taken;
        return brush;
    }
    void SetCurrentColour(float hue, float lightness, float saturation) override {
        colours.push_back({hue, lightness, saturation});
    }
};

struct FakeCanvasSettings : CanvasSettingsSource {
    CanvasDrawingSettings settings;
    CanvasDrawingSettings DrawingSettings() const override { return settings; }
};

struct RecordedStroke {
    std::string kind; // "add", "erase", "move", "recolour"
    std::vector<std::int32_t> ids;
    std::vector<Position3> oldPositions;
    std::vector<Position3> newPositions;
    std::vector<PaintColour> oldColours;
    std::vector<PaintColour> newColours;
};

struct FakeRecorder : StrokeRecorder {
    std::vector<RecordedStroke> records;
    ResultCode failWith = Result::Success;

    ResultCode RecordAdd(std::vector<std::int32_t> ids) override {
        return Keep(RecordedStroke{"add", std::move(ids), {}, {}, {}, {}});
    }
    ResultCode RecordErase(std::vector<std::int32_t> ids) override {
        return Keep(RecordedStroke{"erase", std::move(ids), {}, {}, {}, {}});
    }
    ResultCode RecordMove(std::vector<std::int32_t> ids, std::vector<Position3> oldPositions,
                          std::vector<Position3> newPositions) override {
        return Keep(
            RecordedStroke{"move", std::move(ids), std::move(oldPositions), std::move(newPositions), {}, {}});
    }
    ResultCode RecordRecolour(std::vector<std::int32_t> ids, std::vector<PaintColour> oldColours,
                              std::vector<PaintColour> newColours) override {
        return Keep(
            RecordedStroke{"recolour", std::move(ids), {}, {}, std::move(oldColours), std::move(newColours)});
    }

private:
    ResultCode Keep(RecordedStroke r) {
        if (failWith != Result::Success) {
            return failWith;
        }
        records.push_back(std::move(r));
        return Result::Success;
    }
};

struct FakeMessages : MessageSink {
    std::vector<std::string> shown;
    void ShowMessage(const std::string& text) override { shown.push_back(text); }
};

// A 64 × 64 white canvas shown at zoom 1 at the top-left of the window, so window (x, y) is canvas
// (x + 0.5, 63.5 - y).
class StrokeFixture : public ::testing::Test {
protected:
    static constexpr std::int32_t Size = 64;

    PaintCanvas canvas;
    FakeView view;
    FakeBrushSource tools;
    FakeCanvasSettings canvasSettings;
    FakeRecorder recorder;
    FakeMessages messages;
    StrokeController stroke{canvas, view};

    void SetUp() override {
        ASSERT_EQ(canvas.Create(Size, Size), Result::Success);
        view.mapping = ViewMapping{0.0f, 0.0f, Size, Size, 0.0f, 0.0f, Size, Size};
        stroke.SetBrushSource(&tools);
        stroke.SetCanvasSettingsSource(&canvasSettings);
        stroke.SetRecorder(&recorder);
        stroke.SetMessageSink(&messages);
        UseBrush(BrushKind::Simple, PathKind::Freehand, 8.0f);
    }

    void UseBrush(BrushKind kind, PathKind path, float size) {
        tools.brush = BrushSettings::ForKind(kind);
        tools.brush.pathKind = path;
        tools.brush.brushSize = size;
        stroke.RefreshBrush();
    }

    ResultCode Send(StrokeEvent type, std::int32_t x, std::int32_t y) {
        return stroke.HandleStrokeEvent(type, WindowPoint{x, y});
    }

    std::int32_t MetaballCount() const { return canvas.store->Count(); }

    std::int32_t LiveCount() const {
        std::int32_t n = 0;
        for (const Metaball& m : canvas.store->records) {
            n += m.IsLive() ? 1 : 0;
        }
        return n;
    }

    // Puts one metaball on the canvas at canvas point (x, y), outside any stroke, and renders it.
    void Deposit(float x, float y, float innerRadius) {
        MaterialBlock block;
        block.red = 0.2f;
        block.green = 0.4f;
        block.blue = 0.6f;
        block.innerRadius = innerRadius;
        block.outerRadius = innerRadius * 2.0f;
        block.outerRadiusSq = block.outerRadius * block.outerRadius;
        Metaball m;
        PaintCanvas::MetaballFromTemplate(m, x, y, 0.0f, block);
        UpdateRect rect;
        canvas.BeginOperation();
        ASSERT_EQ(canvas.AddMetaballs({m}, rect), Result::Success);
        canvas.Render(rect);
        canvas.EndOperation();
    }

    bool RenderedDiffersFromBackground() const {
        return canvas.renderedImage.data != canvas.backgroundImage.data;
    }
};
