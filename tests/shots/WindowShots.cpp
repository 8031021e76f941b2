// The main window listing the demo card (scripts/demo makes it; scripts/screenshots names it in
// VELK3_DEMO_CARD), a card of three routines made here, or nothing at all. No drive of the
// machine that renders the picture is listed, and no unit.
#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QDir>
#include <QMenu>
#include <QPainter>

#include <chrono>
#include <cstdio>
#include <cstdlib>

#include "Shots.h"
#include "controls/ControlList.h"
#include "controls/ImageButton.h"
#include "devices/ImageFile.h"
#include "disk/VelkDisk.h"
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

// A card of three routines, under a short path that reads well in the picture; made again for
// every picture, so a picture shows no edit of an earlier one.
std::string RoutinesCard() {
    struct Routine {
        const char* title;
        uint32_t audioSectors, dataSectors;
        uint8_t frameMs, baud, protocol;
    };
    const Routine routines[] = {{"Chimes", 2300, 160, 20, 2, 0}, {"Parade", 6600, 380, 25, 7, 16}, {"Finale", 4100, 210, 30, 5, 5}};
    constexpr uint64_t kCardSectors = 131072;  // 64 MB
    QDir().mkpath(QDir::temp().filePath(QStringLiteral("demo")));
    const std::string path = QDir::temp().filePath(QStringLiteral("demo/routines.img")).toStdString();
    std::remove(path.c_str());
    CImageFile::Create(path, kCardSectors);
    CImageFile card;
    card.Open(CImageFile::EntryFor(path));
    CVelkDisk disk(card);
    disk.Read();
    disk.Format();
    uint32_t next = 1;
    for (const Routine& routine : routines) {
        TrackEntry track;
        track.SetTitle(routine.title);
        track.audioStart = next;
        track.dataStart = next + routine.audioSectors;
        track.endSector = track.dataStart + routine.dataSectors;
        track.frameMs = routine.frameMs;
        track.baudCode = routine.baud;
        track.protocolCode = routine.protocol;
        next = track.endSector;
        disk.AppendTrack(track);
    }
    disk.WriteTable();
    card.Close();
    return path;
}

std::unique_ptr<QWidget> RoutinesWindow() {
    ManagerOptions options;
    options.images.push_back(RoutinesCard());
    const std::string nowhere = QDir::temp().filePath(QStringLiteral("velk3-no-system")).toStdString();
    options.paths = SystemPaths{nowhere, nowhere, nowhere};
    return std::make_unique<CManagerDialog>(std::move(options));
}

// A right click on the second routine, the mouse on Move Up.
void OpenRoutineMenu(QWidget& widget) {
    WaitForListing(widget);
    auto& window = static_cast<CManagerDialog&>(widget);
    CControlList& list = *window.RoutineList();
    const QPoint at = list.visualRect(list.model()->index(1, 1)).center();
    QContextMenuEvent click(QContextMenuEvent::Mouse, at, list.viewport()->mapToGlobal(at));
    QCoreApplication::sendEvent(list.viewport(), &click);
    QMenu* menu = window.RoutineEditing()->Menu();
    menu->setActiveAction(menu->actions().at(1));
}

QPixmap WindowWithRoutineMenu(QWidget& widget) {
    QPixmap picture = widget.grab();
    QMenu* menu = static_cast<CManagerDialog&>(widget).RoutineEditing()->Menu();
    QPainter painter(&picture);
    painter.drawPixmap(widget.mapFromGlobal(menu->mapToGlobal(QPoint(0, 0))), menu->grab());
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
            {"device-box-open", MainWindow, OpenDeviceBox, WindowWithPopup},
            {"routine-menu", RoutinesWindow, OpenRoutineMenu, WindowWithRoutineMenu}};
}
