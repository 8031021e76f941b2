// The first size of the main window and the schedule dialog on a 1366 x 768 screen, run once at
// 100 % and once at 150 % (CMake gives the offscreen platform that screen and the scale): the
// whole window, with a title bar, fits beside a desktop panel, and the routine list keeps rows to
// show. The offscreen platform knows no panels, so its screen is the 1366 x 768 one less a panel
// of 48 device pixels (GNOME's top bar at 150 %).
#include <QApplication>
#include <QHeaderView>
#include <QScreen>
#include <QTest>

#include "controls/ControlList.h"
#include "gui/ManagerWindowFixture.h"
#include "gui/SchedulerDialog.h"

namespace {

constexpr int kScreenWidth = 1366;
constexpr int kScreenHeight = 768 - 48;
constexpr int kRowsAtLeast = 5;

// A window manager's title bar (GNOME's is about 37 pixels at any scale); the offscreen platform
// draws none.
constexpr int kTitleBar = 40;

bool FitsTheScreen(const QWidget& window) {
    const QSize room = QGuiApplication::primaryScreen()->availableGeometry().size();
    const QSize needed = window.frameGeometry().size() + QSize(0, kTitleBar);
    qInfo() << window.metaObject()->className() << needed << "in" << room;
    return needed.width() <= room.width() && needed.height() <= room.height();
}

}  // namespace

class WindowSizeTest : public QObject {
    Q_OBJECT
private slots:
    void TheScreenIsTheOneAsked();
    void MainWindowFitsTheScreen();
    void ScheduleDialogFitsTheScreen();
};

void WindowSizeTest::TheScreenIsTheOneAsked() {
    const QScreen* screen = QGuiApplication::primaryScreen();
    const qreal ratio = screen->devicePixelRatio();
    QVERIFY(qAbs(screen->geometry().width() * ratio - kScreenWidth) <= 1);  // logical pixels are whole
    QVERIFY(qAbs(screen->geometry().height() * ratio - kScreenHeight) <= 1);
    QCOMPARE(ratio, qEnvironmentVariable("QT_SCALE_FACTOR", "1").toDouble());
}

void WindowSizeTest::MainWindowFitsTheScreen() {
    CWindowWorld world;
    std::vector<TrackEntry> tracks;
    for (int i = 0; i < 40; ++i) tracks.push_back(Track("Routine", 8, 0, 0));
    const auto window = world.Window({world.MakeCard("card.img", tracks)}, true);
    window->show();
    QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    QVERIFY(FitsTheScreen(*window));
    const CControlList& list = *window->RoutineList();
    QVERIFY(list.viewport()->height() >= kRowsAtLeast * list.verticalHeader()->defaultSectionSize());
}

void WindowSizeTest::ScheduleDialogFitsTheScreen() {
    CSchedulerDialog dialog({}, 3);
    dialog.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dialog));
    QVERIFY(FitsTheScreen(dialog));
}

QTEST_MAIN(WindowSizeTest)
#include "WindowSizeTest.moc"
