#include <QAccessible>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

#include "controls/BitmapResource.h"
#include "controls/ImageButton.h"

namespace {

constexpr int kButtonSide = 40;
constexpr int kImageSide = 16;
// The picture sits centred in a captionless button.
constexpr int kImageLeft = (kButtonSide - kImageSide) / 2;
const QColor kInk(200, 40, 40);

// A white picture with a coloured square in its middle (pixels 4 to 11).
QPixmap SquareOnWhite() {
    QPixmap pixmap(kImageSide, kImageSide);
    pixmap.fill(Qt::white);
    QPainter painter(&pixmap);
    painter.fillRect(4, 4, 8, 8, kInk);
    return pixmap;
}

QColor PixelAt(QWidget& widget, int x, int y) {
    return widget.grab().toImage().pixelColor(x, y);
}

// Top-left corner of the picture's coloured square in a grab of the widget.
QPoint InkCorner(QWidget& widget) {
    const QImage image = widget.grab().toImage();
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) == kInk) return {x, y};
        }
    }
    return {-1, -1};
}

void SendMouse(QWidget& widget, QEvent::Type type, Qt::MouseButtons held) {
    const QPointF at(widget.width() / 2.0, widget.height() / 2.0);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, widget.mapToGlobal(at), button, held, Qt::NoModifier);
    QApplication::sendEvent(&widget, &event);
}

}  // namespace

class ImageButtonTest : public QObject {
    Q_OBJECT
private slots:
    void TransparentColourShowsTheButtonFace();
    void SetBitmapsReportsUnreadableImages();
    void ImageIsPlacedByAlignmentCaptionAndPress();
    void DerivedOutImageShowsOnlyWhileNotHovered();
    void DisabledLookDiffersFromEnabled();
    void OnADarkFacePicturesHaveNoLightRimAndDisabledCaptionsStayReadable();
    void DoubleClickCountsAsTwoClicks();
    void DisablingHandsTheFocusToTheNextTabStop();
    void HoverNeedsAMouseNotHeldDown();
    void CheckBoxModeTogglesOnClick();
    void AccessibleNameIsTheCaption();
    void EveryBitmapLoadsAtItsSizeAndRatio();
};

void ImageButtonTest::TransparentColourShowsTheButtonFace() {
    CImageButton button;
    button.resize(kButtonSide, kButtonSide);
    QCOMPARE(button.SetBitmaps(SquareOnWhite(), Qt::white), CImageButton::kBitmapsOk);
    const QColor face = button.GetColor(CImageButton::ColorRole::BackOut);
    QVERIFY(face != QColor(Qt::white));
    QCOMPARE(PixelAt(button, kImageLeft + 1, kImageLeft + 1), face);
    QCOMPARE(PixelAt(button, kImageLeft + 8, kImageLeft + 8), kInk);
}

void ImageButtonTest::SetBitmapsReportsUnreadableImages() {
    struct Case {
        const char* name;
        int idIn;
        int idOut;
        int want;
    };
    const Case cases[] = {
        {"known in, no out", bitmap_id::kAddRoutine, 0, CImageButton::kBitmapsOk},
        {"unknown in", 5, 0, CImageButton::kBitmapSizeUnreadable},
        {"unknown out", bitmap_id::kAddRoutine, 7, CImageButton::kBitmapSizeUnreadable},
        {"gray out", bitmap_id::kAddRoutine, -2, CImageButton::kBitmapsOk},
        {"darker out", bitmap_id::kAddRoutine, -3, CImageButton::kBitmapsOk},
    };
    for (const Case& c : cases) {
        CImageButton button;
        QCOMPARE(button.SetBitmaps(c.idIn, Qt::white, c.idOut), c.want);
        QCOMPARE(button.HasImage(), c.want == CImageButton::kBitmapsOk);
    }
    CImageButton button;
    QCOMPARE(button.SetBitmaps(QPixmap(), Qt::white), CImageButton::kBitmapSizeUnreadable);
}

void ImageButtonTest::ImageIsPlacedByAlignmentCaptionAndPress() {
    using Align = CImageButton::Align;
    struct Case {
        Align align;
        const char* caption;
        bool pressed;
        QPoint ink;  // the square starts 4 pixels into the 16-pixel picture
    };
    // A 100 x 40 button: centred, the picture starts at (42, 12); margins are 3 pixels.
    const Case cases[] = {
        {Align::ImageLeft, "Go", false, {3 + 4, 12 + 4}},
        {Align::ImageLeft, "", false, {42 + 4, 12 + 4}},
        {Align::ImageTop, "Go", false, {42 + 4, 3 + 4}},
        {Align::ImageRight, "Go", false, {99 - 3 - 15 + 4, 12 + 4}},
        {Align::ImageRight, "", false, {42 + 4, 0 + 4}},
        {Align::ImageLeft, "Go", true, {3 + 4 + 1, 12 + 4 + 1}},
    };
    for (const Case& c : cases) {
        CImageButton button(QString::fromLatin1(c.caption));
        button.resize(100, 40);
        button.SetAlign(c.align);
        button.SetBitmaps(SquareOnWhite(), Qt::white);
        button.setDown(c.pressed);
        QCOMPARE(InkCorner(button), c.ink);
    }
}

