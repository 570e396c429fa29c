// Qt's own texts (the standard buttons of the boxes and the input dialog, the edit fields'
// menu) read in Chinese once start-up has prepared the application.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDialogButtonBox>
#include <QIcon>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTranslator>
#include <memory>

#include "app/Startup.h"

using namespace tessavo;

namespace {

// Start-up's settings last for the whole process: the test takes them back afterwards, so the
// other tests of this process see the application as before.
class PreparedApplication {
public:
    PreparedApplication()
        : styleSheet_(qApp->styleSheet()),
          name_(QCoreApplication::applicationName()),
          icon_(QApplication::windowIcon()),
          quitOnLastWindowClosed_(QApplication::quitOnLastWindowClosed()) {
        app::prepareApplication(*qApp);
    }
    ~PreparedApplication() {
        for (QTranslator* translator : qApp->findChildren<QTranslator*>()) delete translator;
        qApp->setStyleSheet(styleSheet_);
        QCoreApplication::setApplicationName(name_);
        QApplication::setWindowIcon(icon_);
        QApplication::setQuitOnLastWindowClosed(quitOnLastWindowClosed_);
    }
    PreparedApplication(const PreparedApplication&) = delete;
    PreparedApplication& operator=(const PreparedApplication&) = delete;

private:
    QString styleSheet_;
    QString name_;
    QIcon icon_;
    bool quitOnLastWindowClosed_;
};

TEST(QtOwnTexts, TheBoxesStandardButtonsReadInChinese) {
    const PreparedApplication prepared;
    const std::pair<QMessageBox::StandardButton, QString> buttons[] = {
        {QMessageBox::Yes, QStringLiteral("是(&Y)")},
        {QMessageBox::No, QStringLiteral("否(&N)")},
        {QMessageBox::Ok, QStringLiteral("确定")},
        {QMessageBox::Cancel, QStringLiteral("取消")},
    };
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Ok | QMessageBox::Cancel);
    for (const auto& [button, text] : buttons) EXPECT_EQ(box.button(button)->text(), text);
}

TEST(QtOwnTexts, TheInputDialogsButtonsAndTheEditMenuReadInChinese) {
    const PreparedApplication prepared;
    QInputDialog dialog;
    dialog.setInputMode(QInputDialog::TextInput);
    dialog.show();
    const auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_NE(buttons, nullptr);
    EXPECT_EQ(buttons->button(QDialogButtonBox::Ok)->text(), QStringLiteral("确定"));
    EXPECT_EQ(buttons->button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    dialog.hide();

    QLineEdit entry;
    const std::unique_ptr<QMenu> menu(entry.createStandardContextMenu());
    QStringList texts;
    for (const QAction* action : menu->actions())
        if (!action->isSeparator()) texts.append(action->text().section(u'\t', 0, 0));
    EXPECT_TRUE(texts.contains(QStringLiteral("粘贴(&P)"))) << texts.join(u' ').toStdString();
    EXPECT_TRUE(texts.contains(QStringLiteral("复制(&C)"))) << texts.join(u' ').toStdString();
}

}  // namespace
