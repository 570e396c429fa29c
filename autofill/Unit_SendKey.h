#pragma once

#include <QStringView>
#include <string>

namespace tessavo::autofill {

// Types a text into the window that holds the keyboard focus, reading it as the key language:
// "+", "^", "%" hold Shift, Ctrl, Alt for the next key; "(" ... ")" holds them over a group;
// "~" is Enter; "{NAME}", "{NAME n}", "{c}", "{c n}" type named keys or characters n times;
// "{{}" and "{}}" type the braces. Every other character is typed through the current layout.
//
// The text ends at its first NUL. With wait set, the program's own windows handle the key
// events that reached them after every event. Returns false for an empty text or an unclosed
// brace, true otherwise (also when some characters had no key and were skipped with a message
// box). A repeat count that is not an integer raises tessavo::Error.
//
// The events go to platform::keyboard(), inside one TypingScope; the messages go to
// platform::dialogs() in a box titled "SendKeys".
// A QString, a std::u16string or a u"" literal all pass as the view; nothing is copied.
bool SendKeyString(QStringView text, bool wait);

// The characters SendKeyString would ask the keyboard keys for, in order, one entry per time
// (the key language's signs and named keys are not characters): nothing is sent or shown.
// The caller wipes the result.
std::u16string CharactersTyped(QStringView text);

}  // namespace tessavo::autofill
