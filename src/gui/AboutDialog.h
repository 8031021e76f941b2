#pragma once
// "About VELK3 Manager": the icon, the version and the maker.
#include <QDialog>

class CAboutDialog final : public QDialog {
    Q_OBJECT
public:
    explicit CAboutDialog(QWidget* parent = nullptr);
};
