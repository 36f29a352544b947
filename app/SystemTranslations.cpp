#include "app/SystemTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QStringList>
#include <QTranslator>

QTranslator* InstallJapaneseTranslations(QCoreApplication& app) {
    const QStringList folders = {QCoreApplication::applicationDirPath() + QStringLiteral("/translations"),
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)};
    auto* translator = new QTranslator(&app);
    for (const QString& folder : folders) {
        if (translator->load(QStringLiteral("qtbase_ja"), folder) &&
            QCoreApplication::installTranslator(translator)) {
            QLocale::setDefault(QLocale(QLocale::Japanese, QLocale::Japan));
            return translator;
        }
    }
    delete translator;
    return nullptr;
}
