#pragma once
// Answers the modal message boxes of the window as a person would, from a timer on the window's
// thread, and records what each box said. Answers are taken in order; with none left it presses
// the box's escape button (No, or OK). Other modal dialogs are handed to onDialog.
#include <QMessageBox>
#include <QObject>
#include <QTimer>

#include <deque>
#include <functional>
#include <string>
#include <vector>

struct SeenBox {
    std::string caption;
    std::string text;
    std::string details;  // behind "Show Details..."
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QWidget* owner = nullptr;
    bool onGuiThread = false;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;  // what Enter would have pressed
};

class CBoxAnswerer final : public QObject {
public:
    CBoxAnswerer();
    std::deque<QMessageBox::StandardButton> answers;
    std::deque<QString> pressTexts;  // buttons of their own, by text; taken before answers
    std::vector<SeenBox> seen;
    // Runs while a box is open, before it is answered (the box's own event loop turns meanwhile).
    std::function<void()> whileOpen;
    std::function<void(QWidget*)> onDialog;

    std::vector<std::string> Texts() const;

private:
    void Poll();
    bool m_busy = false;
    QTimer m_timer;
};
