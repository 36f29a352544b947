#include "app/SettingsFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QPointer>
#include <QSaveFile>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <cctype>
#include <climits>
#include <cstdio>
#include <functional>

#include "app/ToolWindows.h"
#include "toolbox/ColorButtonGrid.h"

namespace {

std::string Trim(const std::string& s) {
    std::size_t b = 0;
    std::size_t e = s.size();
    while (b < e && std::isspace(static_cast<unsigned char>(s[b]))) {
        ++b;
    }
    while (e > b && std::isspace(static_cast<unsigned char>(s[e - 1]))) {
        --e;
    }
    return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// Leading sign and digits; a number too large for an int saturates instead of wrapping.
int ParseLeadingInt(const std::string& text) {
    std::size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i]))) {
        value = std::min<long long>(value * 10 + (text[i] - '0'), static_cast<long long>(INT_MAX) + 1);
        ++i;
    }
    if (negative) {
        value = -value;
    }
    return static_cast<int>(std::clamp<long long>(value, INT_MIN, INT_MAX));
}

std::string KeyName(const char* pattern, int number) {
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, pattern, number);
    return buffer;
}

float StoredFraction(int value) {
    return std::clamp(static_cast<float>(value) / 100000.0f, 0.0f, 1.0f);
}

} // namespace

void ProfileFile::Load(const QString& path) {
    preamble_.clear();
    sections_.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return;
    }
    const QByteArray bytes = file.readAll();
    std::string text(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) {
            end = text.size();
        }
        std::string raw = text.substr(start, end - start);
        if (!raw.empty() && raw.back() == '\r') {
            raw.pop_back();
        }
        start = end + 1;
        const std::string trimmed = Trim(raw);
        if (trimmed.size() >= 2 && trimmed.front() == '[') {
            const std::size_t close = trimmed.find(']');
            const std::string name =
                Trim(trimmed.substr(1, close == std::string::npos ? std::string::npos : close - 1));
            sections_.push_back(Section{name, {}});
            continue;
        }
        Line line;
        line.raw = raw;
        const std::size_t eq = trimmed.find('=');
        if (!trimmed.empty() && trimmed.front() != ';' && eq != std::string::npos && eq > 0) {
            line.key = Trim(trimmed.substr(0, eq));
            line.value = Trim(trimmed.substr(eq + 1));
        }
        (sections_.empty() ? preamble_ : sections_.back().lines).push_back(line);
    }
}

