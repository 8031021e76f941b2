#pragma once
// The window's face of the question-and-message seam: Qt message boxes owned by the main window,
// shown by the window's thread whichever thread asks (a worker waits for the answer). Once the
// window is closing nobody is asked any more: questions are answered No, messages go to stderr,
// so a job still running cannot open a box over a window that is being destroyed.
#include <QPointer>
#include <QWidget>

#include <atomic>

#include "platform/UserPrompt.h"

class CQtUserPrompt final : public IUserPrompt {
public:
    // Set from the window's thread; the boxes are centred on and modal to owner. Opens the prompt.
    void SetOwner(QWidget* owner);
    // From here on nothing is shown until SetOwner is called again.
    void Close() { m_closed = true; }
    bool IsClosed() const { return m_closed; }

    bool AskYesNo(const MessageText& text, const std::string& caption) override;
    void ShowMessage(const MessageText& text, const std::string& caption, MessageIcon icon) override;
    // The same box with details behind its "Show Details..." button.
    void ShowMessage(const MessageText& text, const std::string& caption, MessageIcon icon, const MessageText& details);

private:
    QPointer<QWidget> m_owner;
    std::atomic<bool> m_closed{false};
};
