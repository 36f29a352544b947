// Renders a paint document, or a new canvas on a BMP or PNG picture, without the user interface:
//   nurimoko-render INPUT OUTPUT [--no-antialias]   INPUT ".mb", ".bmp" or ".png"; OUTPUT ".bmp", ".png" or ".mb"
//   nurimoko-render --info INPUT.mb                  canvas size, metaball count, background depth
// Exit status: 0 success, 1 failure (message and code on standard error), 2 usage error.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <string>
#include <vector>

#include "engine/PaintCanvas.h"
#include "engine/ResultCode.h"
#include "persistence/PlatformFile.h"
#include "persistence/Bmp.h"
#include "persistence/PictureFile.h"
#include "persistence/PngFile.h"

namespace {

constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;

const char kUsage[] =
    "usage:\n"
    "  nurimoko-render INPUT OUTPUT [--no-antialias]\n"
    "      INPUT: a paint document (.mb), or a BMP (.bmp) or PNG (.png) picture for a new canvas\n"
    "      OUTPUT: .bmp (24-bit picture), .png (picture) or .mb (paint document)\n"
    "      the whole canvas is rendered with anti-aliasing unless --no-antialias is given\n"
    "  nurimoko-render --info INPUT.mb\n"
    "      prints the canvas size, the number of metaballs and the background's bytes per pixel\n"
    "  nurimoko-render --help\n";

enum class FileKind { Document, Bitmap, Png, Unknown };

FileKind KindOf(const std::string& path) {
    const std::size_t dot = path.find_last_of('.');
    const std::size_t slash = path.find_last_of("/\\");
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) {
        return FileKind::Unknown;
    }
    std::string extension = path.substr(dot + 1);
    std::transform(extension.begin(), extension.end(), extension.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (extension == "mb") {
        return FileKind::Document;
    }
    if (extension == "bmp") {
        return FileKind::Bitmap;
    }
    if (extension == "png") {
        return FileKind::Png;
    }
    return FileKind::Unknown;
}

int UsageError(const std::string& problem) {
    std::fprintf(stderr, "nurimoko-render: %s\n%s", problem.c_str(), kUsage);
    return kExitUsage;
}

int Failure(const std::string& path, const char* message, ResultCode code) {
    std::fprintf(stderr, "nurimoko-render: %s: %s (code %d)\n", path.c_str(), message ? message : "error",
                 static_cast<int>(code));
    return kExitFailure;
}

// The texts the document commands show when a paint document cannot be opened; a painting too large
// for this machine says so, since the file itself may be sound.
const char* OpenErrorMessage(ResultCode code) {
    switch (code) {
    case Result::UnsupportedFormat:
        return "【ヌリモコ】のファイルではありません。";
    case Result::VersionMismatch:
        return "【ヌリモコ】ファイルのバージョンが異なります。";
    case Result::OutOfMemory:
        return ResultMessage(code);
    default:
        return "【ヌリモコ】ファイルを読めませんでした。";
    }
}

int LoadDocument(PaintCanvas& canvas, const std::string& path) {
    canvas.drawingArea = DrawingAreaBoth; // every stored metaball is accepted
    const ResultCode loaded = canvas.LoadPaintFile(path);
    if (loaded != Result::Success) {
        return Failure(path, OpenErrorMessage(loaded), loaded);
    }
    return 0;
}

// A new canvas of the picture's size with the picture as its background, as "new from image file" does.
int LoadPicture(PaintCanvas& canvas, const std::string& path) {
    RasterImage picture;
    ResultCode code = LoadPictureFile(picture, path);
    if (code == Result::Success) {
        code = picture.ExpandPalette();
    }
    if (code == Result::Success && picture.IsEmpty()) {
        code = Result::NoData;
    }
    if (code == Result::Success) {
        code = canvas.Create(picture.width, picture.height);
    }
    if (code == Result::Success) {
        code = canvas.backgroundImage.CopyOverlap(picture);
    }
    if (code != Result::Success) {
        return Failure(path, ResultMessage(code), code);
    }
    return 0;
}

void RenderWholeCanvas(PaintCanvas& canvas, bool antiAliasing) {
    canvas.antiAliasing = antiAliasing ? 1 : 0;
    UpdateRect rect = UpdateRect::Make(0, 0, canvas.width - 1, canvas.height - 1);
    canvas.BeginOperation();
    if (canvas.Render(rect) == Result::Success) {
        canvas.EndOperation();
    }
}

int PrintInfo(const std::string& input) {
    if (KindOf(input) != FileKind::Document) {
        return UsageError("--info needs a paint document (.mb)");
    }
    PaintCanvas canvas;
    if (const int failed = LoadDocument(canvas, input)) {
        return failed;
    }
    std::printf("width: %d\n", static_cast<int>(canvas.width));
    std::printf("height: %d\n", static_cast<int>(canvas.height));
    std::printf("metaballs: %d\n", static_cast<int>(canvas.store ? canvas.store->Count() : 0));
    std::printf("background bytes per pixel: %d\n", static_cast<int>(canvas.backgroundImage.bytesPerPixel));
    return 0;
}

int Convert(const std::string& input, const std::string& output, bool antiAliasing) {
    const FileKind inputKind = KindOf(input);
    const FileKind outputKind = KindOf(output);
    if (inputKind == FileKind::Unknown) {
        return UsageError("INPUT must be a paint document (.mb) or a BMP (.bmp) or PNG (.png) picture: " + input);
    }
    if (outputKind == FileKind::Unknown) {
        return UsageError("OUTPUT must end in .bmp, .png or .mb: " + output);
    }
    PaintCanvas canvas;
    const int loaded =
        inputKind == FileKind::Document ? LoadDocument(canvas, input) : LoadPicture(canvas, input);
    if (loaded != 0) {
        return loaded;
    }
    ResultCode saved = Result::Success;
    if (outputKind == FileKind::Document) {
        saved = canvas.SavePaintFile(output);
    } else {
        RenderWholeCanvas(canvas, antiAliasing);
        saved = outputKind == FileKind::Png ? SavePngFile(canvas.renderedImage, output)
                                            : SaveBmpFile(canvas.renderedImage, output);
    }
    if (saved != Result::Success) {
        return Failure(output, ResultMessage(saved), saved);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    // File names reach the program as UTF-8 on every system.
    platform::Utf8CommandLine commandLine(argc, argv);
    argc = commandLine.Count();
    argv = commandLine.Values();
    std::vector<std::string> positional;
    bool info = false;
    bool antiAliasing = true;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--info") {
            info = true;
        } else if (arg == "--no-antialias") {
            antiAliasing = false;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return UsageError("unknown option " + arg);
        } else {
            positional.push_back(arg);
        }
    }
    if (info) {
        if (positional.size() != 1 || !antiAliasing) {
            return UsageError("--info takes exactly one paint document");
        }
        return PrintInfo(positional[0]);
    }
    if (positional.size() != 2) {
        return UsageError("expected INPUT and OUTPUT");
    }
    return Convert(positional[0], positional[1], antiAliasing);
}
