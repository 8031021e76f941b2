#include "gui/QtUserPrompt.h"

#include <QCoreApplication>
#include <QMessageBox>

#include <cstdio>

#include "gui/GuiThread.h"
#include "gui/Translations.h"

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

void CQtUserPrompt::SetOwner(QWidget* owner) {
    m_owner = owner;
    m_closed = false;
}

bool CQtUserPrompt::AskYesNo(const MessageText& text, const std::string& caption) {
    bool yes = false;
    RunOnGuiThread([&] {
        if (m_closed) return;
        // Questions before destructive work carry the exclamation icon.
        QMessageBox box(QMessageBox::Warning, CoreText(caption.c_str()), CoreText(text),
                        QMessageBox::Yes | QMessageBox::No, m_owner.data());
        yes = box.exec() == QMessageBox::Yes;
    });
    return yes;
}

void CQtUserPrompt::ShowMessage(const MessageText& text, const std::string& caption, MessageIcon icon) {
    ShowMessage(text, caption, icon, {});
}

void CQtUserPrompt::ShowMessage(const MessageText& text, const std::string& caption, MessageIcon icon,
                                const MessageText& details) {
    RunOnGuiThread([&] {
        if (m_closed) {
            std::fprintf(stderr, "%s: %s\n", caption.c_str(), text.English().c_str());
            if (!details.Empty()) std::fprintf(stderr, "%s\n", details.English().c_str());
            return;
        }
        QMessageBox box(BoxIcon(icon), CoreText(caption.c_str()), CoreText(text), QMessageBox::Ok, m_owner.data());
        if (!details.Empty()) box.setDetailedText(CoreText(details));
        box.exec();
    });
}
