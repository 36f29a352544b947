#pragma once
// The settings file beside the executable: the positions and shown state of the tool box and the canvas
// dialog, and the 24 palette cells. Read once at start-up, written once at close.

#include <QRect>
#include <QString>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

class ColorButtonGrid;
class QWidget;

// A private-profile (INI) file: "[Section]" lines and "Key=value" lines, integer values written as "%d".
// Sections and keys match without regard to case; unknown lines are kept when the file is written back.
class ProfileFile {
public:
    // Reads the file; a missing or unreadable file is an empty profile.
    void Load(const QString& path);
    // Writes every line back; false when the file cannot be written.
    bool Save(const QString& path) const;

    // The integer at the start of the value (sign and digits, as the platform's profile reader does),
    // 0 for a value that does not start with a number, `fallback` when the key is absent.
    int GetInt(const std::string& section, const std::string& key, int fallback) const;
    std::optional<std::string> GetString(const std::string& section, const std::string& key) const;
    void SetInt(const std::string& section, const std::string& key, int value);
    void SetString(const std::string& section, const std::string& key, const std::string& value);

private:
    struct Line {
        std::string key; // empty for comments and blank lines
        std::string value;
        std::string raw;
    };
    struct Section {
        std::string name;
        std::vector<Line> lines;
    };
    static bool IsBlank(const Line& line);
    Section* Find(const std::string& section);
    const Section* Find(const std::string& section) const;
    std::vector<Line> preamble_;
    std::vector<Section> sections_;
};

namespace SettingsFile {

inline constexpr const char* ToolBoxSection = "Dialog_toolbox";
inline constexpr const char* CanvasDialogSection = "Dialog_background";

// "%s/%s.ini" from the executable's folder and its name without the extension.
QString PathFor(const QString& executablePath);
// The settings file for this executable; when its folder cannot be written, the same name in
// `fallbackFolder` (the user's configuration folder by default).
QString Choose(const QString& executablePath, const QString& fallbackFolder = QString());

// The tool box's "筆圧" check box: 1 on, 0 off; a file without the key means on.
inline constexpr const char* PenPressureKey = "PenPressure";

// Where the dialogs open when the settings file holds no place for them (the first start): side by side
// at the right edge of `area`, the tool box outermost, both tops at the top of `area`. When they do not fit
// side by side the canvas dialog goes under the tool box; what fits nowhere stays inside `area` as far
// as it can. The sizes are the windows' frame sizes.
struct FirstStartPlaces {
    QPoint toolBox;
    QPoint canvasDialog;
};
FirstStartPlaces PlacesBeside(const QRect& area, QSize toolBox, QSize canvasDialog);

// Positions and shows (or hides) the two dialogs and loads the palette. `screen` is the primary screen's
// rectangle; an empty rectangle means the primary screen's geometry. A dialog whose section holds none
// of its keys opens shown at its place of `PlacesBeside` in `firstStartArea` (empty: `screen`).
// `penPressure`, when given, takes the state of the tool box's "筆圧" check box.
void Read(const QString& path, QWidget* toolBox, QWidget* canvasDialog, ColorButtonGrid* palette,
          QRect screen = QRect(), QRect firstStartArea = QRect(), bool* penPressure = nullptr);
// Stores both dialogs (each only when present), the palette and, when given, the "筆圧" state; false
// when the file cannot be written.
bool Write(const QString& path, const QWidget* toolBox, const QWidget* canvasDialog,
           const ColorButtonGrid* palette, std::optional<bool> penPressure = std::nullopt);

// The parts, for the callers that need only one.
// `firstStart` gives the corner for a frame of a size when the section holds no place.
void PlaceDialog(const ProfileFile& profile, const char* section, QWidget* dialog, QRect screen,
                 const std::function<QPoint(QSize)>& firstStart);
void StoreDialog(ProfileFile& profile, const char* section, const QWidget* dialog);
void LoadPalette(const ProfileFile& profile, ColorButtonGrid& palette);
void StorePalette(ProfileFile& profile, const ColorButtonGrid& palette);
bool LoadPenPressure(const ProfileFile& profile);
void StorePenPressure(ProfileFile& profile, bool on);

} // namespace SettingsFile
