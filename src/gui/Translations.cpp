#include "gui/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

#include "platform/Translatable.h"

namespace {

const char* const kCatalogue = "velk3-manager";
const char* const kQtCatalogue = "qtbase";
const char* const kBuiltIn = ":/translations";

// Loads the catalogue in the locale's first language that has one; the translator stays with app.
QString Install(QCoreApplication& app, const QLocale& locale, const char* catalogue, const QString& directory) {
    auto* translator = new QTranslator(&app);
    if (!translator->load(locale, QString::fromLatin1(catalogue), QStringLiteral("_"), directory)) {
        delete translator;
        return {};
    }
    QCoreApplication::installTranslator(translator);
    return translator->filePath();
}

}  // namespace

// Outside any namespace, as Q_INIT_RESOURCE needs.
static void LinkBuiltInTranslations() { Q_INIT_RESOURCE(velk3_translations); }

QStringList InstallTranslations(QCoreApplication& app, const QLocale& locale) {
    LinkBuiltInTranslations();
    QStringList loaded;
    for (const QString& file :
         {Install(app, locale, kCatalogue, QString::fromLatin1(kBuiltIn)),
          Install(app, locale, kQtCatalogue, QLibraryInfo::path(QLibraryInfo::TranslationsPath))}) {
        if (!file.isEmpty()) loaded << file;
    }
    return loaded;
}

QString CoreText(const char* text) { return QCoreApplication::translate(kCoreTextContext, text); }

QString CoreText(const MessageText& text) {
    return QString::fromStdString(text.Render([](const std::string& pattern) {
        return pattern.empty() || pattern == "\n" ? pattern : CoreText(pattern.c_str()).toStdString();
    }));
}
