#pragma once
// The window in the user's language: its own texts and Qt's (the file dialog, the message boxes'
// buttons), from the first of the user's languages that has a translation (LANGUAGE, then
// LC_ALL, LC_MESSAGES, LANG, as the locale lists them). English, the texts' own language, needs
// none. The window's catalogues are built into the program (:/translations), so a program run
// from the build tree speaks the language as the installed one does; Qt's come from Qt.
#include <QLocale>
#include <QStringList>

#include "platform/MessageText.h"

class QCoreApplication;

// Installs the translators on app (which owns them) before the first window is made; returns
// the files loaded, for the log and the tests.
QStringList InstallTranslations(QCoreApplication& app, const QLocale& locale = QLocale());

// A text of the core in the user's language: a marked one translated, any other (one with a file
// name or a system message in it) as it is.
QString CoreText(const char* text);
// Each marked pattern of text translated, then its places filled.
QString CoreText(const MessageText& text);
