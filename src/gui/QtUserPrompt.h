#pragma once
// The window's face of the question-and-message seam: Qt message boxes owned by the main window,
// shown by the window's thread whichever thread asks (a worker waits for the answer).
#include <QPointer>
#include <QWidget>

#include "platform/UserPrompt.h"

class CQtUserPrompt final : public IUserPrompt {
public:
    // Set from the window's thread; the boxes are centred on and modal to owner.
    void SetOwner(QWidget* owner) { m_owner = owner; }

    bool AskYesNo(const std::string& text, const std::string& caption) override;
    void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) override;

private:
    QPointer<QWidget> m_owner;
};
