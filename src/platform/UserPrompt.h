#pragma once
// The seam through which the core asks questions and shows messages: message boxes in the window,
// the terminal in velk3, standard error in velk3-manager's windowless modes, a recorder in tests.
// Whoever needs one is handed one (a job through its context); there is no prompt of the process.
#include <string>

#include "platform/MessageText.h"
#include "platform/Translatable.h"

// The caption of the application's own message box.
inline constexpr const char* kApplicationName = "VELK3 Manager";
inline constexpr const char* kConfirmCaption = VELK3_TRANSLATE_NOOP("velk3core", "Confirm");

// The questions asked before work that destroys data, by the window and by velk3 alike.
namespace question_text {
inline constexpr const char* kFormatForeign = VELK3_TRANSLATE_NOOP(
    "velk3core", "This drive must be formatted as an VELK disk and will DELETE ALL DATA.\n\nDo you wish to continue?");
inline constexpr const char* kFormat = VELK3_TRANSLATE_NOOP("velk3core", "Are you sure you want to format the disk?");
inline constexpr const char* kRemoveLast =
    VELK3_TRANSLATE_NOOP("velk3core", "Are you sure you want to remove the last track?");
// %1: the mount points of the card's partitions, joined by ", ".
inline constexpr const char* kUnmount =
    VELK3_TRANSLATE_NOOP("velk3core", "The card is mounted at %1.\n\nUnmount it and continue?");
// %1: the name of the device written (VELK3, sdb, an image's path).
inline constexpr const char* kRestore = VELK3_TRANSLATE_NOOP(
    "velk3core",
    "Restoring the image onto %1 will replace everything on this card and will DELETE ALL DATA on it.\n\nDo you wish to continue?");
}  // namespace question_text

enum class MessageIcon { None, Information, Warning, Error, Question };

class IUserPrompt {
public:
    virtual ~IUserPrompt() = default;
    // Yes/No question with the exclamation icon; true only for Yes.
    // The window shows text in the user's language, the other faces in English.
    virtual bool AskYesNo(const MessageText& text, const std::string& caption) = 0;
    virtual void ShowMessage(const MessageText& text, const std::string& caption, MessageIcon icon) = 0;
};
