#pragma once
// Marks a text of the core that the window shows in the user's language. The core stays English
// and knows nothing of Qt: the mark leaves the text as it is, lupdate collects the marked texts
// (run with -tr-function-alias QT_TRANSLATE_NOOP+=VELK3_TRANSLATE_NOOP), and the window's faces
// look a text up with QCoreApplication::translate(kCoreTextContext, text) when they show it.
// velk3 shows every text as it is.
#define VELK3_TRANSLATE_NOOP(context, text) text

// The context every marked text of the core is collected under.
inline constexpr const char* kCoreTextContext = "velk3core";
