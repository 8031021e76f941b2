// The main window listing the demo card (scripts/demo makes it; scripts/screenshots names it in
// VELK3_DEMO_CARD), or nothing at all. No drive of the machine that renders the picture is listed,
// and no unit.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPainter>

#include <chrono>
#include <cstdlib>

#include "Shots.h"
#include "controls/ImageButton.h"
#include "gui/ManagerDialog.h"

namespace {

std::unique_ptr<QWidget> Window(bool withCard) {
    const char* card = std::getenv("VELK3_DEMO_CARD");
    ManagerOptions options;
    if (withCard && card && *card) options.images.emplace_back(card);
    const std::string nowhere = QDir::temp().filePath(QStringLiteral("velk3-no-system")).toStdString();
    options.paths = SystemPaths{nowhere, nowhere, nowhere};
    return std::make_unique<CManagerDialog>(std::move(options));
}

std::unique_ptr<QWidget> MainWindow() { return Window(true); }
// Started with no card reader, no unit and no image.
std::unique_ptr<QWidget> EmptyWindow() { return Window(false); }

// The listing runs on the window's worker: the picture waits for it.
void WaitForListing(QWidget& widget) {
    constexpr auto kPatience = std::chrono::seconds(30);
    const auto until = std::chrono::steady_clock::now() + kPatience;
    while (!static_cast<CManagerDialog&>(widget).IsIdle() && std::chrono::steady_clock::now() < until)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

void OpenDeviceBox(QWidget& widget) {
    WaitForListing(widget);
    static_cast<CManagerDialog&>(widget).DeviceBox()->showPopup();
}

// The window with the device box's list drawn where it opened.
QPixmap WindowWithPopup(QWidget& widget) {
    QPixmap picture = widget.grab();
    QWidget* popup = static_cast<CManagerDialog&>(widget).DeviceBox()->view()->window();
    QPainter painter(&picture);
    painter.drawPixmap(widget.mapFromGlobal(popup->mapToGlobal(QPoint(0, 0))), popup->grab());
    return picture;
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
    return {{"main-window", MainWindow, nullptr},
            {"main-window-keyboard", MainWindow, FocusFormatDisk},
            {"main-window-empty", EmptyWindow, WaitForListing},
            {"device-box-open", MainWindow, OpenDeviceBox, WindowWithPopup}};
}
