#include "gui/ManagerDialogUi.h"

#include <algorithm>

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "controls/BitmapResource.h"
#include "controls/ControlList.h"
#include "controls/DialogUnits.h"
#include "controls/ImageButton.h"
#include "gui/Translations.h"
#include "operations/CardJobs.h"

namespace {

const QColor kTransparent(0xFF, 0xFF, 0xFF);

// The resource's dialog units: window size, margins, control sizes and gaps.
namespace du {
constexpr int kWidth = 418, kHeight = 269;
constexpr int kLeft = 18, kTop = 12, kRight = 16, kBottom = 17;
constexpr int kLabelWidth = 54, kStatusWidth = 78, kRefreshWidth = 36, kRowHeight = 12;
constexpr int kButtonWidth = 78, kButtonHeight = 36;
constexpr int kButtonGapX = 24, kButtonGapY = 6, kRowGap = 12, kSmallGap = 6;
constexpr int kButtonIndent = 54;  // the command buttons start at x 72, the list at x 18
}  // namespace du

// The widths were chosen for the Windows dialog font; a wider desktop font must not cut a title.
constexpr int kHeaderTitlePadding = 16;

QList<int> TitleFittingWidths(const QStringList& titles, QList<int> widths) {
    const QFontMetrics metrics(QApplication::font("QHeaderView"));
    for (int column = 0; column < titles.size() && column < widths.size(); ++column)
        widths[column] = std::max(widths[column], metrics.horizontalAdvance(titles[column]) + kHeaderTitlePadding);
    return widths;
}
}  // namespace

void ManagerDialogUi::Setup(QDialog& dialog) {
    BuildControls(dialog);
    BuildLayout(dialog);
}

void ManagerDialogUi::BuildControls(QDialog& dialog) {
    deviceLabel = new QLabel(tr("Current Device"), &dialog);
    deviceLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    deviceBox = new QComboBox(&dialog);
    deviceBox->setAccessibleName(tr("Current Device"));
    deviceBox->setContextMenuPolicy(Qt::CustomContextMenu);
    deviceBox->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    deviceLabel->setBuddy(deviceBox);
    refreshButton = new QPushButton(tr("Refresh"), &dialog);
    routineList = new CControlList(bitmap_id::kCheckImages, &dialog);
    routineList->setAccessibleName(tr("Routines"));
    QStringList titles;
    for (const char* heading : kRoutineHeadings) titles << CoreText(heading);
    routineList->SetColumns(titles, TitleFittingWidths(titles, {45, 150, 75, 100, 100, 100}));
    // The list takes the room the window gets; the last column grows with it, so the family
    // names fit.
    routineList->horizontalHeader()->setStretchLastSection(true);
    statusBox = new QLineEdit(&dialog);
    statusBox->setReadOnly(true);
    statusBox->setAccessibleName(tr("Status"));
    progressBar = new QProgressBar(&dialog);
    progressBar->setAccessibleName(tr("Progress"));
    progressBar->setValue(0);

    auto button = [&dialog](const char* caption, int bitmap) {
        auto* made = new CImageButton(tr(caption), &dialog);
        made->SetBitmaps(bitmap, kTransparent);
        made->setAccessibleName(made->text());
        made->setAutoDefault(true);  // Enter presses the focused button; elsewhere Exit, the default
        made->SetDrawFlatFocus(true);
        return made;
    };
    addButton = button(QT_TR_NOOP("Add routine..."), bitmap_id::kAddRoutine);
    removeButton = button(QT_TR_NOOP("Remove last routine"), bitmap_id::kRemoveLast);
    formatButton = button(QT_TR_NOOP("Format disk"), bitmap_id::kFormatDisk);
    schedulesButton = button(QT_TR_NOOP("Edit schedules..."), bitmap_id::kEditSchedules);
    firmwareButton = button(QT_TR_NOOP("Load firmware..."), bitmap_id::kLoadFirmware);
    exitButton = button(QT_TR_NOOP("Exit"), bitmap_id::kExit);
    exitButton->SetDefaultButton(true);
    refreshButton->setAutoDefault(true);
}

void ManagerDialogUi::BuildLayout(QDialog& dialog) {
    const CDialogUnits units(dialog.font());
    auto* top = new QHBoxLayout;
    deviceLabel->setMinimumWidth(units.X(du::kLabelWidth));
    refreshButton->setMinimumSize(units.X(du::kRefreshWidth), units.Y(du::kRowHeight));
    top->addWidget(deviceLabel);
    top->addWidget(deviceBox, 1);
    top->addWidget(refreshButton);

    auto* status = new QHBoxLayout;
    statusBox->setFixedWidth(units.X(du::kStatusWidth));
    status->addWidget(statusBox);
    status->addWidget(progressBar, 1);

    auto* buttons = new QGridLayout;
    buttons->setHorizontalSpacing(units.X(du::kButtonGapX));
    buttons->setVerticalSpacing(units.Y(du::kButtonGapY));
    const CImageButton* grid[2][3] = {{addButton, removeButton, formatButton},
                                      {schedulesButton, firmwareButton, exitButton}};
    for (int row = 0; row < 2; ++row)
        for (int column = 0; column < 3; ++column) {
            auto* widget = const_cast<CImageButton*>(grid[row][column]);
            widget->setMinimumSize(units.Size(du::kButtonWidth, du::kButtonHeight));
            buttons->addWidget(widget, row, column);
        }
    auto* buttonRow = new QHBoxLayout;
    buttonRow->addSpacing(units.X(du::kButtonIndent));
    buttonRow->addLayout(buttons);
    buttonRow->addStretch(1);

    auto* layout = new QVBoxLayout(&dialog);
    layout->setContentsMargins(units.X(du::kLeft), units.Y(du::kTop), units.X(du::kRight), units.Y(du::kBottom));
    layout->setSpacing(units.Y(du::kSmallGap));
    layout->addLayout(top);
    layout->addSpacing(units.Y(du::kRowGap) - layout->spacing());
    layout->addWidget(routineList, 1);
    layout->addSpacing(units.Y(du::kRowGap) - layout->spacing());
    layout->addLayout(status);
    layout->addLayout(buttonRow);
    dialog.resize(FirstSizeOnScreen(dialog, units.Size(du::kWidth, du::kHeight)));
    // The resource's tab order; the progress bar takes no focus.
    const QWidget* order[] = {deviceBox,    refreshButton, routineList,     statusBox,
                              addButton,    removeButton,  formatButton,    schedulesButton,
                              firmwareButton, exitButton};
    for (size_t i = 1; i < std::size(order); ++i)
        QWidget::setTabOrder(const_cast<QWidget*>(order[i - 1]), const_cast<QWidget*>(order[i]));
}
