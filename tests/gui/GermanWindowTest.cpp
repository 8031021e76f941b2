// The window as a German user starts it (CMake runs this with LANGUAGE=de): the translations are
// found and loaded at start, screen readers read German names, the core's questions and status
// texts arrive in German, and Qt's own buttons follow.
#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

#include "controls/ControlList.h"
#include "fakes/FakeUsb.h"
#include "controls/ImageButton.h"
#include "gui/ManagerWindowFixture.h"
#include "gui/SchedulePreviewPane.h"
#include "gui/ScheduleWeekView.h"
#include "gui/SchedulerDialog.h"
#include "gui/Translations.h"

namespace {

QString NameOf(QWidget* widget) {
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
    return accessible ? accessible->text(QAccessible::Name) : QString();
}

}  // namespace

class GermanWindowTest : public QObject {
    Q_OBJECT
private slots:
    void initTestCase();
    void ScreenReadersReadGermanNames();
    void TheCoresQuestionsAndQtsButtonsAreGerman();
    void AFailedWriteIsGermanDownToTheDevicesTextAroundItsNumbers();
    void TheScheduleDialogIsGerman();
};

void GermanWindowTest::initTestCase() {
    const QStringList loaded = InstallTranslations(*qApp);
    QCOMPARE(loaded.size(), 2);
    QCOMPARE(loaded[0], QStringLiteral(":/translations/velk3-manager_de.qm"));  // built in: no directory needed
    QVERIFY2(loaded[1].endsWith(QStringLiteral("qtbase_de.qm")), qPrintable(loaded.join(u' ')));
}

void GermanWindowTest::ScreenReadersReadGermanNames() {
    CWindowWorld world;
    const auto window = world.Window({world.MakeCard("card.img", {Track("A", 8, 0, 0)})}, true);
    const std::pair<QWidget*, const char*> names[] = {
        {window->RefreshButton(), "Aktualisieren"},      {window->RoutineList(), "Routinen"},
        {window->StatusBox(), "Status"},                 {window->AddButton(), "Routine hinzufügen..."},
        {window->RemoveButton(), "Letzte Routine entfernen"}, {window->FormatButton(), "Karte formatieren"},
        {window->SchedulesButton(), "Zeitpläne bearbeiten..."}, {window->FirmwareButton(), "Firmware laden..."},
        {window->ExitButton(), "Beenden"},
    };
    for (const auto& [widget, name] : names) QCOMPARE(NameOf(widget), QString::fromUtf8(name));
    // On Linux a combo box is read by its text and its label's name.
    QCOMPARE(window->DeviceBox()->accessibleName(), QStringLiteral("Aktuelles Gerät"));
    QCOMPARE(window->RoutineList()->model()->headerData(2, Qt::Horizontal).toString(), QStringLiteral("Größe (MB)"));
    QCOMPARE(window->StatusBox()->text(), QStringLiteral("Bereit"));  // the core's "Ready"
}

void GermanWindowTest::TheCoresQuestionsAndQtsButtonsAreGerman() {
    CWindowWorld world;
    const std::string card = world.MakeCard("card.img", {Track("A", 8, 0, 0)});
    const auto window = world.Window({card});
    QStringList buttons;
    world.boxes.whileOpen = [&] {
        for (QAbstractButton* button : qobject_cast<QMessageBox*>(QApplication::activeModalWidget())->buttons())
            buttons << button->text();
    };
    window->RemoveButton()->click();
    world.Settle(*window);
    QCOMPARE(world.boxes.Texts(), std::vector<std::string>{"Möchten Sie die letzte Spur wirklich entfernen?"});
    QCOMPARE(world.boxes.seen[0].caption, std::string("Bestätigen"));
    buttons.sort();
    QCOMPARE(buttons, (QStringList{"&Ja", "&Nein"}));

    // A question naming the device is translated before the name is filled in.
    const std::string image = world.MakeCard("image.img", {Track("B", 8, 0, 0)});
    window->SetFileChooser([&](const QString&, const QString&) { return QString::fromStdString(image); });
    window->OnRestore();
    world.Settle(*window);
    QVERIFY(world.boxes.Texts().back().rfind("Beim Wiederherstellen des Abbilds auf " + card + " wird", 0) == 0);
}

void GermanWindowTest::AFailedWriteIsGermanDownToTheDevicesTextAroundItsNumbers() {
    CWindowWorld world;
    constexpr int kUnit = 3;
    world.PlugUnit(kUnit, world.MakeCard("unit.img", {Track("A", 8, 0, 0)}));
    const auto window = world.Window();
    fakeusb::Inject(fakeusb::Fault::FailBulk, 3, -110, kUnit, 5);  // every attempt at the first write
    const std::string routine = world.MakeRoutine("short.velk", 4);
    window->SetFileChooser([&](const QString&, const QString&) { return QString::fromStdString(routine); });
    QSignalSpy finished(window.get(), &CManagerDialog::workFinished);
    window->AddButton()->click();
    QVERIFY(finished.wait(60000));
    QCOMPARE(world.boxes.Texts(), std::vector<std::string>{"Die Routine konnte nicht auf die Karte geschrieben werden. "
                                                           "Die Karte behält ihre bisherigen Routinen."});
    QVERIFY2(world.boxes.seen[0].details.rfind("writeSector: Sektor kann nicht geschrieben werden (err=-110, ", 0) == 0,
             world.boxes.seen[0].details.c_str());
}

void GermanWindowTest::TheScheduleDialogIsGerman() {
    CSchedulerDialog dialog({}, 1);
    QCOMPARE(dialog.windowTitle(), QStringLiteral("Zeitplan"));
    QStringList titles;
    for (int column = 0; column < dialog.Grid()->GetColumnCount(); ++column)
        titles << dialog.Grid()->model()->headerData(column, Qt::Horizontal).toString();
    QCOMPARE(titles, (QStringList{"Spur", "Minuten", "Stunden", "Wochentage", "Tage im Monat", "Monate"}));
    QCOMPARE(NameOf(dialog.CancelButton()), QStringLiteral("Abbrechen"));
    QCOMPARE(dialog.PreviewPane()->tabText(0), QStringLiteral("Nächste Wiedergaben"));
    QCOMPARE(NameOf(dialog.PreviewPane()->WeekView()), QStringLiteral("Woche"));

    // The notes come from the core, in German.
    ScheduleEntry april31;
    april31.daysOfMonth.insert(31);
    april31.months.insert(4);
    CSchedulerDialog never({april31, ScheduleEntry{}, ScheduleEntry{}}, 1);
    QTRY_COMPARE(never.Grid()->GetRowNote(0), QStringLiteral("spielt nie"));
    QTRY_COMPARE(never.Grid()->GetRowNote(1), QStringLiteral("gleiche Minute wie Zeitplan 2"));
}

QTEST_MAIN(GermanWindowTest)
#include "GermanWindowTest.moc"
