#include "gui/QtUserPrompt.h"

#include <QMessageBox>

#include "gui/GuiThread.h"

namespace {

QMessageBox::Icon BoxIcon(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::None: return QMessageBox::NoIcon;
        case MessageIcon::Information: return QMessageBox::Information;
        case MessageIcon::Warning: return QMessageBox::Warning;
        case MessageIcon::Error: return QMessageBox::Critical;
        case MessageIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

}  // namespace

bool CQtUserPrompt::AskYesNo(const std::string& text, const std::string& caption) {
    bool yes = false;
    RunOnGuiThread([&] {
        // Questions before destructive work carry the exclamation icon.
        QMessageBox box(QMessageBox::Warning, QString::fromStdString(caption), QString::fromStdString(text),
                        QMessageBox::Yes | QMessageBox::No, m_owner.data());
        yes = box.exec() == QMessageBox::Yes;
    });
    return yes;
}

void CQtUserPrompt::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
    RunOnGuiThread([&] {
        QMessageBox box(BoxIcon(icon), QString::fromStdString(caption), QString::fromStdString(text), QMessageBox::Ok,
                        m_owner.data());
        box.exec();
    });
}