void ImageButtonTest::DerivedOutImageShowsOnlyWhileNotHovered() {
    struct Case {
        CImageButton::Derived derived;
        QColor out;
    };
    const int gray = qRound(0.299 * kInk.red() + 0.587 * kInk.green() + 0.114 * kInk.blue());
    const Case cases[] = {
        {CImageButton::Derived::Gray, QColor(gray, gray, gray)},
        {CImageButton::Derived::Darker, QColor(kInk.red() * 3 / 4, kInk.green() * 3 / 4, kInk.blue() * 3 / 4)},
    };
    for (const Case& c : cases) {
        CImageButton button;
        button.resize(kButtonSide, kButtonSide);
        QCOMPARE(button.SetBitmaps(SquareOnWhite(), Qt::white, c.derived), CImageButton::kBitmapsOk);
        QCOMPARE(PixelAt(button, kImageLeft + 8, kImageLeft + 8), c.out);
        SendMouse(button, QEvent::MouseMove, Qt::NoButton);
        QVERIFY(button.IsHovered());
        QCOMPARE(PixelAt(button, kImageLeft + 8, kImageLeft + 8), kInk);
    }
}

void ImageButtonTest::DisabledLookDiffersFromEnabled() {
    CImageButton button(QStringLiteral("Add"));
    button.resize(100, 50);
    QCOMPARE(button.SetBitmaps(bitmap_id::kAddRoutine, Qt::white), CImageButton::kBitmapsOk);
    const QImage enabled = button.grab().toImage();
    button.setEnabled(false);
    const QImage disabled = button.grab().toImage();
    // Both the picture (left) and the caption (right) change.
    QVERIFY(enabled.copy(0, 0, 40, 50) != disabled.copy(0, 0, 40, 50));
    QVERIFY(enabled.copy(40, 0, 60, 50) != disabled.copy(40, 0, 60, 50));
}

// A dark desktop palette: the drawn pictures' soft edges blend with the face instead of keeping a
// rim of the transparent colour, and a disabled caption keeps a visible contrast to the face.
void ImageButtonTest::OnADarkFacePicturesHaveNoLightRimAndDisabledCaptionsStayReadable() {
    constexpr int kLight = 200;          // a rim pixel of the white transparent colour is lighter
    constexpr int kReadableContrast = 60;  // lightness steps between caption ink and face
    const QColor face(0x35, 0x35, 0x35);
    QPalette dark(face);
    dark.setColor(QPalette::ButtonText, QColor(0xE8, 0xE8, 0xE8));
    dark.setColor(QPalette::Disabled, QPalette::ButtonText, QColor(0x80, 0x80, 0x80));
    for (const qreal ratio : {1.0, 2.0}) {
        CImageButton button(QStringLiteral("Add"));
        button.setPalette(dark);
        button.resize(100, 50);
        QCOMPARE(button.SetBitmaps(QPixmap(LoadBitmapResource(bitmap_id::kAddRoutine, ratio)), Qt::white),
                 CImageButton::kBitmapsOk);
        const QImage shot = button.grab().toImage();
        const auto isFace = [&](int x, int y) { return shot.valid(x, y) && shot.pixelColor(x, y) == face; };
        for (int y = 0; y < shot.height(); ++y)
            for (int x = 0; x < 40; ++x)
                if (shot.pixelColor(x, y).lightness() > kLight)
                    QVERIFY2(!isFace(x - 1, y) && !isFace(x + 1, y) && !isFace(x, y - 1) && !isFace(x, y + 1),
                             qPrintable(QStringLiteral("light rim at %1,%2 (ratio %3)").arg(x).arg(y).arg(ratio)));
        button.setEnabled(false);
        const QImage disabled = button.grab().toImage();
        int contrast = 0;
        for (int y = 0; y < disabled.height(); ++y)
            for (int x = 40; x < disabled.width(); ++x)
                contrast = qMax(contrast, qAbs(disabled.pixelColor(x, y).lightness() - face.lightness()));
        QVERIFY2(contrast >= kReadableContrast, qPrintable(QString::number(contrast)));
    }
}

