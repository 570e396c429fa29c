// The typing filter of the three password entries (the login entry, the new password and its
// confirmation) holds for every way text comes in, not only for typed keys; the old-password
// entry takes anything.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <functional>

#include "access/Unit_Login.h"
#include "app/Unit1.h"
#include "platform/desktop/Guard.h"
#include "tests/support/ProgramFixture.h"

using namespace tessavo;

namespace {

struct Entry {
    const char* name;
    std::function<QLineEdit*(app::TForm1&, access::TForm2&)> of;
    bool filtered;
};

const Entry kEntries[] = {
    {"Edit_LoginPass", [](app::TForm1&, access::TForm2& login) { return login.Edit_LoginPass; }, true},
    {"Edit_Pass_A", [](app::TForm1& main, access::TForm2&) { return main.Edit_Pass_A; }, true},
    {"Edit_Pass_B", [](app::TForm1& main, access::TForm2&) { return main.Edit_Pass_B; }, true},
    {"Edit_OldPass", [](app::TForm1& main, access::TForm2&) { return main.Edit_OldPass; }, false},
};

// Ways text arrives without a key press of its own.
struct Way {
    const char* name;
    std::function<void(QLineEdit*, const QString&)> bring;
};

const Way kWays[] = {
    {"pasteFromTheMenu",
     [](QLineEdit* entry, const QString& text) {
         QApplication::clipboard()->setText(text);
         entry->paste();
     }},
    {"inputMethodCommit",
     [](QLineEdit* entry, const QString& text) {
         QInputMethodEvent preedit(text, {});
         QApplication::sendEvent(entry, &preedit);
         QInputMethodEvent commit;
         commit.setCommitString(text);
         QApplication::sendEvent(entry, &commit);
     }},
    {"drop",
     [](QLineEdit* entry, const QString& text) {
         QMimeData data;
         data.setText(text);
         const QPointF at = entry->rect().center();
         QDragEnterEvent enter(at.toPoint(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
         QApplication::sendEvent(entry, &enter);
         QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
         QApplication::sendEvent(entry, &drop);
     }},
};

class PasswordEntries : public test::ProgramFixture {
protected:
    QLineEdit* entry(const Entry& e) { return e.of(main(), login()); }
};

TEST_F(PasswordEntries, TextFromEveryWayInIsFilteredLikeTypedKeys) {
    const QString brought = QStringLiteral("1!中a b");
    for (const Entry& e : kEntries) {
        for (const Way& way : kWays) {
            SCOPED_TRACE(std::string(e.name) + " " + way.name);
            QLineEdit* target = entry(e);
            target->setText(QStringLiteral("ab"));
            target->setCursorPosition(2);
            dialogs->beeps = 0;
            way.bring(target, brought);
            EXPECT_EQ(target->text(), e.filtered ? QStringLiteral("ab1ab") : QStringLiteral("ab") + brought);
            EXPECT_EQ(dialogs->beeps, e.filtered ? 3 : 0);
        }
    }
    QApplication::clipboard()->clear();
}

TEST_F(PasswordEntries, TheInputMethodStaysOffOnTheFilteredEntriesAlsoWhenMasked) {
    const auto inputMethodEnabled = [](QLineEdit* target) {
        QInputMethodQueryEvent query(Qt::ImEnabled);
        QApplication::sendEvent(target, &query);
        return query.value(Qt::ImEnabled).toBool();
    };
    for (const bool masked : {false, true}) {
        if (masked) QTest::mouseClick(main().Button5, Qt::LeftButton);  // "防偷窥"
        for (const Entry& e : kEntries) {
            SCOPED_TRACE(std::string(e.name) + (masked ? " masked" : ""));
            EXPECT_EQ(inputMethodEnabled(entry(e)), !e.filtered);
            if (e.filtered) {
                EXPECT_TRUE(entry(e)->inputMethodHints().testFlag(Qt::ImhSensitiveData));
            }
        }
    }
}

TEST_F(PasswordEntries, AFilteredPasteCannotMakeAPasswordTheLoginBoxRefuses) {
    platform::trigger(main().Button_CheckLogin);
    QApplication::clipboard()->setText(QStringLiteral("vo rel中"));
    login().Edit_LoginPass->paste();
    QApplication::clipboard()->clear();
    EXPECT_EQ(login().Edit_LoginPass->text(), QStringLiteral("vorel"));
    platform::trigger(login().Button_Logining);
    EXPECT_TRUE(main().isVisible());
    EXPECT_FALSE(login().Edit_LoginPass_Temp->text().isEmpty());
}

}  // namespace
