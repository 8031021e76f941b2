#include "gui/BoxAnswerer.h"

#include <QAbstractButton>
#include <QPushButton>
#include <QApplication>
#include <QThread>

#include <utility>

namespace {
constexpr int kPollMs = 5;
}

CBoxAnswerer::CBoxAnswerer() {
    connect(&m_timer, &QTimer::timeout, this, &CBoxAnswerer::Poll);
    m_timer.start(kPollMs);
}

std::vector<std::string> CBoxAnswerer::Texts() const {
    std::vector<std::string> texts;
    for (const SeenBox& box : seen) texts.push_back(box.text);
    return texts;
}

void CBoxAnswerer::Poll() {
    QWidget* modal = QApplication::activeModalWidget();
    if (m_busy || !modal || !modal->isVisible()) return;
    auto* box = qobject_cast<QMessageBox*>(modal);
    if (!box) {
        if (onDialog) onDialog(modal);
        return;
    }
    if (whileOpen) {
        m_busy = true;
        const auto run = std::exchange(whileOpen, nullptr);
        run();
        m_busy = false;
    }
    seen.push_back({box->windowTitle().toStdString(), box->text().toStdString(), box->detailedText().toStdString(),
                    box->icon(), box->parentWidget(), QThread::currentThread() == qApp->thread(),
                    box->standardButton(box->defaultButton())});
    QAbstractButton* button = nullptr;
    for (QAbstractButton* candidate : box->buttons()) {
        const auto role = box->buttonRole(candidate);
        if (!button || role == QMessageBox::NoRole || role == QMessageBox::RejectRole) button = candidate;
    }
    if (!pressTexts.empty()) {
        for (QAbstractButton* candidate : box->buttons())
            if (candidate->text() == pressTexts.front()) button = candidate;
        pressTexts.pop_front();
    } else if (!answers.empty()) {
        button = box->button(answers.front());
        answers.pop_front();
    }
    if (button) button->click();
}
