#pragma once
// Qt's own Japanese texts for the dialogs the platform provides (file and colour dialogs, standard
// buttons), loaded whatever the session's locale, since the whole interface is Japanese.

class QCoreApplication;
class QTranslator;

// Installs the translation into the application, which owns it, and makes Japanese the default locale,
// so that the dialogs also write dates and sizes the Japanese way; nullptr when no translation file was
// found (the dialogs then keep Qt's English texts). Looked for in "translations" beside the executable,
// then in Qt's translations folder.
QTranslator* InstallJapaneseTranslations(QCoreApplication& app);
