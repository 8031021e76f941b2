#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "controls/TimeEditCtrl.h"

namespace {

QStringList FieldTexts(const CTimeEditCtrl& time) {
    return {time.Field(0)->text(), time.Field(1)->text(), time.Field(2)->text()};
}

}  // namespace

class TimeEditCtrlTest : public QObject {
    Q_OBJECT
private slots:
    void SetTextNeedsThreeNumbers();
    void GetTextPadsAndClamps();
    void ArrowsStepTheFocusedFieldWithinItsRange();
    void TabAndShiftTabWalkTheFieldsThenLeave();
    void FieldsAreNamedForScreenReaders();
};

void TimeEditCtrlTest::SetTextNeedsThreeNumbers() {
    struct Case {
        const char* text;
        QStringList fields;
        const char* got;
    };
    const Case cases[] = {
        {"1:2:3", {"1", "2", "3"}, "01:02:03"},
        {"12:34", {"0", "0", "0"}, "00:00:00"},
        {"::5:6:7", {"5", "6", "7"}, "05:06:07"},
        {"1:2:3:4", {"1", "2", "3"}, "01:02:03"},
        {"7:x:09", {"7", "0", "9"}, "07:00:09"},
        {"", {"0", "0", "0"}, "00:00:00"},
    };
    for (const Case& c : cases) {
        CTimeEditCtrl time;
        time.SetText(QString::fromLatin1(c.text));
        QCOMPARE(FieldTexts(time), c.fields);
        QCOMPARE(time.GetText(), QString::fromLatin1(c.got));
    }
}

void TimeEditCtrlTest::GetTextPadsAndClamps() {
    struct Case {
        QStringList fields;
        const char* want;
    };
    const Case cases[] = {
        {{"1", "75", "3"}, "01:59:03"},
        {{"1", "2", "150"}, "01:02:99"},
        {{"123", "4", "5"}, "123:04:05"},
        {{"", "", ""}, "00:00:00"},
    };
    for (const Case& c : cases) {
        CTimeEditCtrl time;
        for (int index = 0; index < CTimeEditCtrl::kFieldCount; ++index) time.Field(index)->setText(c.fields[index]);
        QCOMPARE(time.GetText(), QString::fromLatin1(c.want));
    }
}

void TimeEditCtrlTest::ArrowsStepTheFocusedFieldWithinItsRange() {
    CTimeEditCtrl time;
    time.show();
    QApplication::setActiveWindow(&time);
    QVERIFY(QTest::qWaitForWindowActive(&time));
    time.SetText(QStringLiteral("0:58:1"));
    time.Field(1)->setFocus();
    QTRY_COMPARE(time.CurrentField(), 1);
    QCoreApplication::processEvents();  // the changes SetText queued
    QSignalSpy changed(&time, &CTimeEditCtrl::valueChanged);
    QTest::keyClick(time.Field(1), Qt::Key_Up);
    QCOMPARE(changed.count(), 0);  // queued
    QTRY_COMPARE(changed.count(), 1);
    QTest::keyClick(time.Field(1), Qt::Key_Up);
    QCOMPARE(time.Field(1)->text(), QStringLiteral("59"));
    time.Field(1)->setText(QStringLiteral("1"));
    QTest::keyClick(time.Field(1), Qt::Key_Down);
    QTest::keyClick(time.Field(1), Qt::Key_Down);
    QCOMPARE(time.Field(1)->text(), QStringLiteral("0"));
    // The other fields keep their values; hundredths stop at 99.
    QCOMPARE(time.Field(0)->text(), QStringLiteral("0"));
    time.Field(2)->setFocus();
    QTRY_COMPARE(time.CurrentField(), 2);
    time.Field(2)->setText(QStringLiteral("99"));
    time.StepCurrentField(1);
    QCOMPARE(time.Field(2)->text(), QStringLiteral("99"));
}

void TimeEditCtrlTest::TabAndShiftTabWalkTheFieldsThenLeave() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* before = new QLineEdit;
    auto* time = new CTimeEditCtrl;
    auto* after = new QLineEdit;
    layout->addWidget(before);
    layout->addWidget(time);
    layout->addWidget(after);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));
    QSignalSpy left(time, &CTimeEditCtrl::focusLeft);

    time->setFocus();
    QTRY_VERIFY(time->Field(0)->hasFocus());
    QTest::keyClick(time->Field(0), Qt::Key_Tab);
    QVERIFY(time->Field(1)->hasFocus());
    QTest::keyClick(time->Field(1), Qt::Key_Tab);
    QVERIFY(time->Field(2)->hasFocus());
    QTest::qWait(0);
    QCOMPARE(left.count(), 0);
    QTest::keyClick(time->Field(2), Qt::Key_Tab);
    QVERIFY(after->hasFocus());
    QCOMPARE(time->CurrentField(), -1);
    QTRY_COMPARE(left.count(), 1);

    time->Field(2)->setFocus();
    QTest::keyClick(time->Field(2), Qt::Key_Backtab);
    QVERIFY(time->Field(1)->hasFocus());
    QTest::keyClick(time->Field(1), Qt::Key_Backtab);
    QTest::keyClick(time->Field(0), Qt::Key_Backtab);
    QVERIFY(before->hasFocus());
    QTRY_COMPARE(left.count(), 2);
}

void TimeEditCtrlTest::FieldsAreNamedForScreenReaders() {
    CTimeEditCtrl time;
    QCOMPARE(time.Field(0)->accessibleName(), QStringLiteral("Hours"));
    QCOMPARE(time.Field(1)->accessibleName(), QStringLiteral("Minutes"));
    QCOMPARE(time.Field(2)->accessibleName(), QStringLiteral("Hundredths"));
}

QTEST_MAIN(TimeEditCtrlTest)
#include "TimeEditCtrlTest.moc"