void ImageButtonTest::DoubleClickCountsAsTwoClicks() {
    CImageButton button(QStringLiteral("OK"));
    button.resize(kButtonSide, kButtonSide);
    QSignalSpy clicks(&button, &QAbstractButton::clicked);
    SendMouse(button, QEvent::MouseButtonPress, Qt::LeftButton);
    SendMouse(button, QEvent::MouseButtonRelease, Qt::NoButton);
    SendMouse(button, QEvent::MouseButtonDblClick, Qt::LeftButton);
    SendMouse(button, QEvent::MouseButtonRelease, Qt::NoButton);
    QCOMPARE(clicks.count(), 2);
}

void ImageButtonTest::DisablingHandsTheFocusToTheNextTabStop() {
    QWidget window;
    auto* layout = new QVBoxLayout(&window);
    auto* first = new CImageButton(QStringLiteral("First"));
    auto* second = new CImageButton(QStringLiteral("Second"));
    auto* third = new CImageButton(QStringLiteral("Third"));
    for (QWidget* button : {first, second, third}) layout->addWidget(button);
    window.show();
    QApplication::setActiveWindow(&window);
    QVERIFY(QTest::qWaitForWindowActive(&window));

    second->setFocus();
    QTRY_VERIFY(second->hasFocus());
    second->setEnabled(false);
    QVERIFY(third->hasFocus());

    // The hand-over happens even when the disabled button did not have the focus.
    first->setFocus();
    QTRY_VERIFY(first->hasFocus());
    second->setEnabled(true);
    second->setEnabled(false);
    QVERIFY(third->hasFocus());
}

void ImageButtonTest::HoverNeedsAMouseNotHeldDown() {
    CImageButton button(QStringLiteral("Exit"));
    button.resize(kButtonSide, kButtonSide);
    const QImage plain = button.grab().toImage();
    // A press that began elsewhere: the button is crossed with the left button held.
    SendMouse(button, QEvent::MouseMove, Qt::LeftButton);
    QVERIFY(!button.IsHovered());
    SendMouse(button, QEvent::MouseMove, Qt::NoButton);
    QVERIFY(button.IsHovered());
    QVERIFY(button.grab().toImage() != plain);  // the thin raised border
    button.setEnabled(false);
    QVERIFY(!button.IsHovered());
}

void ImageButtonTest::CheckBoxModeTogglesOnClick() {
    CImageButton button(QStringLiteral("Loop"));
    button.resize(kButtonSide, kButtonSide);
    button.SetCheckBoxMode(true);
    QCOMPARE(button.GetCheck(), 0);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(button.GetCheck(), 1);
    QTest::mouseClick(&button, Qt::LeftButton);
    QCOMPARE(button.GetCheck(), 0);
    button.SetCheck(2);
    QCOMPARE(button.GetCheck(), 1);
}

void ImageButtonTest::AccessibleNameIsTheCaption() {
    CImageButton button(QStringLiteral("Remove"));
    QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(&button);
    QVERIFY(accessible);
    QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Remove"));
    button.setText(QStringLiteral("Format Disk"));
    QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Format Disk"));
}

void ImageButtonTest::EveryBitmapLoadsAtItsSizeAndRatio() {
    struct Case {
        int id;
        QSize size;
        QColor key;  // the transparent colour, found in the top-left corner
    };
    const Case cases[] = {
        {bitmap_id::kCheckImages, {39, 13}, Qt::green},    {bitmap_id::kAddRoutine, {32, 32}, Qt::white},
        {bitmap_id::kRemoveLast, {32, 32}, Qt::white},     {bitmap_id::kCancel, {32, 32}, Qt::white},
        {bitmap_id::kExit, {32, 32}, Qt::white},           {bitmap_id::kLoadFirmware, {32, 32}, Qt::white},
        {bitmap_id::kEditSchedules, {32, 32}, Qt::white},  {bitmap_id::kFormatDisk, {32, 32}, Qt::white},
    };
    for (const Case& c : cases) {
        for (const qreal ratio : {1.0, 2.0}) {
            const QPixmap pixmap = LoadBitmapResource(c.id, ratio);
            QVERIFY2(!pixmap.isNull(), qPrintable(QString::number(c.id)));
            QCOMPARE(pixmap.size(), c.size * ratio);
            QCOMPARE(pixmap.devicePixelRatio(), ratio);
            QCOMPARE(pixmap.toImage().pixelColor(0, 0), c.key);
        }
    }
    QVERIFY(LoadBitmapResource(130).isNull());
}

QTEST_MAIN(ImageButtonTest)
#include "ImageButtonTest.moc"
