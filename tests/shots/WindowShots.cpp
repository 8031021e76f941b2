// The main window listing the demo card (scripts/demo makes it; scripts/screenshots names it in
// VELK3_DEMO_CARD). No drive of the machine that renders the picture is listed, and no unit.
#include <QApplication>
#include <QDir>

#include <cstdlib>

#include "Shots.h"
#include "controls/ImageButton.h"
#include "gui/ManagerDialog.h"

namespace {

std::unique_ptr<QWidget> MainWindow() {
    const char* card = std::getenv("VELK3_DEMO_CARD");
    ManagerOptions options;
    if (card && *card) options.images.emplace_back(card);
    const std::string nowhere = QDir::temp().filePath(QStringLiteral("velk3-no-system")).toStdString();
    options.paths = SystemPaths{nowhere, nowhere, nowhere};
    return std::make_unique<CManagerDialog>(std::move(options));
}

// As after Tab: the focus frame shows only once the keyboard has moved the focus.
void FocusFormatDisk(QWidget& widget) {
    auto& window = static_cast<CManagerDialog&>(widget);
    QApplication::setActiveWindow(&window);
    window.setAttribute(Qt::WA_KeyboardFocusChange);
    window.FormatButton()->setFocus(Qt::TabFocusReason);
}

}  // namespace

std::vector<Shot> WindowShots() {
    return {{"main-window", MainWindow, nullptr}, {"main-window-keyboard", MainWindow, FocusFormatDisk}};
}
