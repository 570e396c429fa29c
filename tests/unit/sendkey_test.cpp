// The key language over the recording US keyboard: the exact events of each text, what a US
// keyboard would type from them, the messages, the result, and the errors.
#include <gtest/gtest.h>

#include <QString>
#include <string>
#include <vector>

#include "autofill/Unit_SendKey.h"
#include "platform/base/Error.h"
#include "tests/support/RecordingKeyboard.h"
#include "tests/support/ScriptedDialogs.h"

namespace tessavo {
namespace {

using namespace std::string_literals;

const std::string kNoKey = "程序不支持（中文、全角等非ASCII码字符的密码）自动输入.";
const std::string kNoClose = "No Close";

std::string utf8(std::u16string_view text) {
    return QString::fromUtf16(text.data(), static_cast<qsizetype>(text.size())).toStdString();
}

struct SendCase {
    std::u16string text;
    std::string events;
    std::string typed;
    std::vector<std::string> messages = {};
    bool result = true;
};

void PrintTo(const SendCase& c, std::ostream* out) { *out << '"' << utf8(c.text) << '"'; }

class SendKeyTest : public ::testing::Test {
protected:
    std::vector<std::string> takeMessages() {
        std::vector<std::string> texts;
        for (const QString& text : dialogs->takeTexts()) texts.push_back(text.toStdString());
        return texts;
    }

