// velk3_screenshots [--scale N] [--dark] [--language LANG] [--show SECONDS] OUTPUT_DIR [SHOT...]
// Writes OUTPUT_DIR/SHOT.png (SHOT-LANG.png in another language, SHOT-dark.png under a dark
// desktop palette, SHOT@Nx.png when scaled) for every shot, or for the ones named. The pictures
// are English whatever the machine's locale unless a language is named. With --show the widgets
// also stay on the display that long, for a capture of the real screen.
#include <QApplication>
#include <QDir>
#include <QPalette>
#include <QStringList>
#include <QStyleFactory>
#include <QTimer>

#include <cstdio>

#include "Shots.h"
#include "gui/Translations.h"

namespace {

std::vector<Shot> AllShots() {
    std::vector<Shot> shots = ControlShots();
    for (Shot& shot : WindowShots()) shots.push_back(std::move(shot));
    return shots;
}

void SettleEvents() {
    constexpr int kRounds = 3;
    for (int round = 0; round < kRounds; ++round) QCoreApplication::processEvents();
}

struct Options {
    QString suffix;
    bool dark = false;
    QString language;
    int showSeconds = 0;
    QString output;
    QStringList names;
};

bool ParseOptions(QStringList args, Options& options) {
    while (args.size() >= 2 && args[0].startsWith(QStringLiteral("--"))) {
        if (args[0] == QStringLiteral("--dark")) {
            options.dark = true;
            args = args.mid(1);
            continue;
        }
        if (args[0] == QStringLiteral("--scale")) {
            qputenv("QT_SCALE_FACTOR", args[1].toLocal8Bit());  // before the application exists
            options.suffix = QStringLiteral("@%1x").arg(args[1]);
        } else if (args[0] == QStringLiteral("--language")) {
            options.language = args[1];
        } else if (args[0] == QStringLiteral("--show")) {
            options.showSeconds = args[1].toInt();
        } else {
            return false;
        }
        args = args.mid(2);
    }
    if (args.isEmpty()) return false;
    options.output = args.takeFirst();
    options.names = args;
    if (options.dark) options.suffix.prepend(QStringLiteral("-dark"));
    if (!options.language.isEmpty()) options.suffix.prepend(QStringLiteral("-") + options.language);
    return true;
}

// A dark desktop as a user may choose it: Fusion with dark window, base and button colours.
void UseDarkPalette() {
    QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    const QColor window(0x35, 0x35, 0x35), base(0x24, 0x24, 0x24), text(0xE8, 0xE8, 0xE8), grey(0x80, 0x80, 0x80);
    QPalette dark(window);  // button and window colours, and the light and dark shades derived from them
    dark.setColor(QPalette::WindowText, text);
    dark.setColor(QPalette::Base, base);
    dark.setColor(QPalette::AlternateBase, window);
    dark.setColor(QPalette::Text, text);
    dark.setColor(QPalette::ButtonText, text);
    dark.setColor(QPalette::ToolTipBase, base);
    dark.setColor(QPalette::ToolTipText, text);
    dark.setColor(QPalette::PlaceholderText, grey);
    dark.setColor(QPalette::Highlight, QColor(0x2A, 0x82, 0xDA));
    dark.setColor(QPalette::HighlightedText, Qt::white);
    dark.setColor(QPalette::Link, QColor(0x4A, 0xA0, 0xF0));
    for (const QPalette::ColorRole role : {QPalette::WindowText, QPalette::Text, QPalette::ButtonText})
        dark.setColor(QPalette::Disabled, role, grey);
    QApplication::setPalette(dark);
}

}  // namespace

int main(int argc, char* argv[]) {
    QStringList args;
    for (int index = 1; index < argc; ++index) args << QString::fromLocal8Bit(argv[index]);
    Options options;
    if (!ParseOptions(args, options)) {
        std::fputs("usage: velk3_screenshots [--scale N] [--show SECONDS] OUTPUT_DIR [SHOT...]\n", stderr);
        return 2;
    }
    QApplication app(argc, argv);
    if (options.dark) UseDarkPalette();
    if (!options.language.isEmpty()) QLocale::setDefault(QLocale(options.language));  // dates as well as words
    if (!options.language.isEmpty() && InstallTranslations(app, QLocale(options.language)).isEmpty()) {
        std::fprintf(stderr, "no translation into %s is built in\n", qPrintable(options.language));
        return 1;
    }
    const QDir output(options.output);
    std::vector<std::unique_ptr<QWidget>> shown;
    int failures = 0;
    for (const Shot& shot : AllShots()) {
        const QString name = QString::fromLatin1(shot.name);
        if (!options.names.isEmpty() && !options.names.contains(name)) continue;
        std::unique_ptr<QWidget> widget = shot.build();
        widget->show();
        SettleEvents();
        if (shot.prepare) shot.prepare(*widget);
        SettleEvents();
        const QString path = output.filePath(name + options.suffix + QStringLiteral(".png"));
        const QPixmap picture = shot.grab ? shot.grab(*widget) : widget->grab();
        if (picture.save(path)) {
            std::printf("%s\n", qPrintable(path));
        } else {
            std::fprintf(stderr, "could not write %s\n", qPrintable(path));
            ++failures;
        }
        shown.push_back(std::move(widget));
    }
    if (options.showSeconds > 0) {
        constexpr int kMillisecondsPerSecond = 1000;
        QTimer::singleShot(options.showSeconds * kMillisecondsPerSecond, &app, &QApplication::quit);
        app.exec();
    }
    return failures == 0 ? 0 : 1;
}
