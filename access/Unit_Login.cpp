#include "access/Unit_Login.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStatusBar>

#include "access/LoginState.h"
#include "access/PasswordEntry.h"
#include "access/PasswordFilter.h"
#include "platform/base/Logging.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/FormParts.h"
#include "platform/desktop/Guard.h"
#include "platform/x11/Unit_Function.h"

namespace tessavo::access {
namespace {

using platform::named;

constexpr int kLockoutCount = 3;

}  // namespace

TForm2::TForm2(MainWindowHooks mainWindow, QWidget* parent) : QWidget(parent), mainWindow_(std::move(mainWindow)) {
    buildWindow();
    connectHandlers();
    FormCreate();
}

void TForm2::buildWindow() {
    setObjectName(QStringLiteral("Form2"));
    setWindowTitle(QStringLiteral("管理登录"));
    // A fixed border without any title-bar button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(260, 147);
    setFont(platform::formFont());

    GroupBox1 = named(new QGroupBox(this), "GroupBox1");
    GroupBox1->setGeometry(0, 0, 260, 124);
    Label1 = named(new QLabel(QStringLiteral("请输入管理密码：(默认密码vorel)"), GroupBox1), "Label1");
    Label1->move(16, 24);
    Edit_LoginPass = named(new PasswordEntry(GroupBox1), "Edit_LoginPass");
    Edit_LoginPass->setGeometry(17, 47, 220, 25);
    Edit_LoginPass->setEchoMode(QLineEdit::Password);
    Label1->setBuddy(Edit_LoginPass);
    Button_Logining = named(new QPushButton(QStringLiteral("进入"), GroupBox1), "Button_Logining");
    Button_Logining->setGeometry(79, 87, 75, 25);
    Button2 = named(new QPushButton(QStringLiteral("退出"), GroupBox1), "Button2");
    Button2->setGeometry(161, 87, 75, 25);
    for (QPushButton* button : {Button_Logining, Button2}) button->setAutoDefault(false);
    Edit_Error = named(new QLineEdit(QStringLiteral("0"), this), "Edit_Error");
    Edit_Error->hide();
    Edit_LoginPass_Temp = named(new QLineEdit(this), "Edit_LoginPass_Temp");
    Edit_LoginPass_Temp->hide();

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setGeometry(0, 124, 260, 23);
    StatusBar1->setSizeGripEnabled(false);
    panel_ = new QLabel(StatusBar1);
    panel_->setObjectName(QStringLiteral("StatusBar1Panel0"));
    panel_->setMinimumWidth(50);  // grows with its text, so "密码错误...2次" stays readable
    StatusBar1->addWidget(panel_, 1);
    Edit_LoginPass->setFocus();

    platform::centreOnScreen(this);
}

void TForm2::connectHandlers() {
    platform::bindGuarded(Button_Logining, &QPushButton::clicked, this, &TForm2::Button_LoginingClick);
    platform::bindGuarded(Button2, &QPushButton::clicked, this, &TForm2::Button2Click);
    platform::bindGuarded(Edit_LoginPass, &QLineEdit::textChanged, this, &TForm2::Edit_LoginPassChange);
    platform::bindGuarded(Edit_Error, &QLineEdit::textChanged, this, &TForm2::Edit_ErrorChange);
    Edit_LoginPass->installEventFilter(this);
}

QString TForm2::panelText() const { return panel_->text(); }

void TForm2::FormCreate() {}

void TForm2::Button_LoginingClick() {
    if (Edit_LoginPass->text().isEmpty()) {
        platform::inform(QStringLiteral("请输入密码..."));
        return;
    }
    const bool opened = !mainWindow_.unlockDatabase || mainWindow_.unlockDatabase(Edit_LoginPass->text());
    // A password that does not open the file is a wrong password like any other.
    if (!opened || loginCipherOf(Edit_LoginPass->text()) != StoredLoginCipher()) {
        const int failures = Edit_Error->text().toInt() + 1;
        qCDebug(lcAccess, "login refused, failure %d of %d", failures, kLockoutCount);
        Edit_Error->setText(QString::number(failures));  // runs the lockout check at once
        panel_->setText(QStringLiteral("密码错误...") + QString::number(failures) + QStringLiteral("次"));
        return;
    }
    qCDebug(lcAccess, "login accepted");
    hide();
    mainWindow_.window->show();
    platform::trigger(mainWindow_.categoryLoad);
    platform::trigger(mainWindow_.refresh);
    Edit_LoginPass->clear();
    Edit_LoginPass_Temp->setText(StoredLoginCipher());
    autofill::RegisterAutoFillHotkeys(mainWindow_.autoFill);
}

void TForm2::Button2Click() { mainWindow_.close(); }

void TForm2::Edit_LoginPassClick() { Edit_LoginPass->clear(); }

void TForm2::Edit_LoginPassChange() { defaultButton_ = Button_Logining; }

void TForm2::Edit_LoginPassKeyPress(QChar& key) { filterPasswordKey(key); }

void TForm2::Edit_ErrorChange() {
    if (Edit_Error->text() != QString::number(kLockoutCount)) return;
    platform::inform(QStringLiteral("由于您多次输入了无效的密码程序将要退出..."));
    mainWindow_.close();
}

void TForm2::closeEvent(QCloseEvent* event) {
    // The window manager's close request (Alt+F4) is ignored; the program hides this window itself.
    event->ignore();
}

void TForm2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    // A window manager takes the activation of a minimised window as the user's wish to see it.
    if (!isMinimized()) activateWindow();
    Edit_LoginPass->setFocus();
}

bool TForm2::eventFilter(QObject* watched, QEvent* event) {
    if (watched != Edit_LoginPass) return QWidget::eventFilter(watched, event);
    if (platform::isLeftButton(*event, QEvent::MouseButtonPress)) {
        platform::runGuarded([this] { Edit_LoginPassClick(); });
        return false;
    }
    if (event->type() != QEvent::KeyPress) return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) && defaultButton_) {
        defaultButton_->click();
        return true;
    }
    QChar typed = typedCharacter(*key);
    if (typed.isNull()) return false;
    Edit_LoginPassKeyPress(typed);
    return typed.isNull();  // a discarded character never reaches the entry
}

}  // namespace tessavo::access
