#pragma once
// The seam through which the core asks questions and shows messages. One prompt is installed per
// process: message boxes in the window, the terminal in velk3, a recorder in tests. Until one is
// installed, messages go nowhere and every question is answered No, so nothing destructive
// happens by default.
#include <string>

#include "platform/Translatable.h"

inline constexpr const char* kApplicationName = "VELK3 Manager";
inline constexpr const char* kConfirmCaption = VELK3_TRANSLATE_NOOP("velk3core", "Confirm");

// The questions asked before work that destroys data, by the window and by velk3 alike.
namespace question_text {
inline constexpr const char* kFormatForeign = VELK3_TRANSLATE_NOOP(
    "velk3core", "This drive must be formatted as an VELK disk and will DELETE ALL DATA.\n\nDo you wish to continue?");
inline constexpr const char* kFormat = VELK3_TRANSLATE_NOOP("velk3core", "Are you sure you want to format the disk?");
inline constexpr const char* kRemoveLast =
    VELK3_TRANSLATE_NOOP("velk3core", "Are you sure you want to remove the last track?");
// %s: the mount points of the card's partitions, joined by ", ". The window shows it as it is: it
// is formatted before it reaches the window.
inline constexpr const char* kUnmount =
    VELK3_TRANSLATE_NOOP("velk3core", "The card is mounted at %s.\n\nUnmount it and continue?");
inline constexpr const char* kRestore = VELK3_TRANSLATE_NOOP(
    "velk3core",
    "Restoring the image will replace everything on this card and will DELETE ALL DATA on it.\n\nDo you wish to continue?");
}  // namespace question_text

enum class MessageIcon { None, Information, Warning, Error, Question };

class IUserPrompt {
public:
    virtual ~IUserPrompt() = default;
    // Yes/No question with the exclamation icon; true only for Yes.
    virtual bool AskYesNo(const std::string& text, const std::string& caption) = 0;
    virtual void ShowMessage(const std::string& text, const std::string& caption, MessageIcon icon) = 0;
};

// Installs prompt for the whole process (not owned); nullptr restores the silent default.
void InstallUserPrompt(IUserPrompt* prompt);
IUserPrompt& UserPrompt();

// The application message box: caption is the application name.
void AppMessageBox(const std::string& text, MessageIcon icon = MessageIcon::None);
bool AskConfirm(const std::string& text);

// Installs a prompt for a scope and restores the previous one after it.
class CScopedUserPrompt {
public:
    explicit CScopedUserPrompt(IUserPrompt& prompt);
    ~CScopedUserPrompt();
    CScopedUserPrompt(const CScopedUserPrompt&) = delete;
    CScopedUserPrompt& operator=(const CScopedUserPrompt&) = delete;

private:
    IUserPrompt* m_previous;
};
