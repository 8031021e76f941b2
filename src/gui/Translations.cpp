#include "gui/Translations.h"

#include <QCoreApplication>
#include <QDir>
#include <QLibraryInfo>
#include <QTranslator>

#include "platform/Translatable.h"

namespace {

const char* const kCatalogue = "velk3-manager";
const char* const kQtCatalogue = "qtbase";

QStringList Directories() {
    QStringList directories;
    const QString chosen = qEnvironmentVariable("VELK3_TRANSLATIONS_DIR");
    if (!chosen.isEmpty()) directories << chosen;
    directories << QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("../share/velk3-manager/translations"))
                << QStringLiteral(VELK3_TRANSLATIONS_INSTALL_DIR);
    return directories;
}

// Loads the catalogue in the locale's first language that has one; the translator stays with app.
QString Install(QCoreApplication& app, const QLocale& locale, const char* catalogue, const QStringList& directories) {
    for (const QString& directory : directories) {
        auto* translator = new QTranslator(&app);
        if (translator->load(locale, QString::fromLatin1(catalogue), QStringLiteral("_"), directory)) {
            QCoreApplication::installTranslator(translator);
            return translator->filePath();
        }
        delete translator;
    }
    return {};
}

}  // namespace

QStringList InstallTranslations(QCoreApplication& app, const QLocale& locale) {
    QStringList loaded;
    for (const QString& file : {Install(app, locale, kCatalogue, Directories()),
                                Install(app, locale, kQtCatalogue, {QLibraryInfo::path(QLibraryInfo::TranslationsPath)})}) {
        if (!file.isEmpty()) loaded << file;
    }
    return loaded;
}

QString CoreText(const char* text) { return QCoreApplication::translate(kCoreTextContext, text); }