bool ProfileFile::Save(const QString& path) const {
    std::string text;
    auto put = [&text](const Line& line) {
        text += line.key.empty() ? line.raw : line.key + "=" + line.value;
        text += "\r\n";
    };
    for (const Line& line : preamble_) {
        put(line);
    }
    for (const Section& section : sections_) {
        text += "[" + section.name + "]\r\n";
        for (const Line& line : section.lines) {
            put(line);
        }
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    if (file.write(text.data(), static_cast<qint64>(text.size())) != static_cast<qint64>(text.size())) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

bool ProfileFile::IsBlank(const Line& line) {
    return line.key.empty() && Trim(line.raw).empty();
}

ProfileFile::Section* ProfileFile::Find(const std::string& section) {
    for (Section& s : sections_) {
        if (SameName(s.name, section)) {
            return &s;
        }
    }
    return nullptr;
}

const ProfileFile::Section* ProfileFile::Find(const std::string& section) const {
    return const_cast<ProfileFile*>(this)->Find(section);
}

std::optional<std::string> ProfileFile::GetString(const std::string& section, const std::string& key) const {
    if (const Section* s = Find(section)) {
        for (const Line& line : s->lines) {
            if (!line.key.empty() && SameName(line.key, key)) {
                return line.value;
            }
        }
    }
    return std::nullopt;
}

int ProfileFile::GetInt(const std::string& section, const std::string& key, int fallback) const {
    const std::optional<std::string> value = GetString(section, key);
    return value ? ParseLeadingInt(*value) : fallback;
}

void ProfileFile::SetString(const std::string& section, const std::string& key, const std::string& value) {
    Section* s = Find(section);
    if (!s) {
        // Like the platform's writer, a new section is set off from the one before by a blank line.
        if (!sections_.empty() && !sections_.back().lines.empty() &&
            !IsBlank(sections_.back().lines.back())) {
            sections_.back().lines.push_back(Line{});
        }
        sections_.push_back(Section{section, {}});
        s = &sections_.back();
    }
    for (Line& line : s->lines) {
        if (!line.key.empty() && SameName(line.key, key)) {
            line.value = value;
            return;
        }
    }
    // New keys go after the section's last key, before any blank lines that separate it from the next.
    auto at = s->lines.end();
    while (at != s->lines.begin() && IsBlank(*std::prev(at))) {
        --at;
    }
    s->lines.insert(at, Line{key, value, {}});
}

void ProfileFile::SetInt(const std::string& section, const std::string& key, int value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%d", value);
    SetString(section, key, buffer);
}

namespace SettingsFile {

QString PathFor(const QString& executablePath) {
    const int slash = std::max(executablePath.lastIndexOf('/'), executablePath.lastIndexOf('\\'));
    const QString folder = slash >= 0 ? executablePath.left(slash) : QStringLiteral(".");
    const int dot = executablePath.lastIndexOf('.');
    const QString base =
        dot > slash ? executablePath.mid(slash + 1, dot - slash - 1) : executablePath.mid(slash + 1);
    return QStringLiteral("%1/%2.ini").arg(folder, base);
}

QString Choose(const QString& executablePath, const QString& fallbackFolder) {
    const QString preferred = PathFor(executablePath);
    const QFileInfo file(preferred);
    const QFileInfo folder(file.absolutePath());
    const bool writable = file.exists() ? file.isWritable() : (folder.isDir() && folder.isWritable());
    if (writable) {
        return preferred;
    }
    QString other = fallbackFolder;
    if (other.isEmpty()) {
        other = QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation);
    }
    QDir().mkpath(other);
    return QDir(other).filePath(file.fileName());
}

FirstStartPlaces PlacesBeside(const QRect& area, QSize toolBox, QSize canvasDialog) {
    const auto inside = [&area](QPoint p, QSize size) {
        p.setX(std::max(area.left(), std::min(p.x(), area.left() + area.width() - size.width())));
        p.setY(std::max(area.top(), std::min(p.y(), area.top() + area.height() - size.height())));
        return p;
    };
    FirstStartPlaces places;
    places.toolBox = inside(QPoint(area.left() + area.width() - toolBox.width(), area.top()), toolBox);
    const bool sideBySide = toolBox.width() + canvasDialog.width() <= area.width();
    const bool stacked = toolBox.height() + canvasDialog.height() <= area.height();
    if (sideBySide || !stacked) {
        places.canvasDialog = QPoint(places.toolBox.x() - canvasDialog.width(), area.top());
    } else {
        places.canvasDialog =
            QPoint(area.left() + area.width() - canvasDialog.width(), places.toolBox.y() + toolBox.height());
    }
    places.canvasDialog = inside(places.canvasDialog, canvasDialog);
    return places;
}

namespace {
// How long a window manager may take to frame a window that was just shown.
constexpr int FrameSettleMilliseconds = 300;

// The corner that puts a frame of this size wholly on the screen, as near to the stored corner as it can;
// a window larger than the screen keeps its top-left corner on it.
QPoint OnScreen(long long storedLeft, long long storedTop, QSize frame, const QRect& screen) {
    const long long w = frame.width();
    const long long h = frame.height();
    long long left = std::max<long long>(storedLeft, screen.left());
    if (left + w > screen.left() + static_cast<long long>(screen.width())) {
        left = screen.left() + static_cast<long long>(screen.width()) - w;
    }
    left = std::max<long long>(left, screen.left());
    long long top = std::max<long long>(storedTop, screen.top());
    if (top + h > screen.top() + static_cast<long long>(screen.height())) {
        top = screen.top() + static_cast<long long>(screen.height()) - h;
    }
    top = std::max<long long>(top, screen.top());
    return QPoint(static_cast<int>(left), static_cast<int>(top));
}
} // namespace

void PlaceDialog(const ProfileFile& profile, const char* section, QWidget* dialog, QRect screen,
                 const std::function<QPoint(QSize)>& firstStart) {
    if (!dialog) {
        return;
    }
    const bool stored = profile.GetString(section, "Top") || profile.GetString(section, "Left") ||
                        profile.GetString(section, "Display");
    const long long storedTop = profile.GetInt(section, "Top", 0);
    const long long storedLeft = profile.GetInt(section, "Left", 0);
    const bool display = !stored || profile.GetInt(section, "Display", 0) != 0;
    const std::function<QPoint(QSize)> corner = [=](QSize frame) {
        return stored ? OnScreen(storedLeft, storedTop, frame, screen) : firstStart(frame);
    };
    // The stored corner is the frame's, and move() places the frame: a window placed before it is first
    // shown is framed there by the window manager, so it comes back exactly where it was. Until then its
    // frame size is a guess; once the frame is known the corner is worked out again with it.
    const QSize expected = ToolWindow::ExpectedFrameSize(*dialog);
    dialog->move(corner(expected));
    if (!display) {
        dialog->hide();
        return;
    }
    dialog->showNormal();
    // Some platforms frame a window as it is shown, a window manager does it a moment later.
    const auto settle = [dialog, expected, corner] {
        const QSize framed = dialog->frameGeometry().size();
        if (dialog->isVisible() && framed != dialog->size() && framed != expected) {
            dialog->move(corner(framed));
        }
    };
    settle();
    QTimer::singleShot(FrameSettleMilliseconds, dialog, settle);
}

void StoreDialog(ProfileFile& profile, const char* section, const QWidget* dialog) {
    if (!dialog) {
        return;
    }
    const QRect frame = dialog->frameGeometry();
    profile.SetInt(section, "Top", frame.top());
    profile.SetInt(section, "Left", frame.left());
    const bool shown = dialog->isVisible() && !dialog->isMinimized();
    profile.SetInt(section, "Display", shown ? 1 : 0);
}

void LoadPalette(const ProfileFile& profile, ColorButtonGrid& palette) {
    int n = 0;
    for (const GridCell& at : palette.KeyOrder()) {
        const int flag = profile.GetInt(ToolBoxSection, KeyName("ColorButton%02d-flag", n), -1);
        if (flag == -1) {
            continue;
        }
        ColorButton& cell = palette.Cell(at.row, at.column);
        cell.used = flag != 0 ? 1 : 0;
        cell.hue = StoredFraction(profile.GetInt(ToolBoxSection, KeyName("ColorButton%02d-H", n), 0));
        cell.lightness = StoredFraction(profile.GetInt(ToolBoxSection, KeyName("ColorButton%02d-L", n), 0));
        cell.saturation = StoredFraction(profile.GetInt(ToolBoxSection, KeyName("ColorButton%02d-S", n), 0));
        ++n;
    }
}

void StorePalette(ProfileFile& profile, const ColorButtonGrid& palette) {
    int n = 0;
    for (const GridCell& at : palette.KeyOrder()) {
        const ColorButton& cell = palette.Cell(at.row, at.column);
        profile.SetInt(ToolBoxSection, KeyName("ColorButton%02d-flag", n), cell.used);
        profile.SetInt(ToolBoxSection, KeyName("ColorButton%02d-H", n),
                       static_cast<int>(cell.hue * 100000.0f));
        profile.SetInt(ToolBoxSection, KeyName("ColorButton%02d-L", n),
                       static_cast<int>(cell.lightness * 100000.0f));
        profile.SetInt(ToolBoxSection, KeyName("ColorButton%02d-S", n),
                       static_cast<int>(cell.saturation * 100000.0f));
        ++n;
    }
}

bool LoadPenPressure(const ProfileFile& profile) {
    return profile.GetInt(ToolBoxSection, PenPressureKey, 1) != 0;
}

void StorePenPressure(ProfileFile& profile, bool on) {
    profile.SetInt(ToolBoxSection, PenPressureKey, on ? 1 : 0);
}

void Read(const QString& path, QWidget* toolBox, QWidget* canvasDialog, ColorButtonGrid* palette,
          QRect screen, QRect firstStartArea, bool* penPressure) {
    if (screen.isEmpty()) {
        if (const QScreen* primary = QGuiApplication::primaryScreen()) {
            screen = primary->geometry();
        }
    }
    if (firstStartArea.isEmpty()) {
        firstStartArea = screen;
    }
    const auto frameSize = [](const QPointer<QWidget>& w) {
        return w ? ToolWindow::ExpectedFrameSize(*w) : QSize();
    };
    const QPointer<QWidget> tool(toolBox);
    const QPointer<QWidget> other(canvasDialog);
    ProfileFile profile;
    profile.Load(path);
    PlaceDialog(profile, ToolBoxSection, toolBox, screen,
                [=](QSize frame) { return PlacesBeside(firstStartArea, frame, frameSize(other)).toolBox; });
    PlaceDialog(profile, CanvasDialogSection, canvasDialog, screen, [=](QSize frame) {
        return PlacesBeside(firstStartArea, frameSize(tool), frame).canvasDialog;
    });
    if (palette) {
        LoadPalette(profile, *palette);
    }
    if (penPressure) {
        *penPressure = LoadPenPressure(profile);
    }
}

bool Write(const QString& path, const QWidget* toolBox, const QWidget* canvasDialog,
           const ColorButtonGrid* palette, std::optional<bool> penPressure) {
    ProfileFile profile;
    profile.Load(path);
    StoreDialog(profile, ToolBoxSection, toolBox);
    StoreDialog(profile, CanvasDialogSection, canvasDialog);
    if (palette) {
        StorePalette(profile, *palette);
    }
    if (penPressure) {
        StorePenPressure(profile, *penPressure);
    }
    return profile.Save(path);
}

} // namespace SettingsFile
