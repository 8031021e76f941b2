#include "gui/QtUserPrompt.h"

#include <QCoreApplication>
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

// The core's captions and questions are English; a marked text is shown in the user's language,
// any other (one with a file name or a system message in it) as it is.
QString Translated(const std::string& text) {
    return QCoreApplication::translate(kCoreTextContext, text.c_str());
}

}  // namespace

bool CQtUserPrompt::AskYesNo(const std::string& text, const std::string& caption) {
    bool yes = false;
    RunOnGuiThread([&] {
        // Questions before destructive work carry the exclamation icon.
        QMessageBox box(QMessageBox::Warning, Translated(caption), Translated(text), QMessageBox::Yes | QMessageBox::No,
                        m_owner.data());
        yes = box.exec() == QMessageBox::Yes;
    });
    return yes;
}

void CQtUserPrompt::ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) {
    RunOnGuiThread([&] {
        QMessageBox box(BoxIcon(icon), Translated(caption), Translated(text), QMessageBox::Ok, m_owner.data());
        box.exec();
    });
}
