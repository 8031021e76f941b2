#pragma once
// Answers the modal message boxes of the window as a person would, from a timer on the window's
// thread, and records what each box said. Answers are taken in order; with none left it presses
// the box's escape button (No, or OK).
#include <QMessageBox>
#include <QObject>
#include <QTimer>

#include <deque>
#include <string>
#include <vector>

struct SeenBox {
    std::string caption;
    std::string text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* owner = nullptr;
    bool onGuiThread = false;
};

class CBoxAnswerer final : public QObject {
public:
    CBoxAnswerer();
    std::deque<QMessageBox::StandardButton> answers;
    std::vector<SeenBox> seen;

    std::vector<std::string> Texts() const;

private:
    void Poll();
    QTimer m_timer;
};
