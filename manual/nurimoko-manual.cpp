// nurimoko-manual: typesets the manual's HTML source with its pictures into a PDF file.
//
//   nurimoko-manual SOURCE.html PICTURE_FOLDER OUTPUT.pdf
//
// Every picture the source names must exist in the picture folder; a missing one fails the build
// rather than leaving an empty frame in the manual.

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPageSize>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QSet>
#include <QTextDocument>
#include <QUrl>

#include <cstdio>

namespace {

// Japanese text needs a CJK face; the first one installed is used.
QString ChooseFontFamily() {
    const QStringList families = QFontDatabase::families();
    for (const char* wanted : {"Noto Sans CJK JP", "Noto Sans JP", "IPAexGothic", "IPAGothic"}) {
        const QString name = QString::fromLatin1(wanted);
        if (families.contains(name)) {
            return name;
        }
    }
    return QString();
}

const char* StyleSheet = R"(
h1 { font-size: 20pt; color: #803020; margin-top: 0px; margin-bottom: 8px; }
h2 { font-size: 15pt; color: #803020; margin-top: 6px; margin-bottom: 6px; page-break-before: always; }
h3 { font-size: 12pt; color: #304070; margin-top: 14px; margin-bottom: 4px; }
p { margin-top: 3px; margin-bottom: 5px; line-height: 140%; }
td, th { padding: 3px; }
th { background-color: #efe8dc; }
.guide { color: #304070; }
.cover { text-align: center; }
)";

} // namespace

int main(int argc, char** argv) {
    // Typesetting needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: nurimoko-manual SOURCE.html PICTURE_FOLDER OUTPUT.pdf\n");
        return 2;
    }
    QFile source(args[1]);
    if (!source.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "nurimoko-manual: cannot read %s\n", qPrintable(args[1]));
        return 1;
    }
    const QString html = QString::fromUtf8(source.readAll());
    const QDir pictures(args[2]);

    QTextDocument document;
    const QString family = ChooseFontFamily();
    if (family.isEmpty()) {
        std::fprintf(stderr, "nurimoko-manual: warning: no Japanese font found (install fonts-noto-cjk)\n");
    }
    QFont font(family.isEmpty() ? QStringLiteral("Sans Serif") : family);
    font.setPointSizeF(10.0);
    document.setDefaultFont(font);
    document.setDefaultStyleSheet(QString::fromUtf8(StyleSheet));

    const QRegularExpression imageSource(QStringLiteral(R"re(<img[^>]*\bsrc="([^"]+)")re"));
    QSet<QString> loaded;
    for (auto it = imageSource.globalMatch(html); it.hasNext();) {
        const QString name = it.next().captured(1);
        if (loaded.contains(name)) {
            continue;
        }
        const QImage image(pictures.filePath(name));
        if (image.isNull()) {
            std::fprintf(stderr, "nurimoko-manual: missing picture %s\n",
                         qPrintable(pictures.filePath(name)));
            return 1;
        }
        document.addResource(QTextDocument::ImageResource, QUrl(name), image);
        loaded.insert(name);
    }
    document.setHtml(html);

    const QString output = args[3];
    const QString partial = output + QStringLiteral(".part");
    {
        QPdfWriter writer(partial);
        writer.setTitle(QStringLiteral("「ヌリモコ」説明書"));
        writer.setCreator(QStringLiteral("ヌリモコ"));
        writer.setResolution(300);
        writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                         QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter));
        document.print(&writer);
    }
    // The finished file replaces the old one only once it is complete.
    if (QFileInfo(partial).size() == 0) {
        std::fprintf(stderr, "nurimoko-manual: cannot write %s\n", qPrintable(output));
        QFile::remove(partial);
        return 1;
    }
    QFile::remove(output);
    if (!QFile::rename(partial, output)) {
        std::fprintf(stderr, "nurimoko-manual: cannot write %s\n", qPrintable(output));
        QFile::remove(partial);
        return 1;
    }
    return 0;
}