    test::ScopedRecordingKeyboard keyboard;
    test::ScopedScriptedDialogs dialogs;
};

class SendKeyLanguageTest : public SendKeyTest, public ::testing::WithParamInterface<SendCase> {};

TEST_P(SendKeyLanguageTest, SendsExactlyTheseEvents) {
    const SendCase& c = GetParam();
    EXPECT_EQ(autofill::SendKeyString(c.text, true), c.result);
    EXPECT_EQ(keyboard->eventText(), c.events);
    EXPECT_EQ(keyboard->typedText(), c.typed);
    EXPECT_EQ(takeMessages(), c.messages);
    EXPECT_TRUE(keyboard->keysDown().empty()) << "a key stays held after the call";
}

INSTANTIATE_TEST_SUITE_P(PlainCharacters, SendKeyLanguageTest,
                         ::testing::Values(SendCase{u"abc", "A↓ A↑ B↓ B↑ C↓ C↑", "abc"},
                                           SendCase{u"A", "Shift↓ A↓ A↑ Shift↑", "A"},
                                           SendCase{u"a}b", "A↓ A↑ Shift↓ xDD↓ xDD↑ Shift↑ B↓ B↑", "a}b"},
                                           SendCase{u"1 ;", "1↓ 1↑ Space↓ Space↑ xBA↓ xBA↑", "1 ;"},
                                           SendCase{u"ab\0cd"s, "A↓ A↑ B↓ B↑", "ab"}));

INSTANTIATE_TEST_SUITE_P(
    Modifiers, SendKeyLanguageTest,
    ::testing::Values(SendCase{u"+abc", "Shift↓ A↓ A↑ Shift↑ B↓ B↑ C↓ C↑", "Abc"},
                      SendCase{u"^c", "Ctrl↓ C↓ C↑ Ctrl↑", "<Ctrl+C>"}, SendCase{u"%f", "Alt↓ F↓ F↑ Alt↑", "<Alt+F>"},
                      SendCase{u"a+b%c", "A↓ A↑ Shift↓ B↓ B↑ Shift↑ Alt↓ C↓ C↑ Alt↑", "aB<Alt+C>"},
                      // Released in the order they went down, not in reverse.
                      SendCase{u"+^%a", "Shift↓ Ctrl↓ Alt↓ A↓ A↑ Shift↑ Ctrl↑ Alt↑", "<Ctrl+Alt+Shift+A>"},
                      // The capital's own Shift comes and goes inside the held one.
                      SendCase{u"+A", "Shift↓ Shift↓ A↓ A↑ Shift↑ Shift↑", "A"},
                      SendCase{u"^A", "Ctrl↓ Shift↓ A↓ A↑ Shift↑ Ctrl↑", "<Ctrl+Shift+A>"},
                      SendCase{u"+~", "Shift↓ Enter↓ Enter↑ Shift↑", "<Shift+Enter>"},
                      SendCase{u"a~", "A↓ A↑ Enter↓ Enter↑", "a<Enter>"}));

INSTANTIATE_TEST_SUITE_P(Groups, SendKeyLanguageTest,
                         ::testing::Values(SendCase{u"+(abc)", "Shift↓ A↓ A↑ B↓ B↑ C↓ C↑ Shift↑", "ABC"},
                                           SendCase{u"+(Ab)", "Shift↓ Shift↓ A↓ A↑ Shift↑ B↓ B↑ Shift↑", "Ab"},
                                           SendCase{u"p(a)ss", "P↓ P↑ A↓ A↑ S↓ S↑ S↓ S↑", "pass"},
                                           SendCase{u"(+a)b", "Shift↓ A↓ A↑ Shift↑ B↓ B↑", "Ab"},
                                           // Groups do not nest: the first ")" ends the group.
                                           SendCase{u"+((a)b)", "Shift↓ A↓ A↑ Shift↑ B↓ B↑", "Ab"},
                                           SendCase{u"^(+ab)", "Ctrl↓ Shift↓ A↓ A↑ B↓ B↑ Shift↑ Ctrl↑",
                                                    "<Ctrl+Shift+A><Ctrl+Shift+B>"},
                                           // A group left open does not leave Shift held after the call.
                                           SendCase{u"+(ab", "Shift↓ A↓ A↑ B↓ B↑ Shift↑", "AB"}));

INSTANTIATE_TEST_SUITE_P(
    NamedKeys, SendKeyLanguageTest,
    ::testing::Values(SendCase{u"{ENTER}", "Enter↓ Enter↑", "<Enter>"},
                      SendCase{u"{enter}", "Enter↓ Enter↑", "<Enter>"},
                      SendCase{u"{Enter}", "Enter↓ Enter↑", "<Enter>"},
                      SendCase{u"{TAB 3}", "Tab↓ Tab↑ Tab↓ Tab↑ Tab↓ Tab↑", "<Tab><Tab><Tab>"},
                      SendCase{u"{LEFT 0}", "", ""},
                      SendCase{u"{LEFT 2}", "Left*↓ Left*↑ Left*↓ Left*↑", "<Left><Left>"},
                      SendCase{u"{BS}", "Back↓ Back↑", "<Back>"}, SendCase{u"{BKSP}", "Back↓ Back↑", "<Back>"},
                      SendCase{u"{BACKSPACE}", "Back↓ Back↑", "<Back>"}, SendCase{u"{DEL}", "Del*↓ Del*↑", "<Del>"},
                      SendCase{u"{DELETE}", "Del*↓ Del*↑", "<Del>"},
                      SendCase{u"+{TAB 2}", "Shift↓ Tab↓ Tab↑ Tab↓ Tab↑ Shift↑", "<Shift+Tab><Shift+Tab>"},
                      SendCase{u"{ESC}x", "Esc↓ Esc↑ X↓ X↑", "<Esc>x"}));

INSTANTIATE_TEST_SUITE_P(RepeatCounts, SendKeyLanguageTest,
                         ::testing::Values(SendCase{u"{TAB $2}", "Tab↓ Tab↑ Tab↓ Tab↑", "<Tab><Tab>"},
                                           SendCase{u"{TAB 0x2}", "Tab↓ Tab↑ Tab↓ Tab↑", "<Tab><Tab>"},
                                           SendCase{u"{TAB x2}", "Tab↓ Tab↑ Tab↓ Tab↑", "<Tab><Tab>"},
                                           SendCase{u"{TAB +2}", "Tab↓ Tab↑ Tab↓ Tab↑", "<Tab><Tab>"},
                                           SendCase{u"{TAB  2}", "Tab↓ Tab↑ Tab↓ Tab↑", "<Tab><Tab>"},
                                           // Only the low 16 bits count: 65 538 is 2.
                                           SendCase{u"{TAB 65538}", "Tab↓ Tab↑ Tab↓ Tab↑", "<Tab><Tab>"},
                                           // The name keeps 20 bytes: "ENTER 00000000000000" repeats 0 times.
                                           SendCase{u"{ENTER 00000000000000003}", "", ""},
                                           SendCase{u"{a 3}", "Shift↓ A↓ A↑ A↓ A↑ A↓ A↑ Shift↑", "AAA"}));

INSTANTIATE_TEST_SUITE_P(
    BracedCharacters, SendKeyLanguageTest,
    ::testing::Values(SendCase{u"{a}", "Shift↓ A↓ A↑ Shift↑", "A"}, SendCase{u"{1}", "1↓ 1↑", "1"},
                      SendCase{u"{+}", "Shift↓ xBB↓ xBB↑ Shift↑", "+"}, SendCase{u"{^}", "Shift↓ 6↓ 6↑ Shift↑", "^"},
                      SendCase{u"{%}", "Shift↓ 5↓ 5↑ Shift↑", "%"}, SendCase{u"{~}", "Shift↓ xC0↓ xC0↑ Shift↑", "~"},
                      SendCase{u"{(}", "Shift↓ 9↓ 9↑ Shift↑", "("}, SendCase{u"{)}", "Shift↓ 0↓ 0↑ Shift↑", ")"}));

INSTANTIATE_TEST_SUITE_P(Braces, SendKeyLanguageTest,
                         ::testing::Values(SendCase{u"{{}", "Shift↓ xDB↓ xDB↑ Shift↑", "{"},
                                           SendCase{u"{}}", "Shift↓ xDD↓ xDD↑ Shift↑", "}"},
                                           SendCase{u"{{x", "Shift↓ xDB↓ xDB↑ Shift↑", "{"},
                                           SendCase{u"{{}a", "Shift↓ xDB↓ xDB↑ Shift↑ A↓ A↑", "{a"},
                                           SendCase{u"{ENTER}}", "Shift↓ xDD↓ xDD↑ Shift↑", "}"},
                                           // The right brace comes before the count is read.
                                           SendCase{u"{ENTER x}}", "Shift↓ xDD↓ xDD↑ Shift↑", "}"},
                                           SendCase{u"^{{}", "Ctrl↓ Shift↓ xDB↓ xDB↑ Shift↑ Ctrl↑", "<Ctrl+Shift+xDB>"},
                                           SendCase{u"{{", "Shift↓ xDB↓ xDB↑ Shift↑", "{"}));

INSTANTIATE_TEST_SUITE_P(UnclosedBraces, SendKeyLanguageTest,
                         ::testing::Values(SendCase{u"{ENTER", "", "", {kNoClose}, false},
                                           SendCase{u"x+{ENTER", "X↓ X↑ Shift↓ Shift↑", "x", {kNoClose}, false},
                                           SendCase{u"{", "", "", {kNoClose}, false},
                                           SendCase{u"a{", "A↓ A↑", "a", {kNoClose}, false},
                                           SendCase{u"{a~b", "", "", {kNoClose}, false},
                                           SendCase{u"+(a{b", "Shift↓ A↓ A↑ Shift↑", "A", {kNoClose}, false}));

INSTANTIATE_TEST_SUITE_P(
    UnknownNames, SendKeyLanguageTest,
    ::testing::Values(SendCase{u"{XYZ}", "", "", {kNoKey}}, SendCase{u"{}ab", "A↓ A↑ B↓ B↑", "ab", {kNoKey}},
                      SendCase{u"{INSERT}", "", "", {kNoKey}}, SendCase{u"{PAGEUP}", "", "", {kNoKey}},
                      SendCase{u"{PAGEDOWN}", "", "", {kNoKey}}, SendCase{u"{SPACE}", "", "", {kNoKey}},
                      SendCase{u"{SHIFT}", "", "", {kNoKey}}, SendCase{u"{DE}", "", "", {kNoKey}},
                      SendCase{u"{DELETEX}", "", "", {kNoKey}}, SendCase{u"{F17}", "", "", {kNoKey}},
                      SendCase{u"{ABCDEFGHIJKLMNOPQRSTU}", "", "", {kNoKey}},
                      // Longer than 20 bytes: cut to "BACKSPACEBACKSPACEBA".
                      SendCase{u"{BACKSPACEBACKSPACEBACKSPACE}", "", "", {kNoKey}}, SendCase{u"{中}", "", "", {kNoKey}},
                      // No key for the name: the held Shift waits for the next key.
                      SendCase{u"+{XYZ}a", "Shift↓ A↓ A↑ Shift↑", "A", {kNoKey}}));

INSTANTIATE_TEST_SUITE_P(CharactersWithoutKey, SendKeyLanguageTest,
                         ::testing::Values(SendCase{u"中a", "A↓ A↑", "a", {kNoKey}}, SendCase{u"é", "", "", {kNoKey}},
                                           SendCase{u"😀", "", "", {kNoKey, kNoKey}},
                                           SendCase{u"+中a", "Shift↓ A↓ A↑ Shift↑", "A", {kNoKey}},
                                           // A one-character braced name without a key: skipped silently.
                                           SendCase{u"{\u0001}", "", ""}));

INSTANTIATE_TEST_SUITE_P(EmptyTexts, SendKeyLanguageTest,
                         ::testing::Values(SendCase{u"", "", "", {}, false}, SendCase{u"\0abc"s, "", "", {}, false}));

TEST_F(SendKeyTest, MessagesComeInTheSendKeysBox) {
    autofill::SendKeyString(u"中{ENTER", true);
    const std::vector<platform::Dialogs::Box> boxes = dialogs->take();
    ASSERT_EQ(boxes.size(), 2u);
    for (const auto& box : boxes) {
        EXPECT_EQ(box.title, QStringLiteral("SendKeys"));
        EXPECT_EQ(box.icon, platform::Dialogs::Icon::None);
        EXPECT_EQ(box.buttons, platform::Dialogs::Buttons::Ok);
    }
}

TEST_F(SendKeyTest, QtTextIsTypedLikeTheSameUtf16Text) {
    EXPECT_TRUE(autofill::SendKeyString(QStringLiteral("+(ab)c{TAB}"), true));
    EXPECT_EQ(keyboard->typedText(), "ABc<Tab>");
}

struct BadCountCase {
    std::u16string text;
    std::string eventsBefore;
    std::string error;
};

void PrintTo(const BadCountCase& c, std::ostream* out) { *out << '"' << utf8(c.text) << '"'; }

class SendKeyBadCountTest : public SendKeyTest, public ::testing::WithParamInterface<BadCountCase> {};

TEST_P(SendKeyBadCountTest, EndsTheCallWithTheIntegerError) {
    const BadCountCase& c = GetParam();
    try {
        autofill::SendKeyString(c.text, true);
        FAIL() << "no error";
    } catch (const Error& error) {
        EXPECT_EQ(std::string(error.what()), c.error);
    }
    EXPECT_EQ(keyboard->eventText(), c.eventsBefore);
    EXPECT_TRUE(keyboard->keysDown().empty()) << "a key stays held after the error";
    EXPECT_TRUE(takeMessages().empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SendKeyBadCountTest,
    // The count text is shown as collected, a to z upper-cased.
    ::testing::Values(BadCountCase{u"{ENTER x}", "", "'X' is not a valid integer value"},
                      BadCountCase{u"{ENTER }", "", "'' is not a valid integer value"},
                      BadCountCase{u"{ }", "", "'' is not a valid integer value"},
                      BadCountCase{u"+{ENTER x}", "Shift↓ Shift↑", "'X' is not a valid integer value"},
                      BadCountCase{u"a{TAB 1x}b", "A↓ A↑", "'1X' is not a valid integer value"},
                      BadCountCase{u"{ENTER 中}", "", "'中' is not a valid integer value"},
                      // The name is looked up only after the count: an unknown name gives no message.
                      BadCountCase{u"{XYZ 1 2}", "", "'1 2' is not a valid integer value"},
                      BadCountCase{u"+(a{TAB y}b)", "Shift↓ A↓ A↑ Shift↑", "'Y' is not a valid integer value"}));

// What a text types, looked at before any key goes out: the characters asked keys for, never the
// key language's signs or named keys, with nothing sent and nothing shown, even for a text the
// typing itself would report.
TEST_F(SendKeyTest, TheCharactersTypedAreReadWithoutAKeyOrAMessage) {
    struct Case {
        std::u16string text;
        std::u16string characters;
    };
    for (const Case& c : {Case{u"abc", u"abc"}, Case{u"+a^b%(cd)~", u"abcd"}, Case{u"x{TAB 3}y{ENTER}", u"xy"},
                          Case{u"{{}{}}{+}", u"{}+"}, Case{u"é中{XYZ}€", u"é中€"}, Case{u"ab{TAB x}cd", u"ab"},
                          Case{u"ab{cd", u"ab"}}) {
        SCOPED_TRACE(utf8(c.text));
        EXPECT_EQ(utf8(autofill::CharactersTyped(c.text)), utf8(c.characters));
    }
    EXPECT_EQ(keyboard->eventText(), "");
    EXPECT_TRUE(takeMessages().empty());
}

}  // namespace
}  // namespace tessavo
