#pragma once
// The main window's controls and their arrangement, as its dialog resource lays them out: the
// first size from the resource's dialog units converted with the window's font, the routine list
// taking the room the window gets, the resource's tab order. The window (ManagerDialog.h) gives
// them their reactions; their texts stay in the window's translation context.
#include <QCoreApplication>

class CControlList;
class CImageButton;
class QComboBox;
class QDialog;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;

struct ManagerDialogUi {
    Q_DECLARE_TR_FUNCTIONS(CManagerDialog)

public:
    // Makes the controls as children of dialog and lays them out in it.
    void Setup(QDialog& dialog);

    QLabel* deviceLabel = nullptr;
    QComboBox* deviceBox = nullptr;
    QPushButton* refreshButton = nullptr;
    CControlList* routineList = nullptr;
    QLineEdit* statusBox = nullptr;
    QProgressBar* progressBar = nullptr;
    CImageButton* addButton = nullptr;
    CImageButton* removeButton = nullptr;
    CImageButton* formatButton = nullptr;
    CImageButton* schedulesButton = nullptr;
    CImageButton* firmwareButton = nullptr;
    CImageButton* exitButton = nullptr;

private:
    void BuildControls(QDialog& dialog);
    void BuildLayout(QDialog& dialog);
};
