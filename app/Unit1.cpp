// The main window's life: creation, the wiring of every handler, close and destruction.
#include "app/Unit1.h"

#include <QAction>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTableView>
#include <QTimer>
#include <QWheelEvent>

#include "access/PasswordFilter.h"
#include "access/Unit_Login.h"
#include "app/Artwork.h"
#include "app/GridBinding.h"
#include "autofill/Hotkeys.h"
#include "autofill/Unit_Clipbrd.h"
#include "cipher/Unit_Orvel_DESCrypt.h"
#include "maintenance/Unit_DB.h"
#include "platform/base/AppInfo.h"
#include "platform/desktop/Dialogs.h"
#include "platform/desktop/FormParts.h"
#include "platform/desktop/Guard.h"
#include "platform/desktop/Unit_Shortcuts.h"
#include "platform/x11/Unit_Function.h"
#include "store/Connection.h"
#include "store/ConnectionString.h"
#include "store/Query.h"
#include "store/ResultTableModel.h"

namespace tessavo::app {
namespace {

// The support contact closes the start-up error message.
QString startupErrorMessage() {
    return QStringLiteral("程序发生未知错误,请联系客服 ") + QStringLiteral("support@tessavo.example") +
           QStringLiteral(" ");
}

}  // namespace

TForm1::TForm1(const QString& appDir, QWidget* parent) : QWidget(parent), appDir_(appDir) {
    buildWindow();
    // Centred on the screen: without a window manager (or with one that cascades) nothing
    // else would place it there.
    platform::centreOnScreen(this);
    buildDataLayer();
    buildTimers();
    buildMenus();
    connectHandlers();
    FormCreate();
}

TForm1::~TForm1() { FormDestroy(); }

void TForm1::setLoginWindow(access::TForm2* loginWindow) { loginWindow_ = loginWindow; }

QString TForm1::panelText(StatusPanel panel) const { return panels_[panel]->text(); }

void TForm1::setPanelText(StatusPanel panel, const QString& text) { panels_[panel]->setText(text); }

void TForm1::buildDataLayer() {
    ADOConnection1 = std::make_unique<store::Connection>();
    const auto query = [this](const char* name) {
        auto* result = new store::Query(*ADOConnection1, this);
        result->setObjectName(QString::fromLatin1(name));
        return result;
    };
    ADOQuery1 = query("ADOQuery1");
    ADOQuery1->addSql(QStringLiteral("Select * from data"));
    ADOQuery2 = query("ADOQuery2");
    ADOQuery_Pass = query("ADOQuery_Pass");
    ADOQuery_EnCrypt = query("ADOQuery_EnCrypt");
    DataSource1 = new store::ResultTableModel(ADOQuery1, this);
    DataSource1->setObjectName(QStringLiteral("DataSource1"));
    DBGrid1->setModel(DataSource1);
    bindGridToResult(DBGrid1, ADOQuery1);
}

void TForm1::buildTimers() {
    const auto timer = [this](const char* name, int interval) {
        auto* result = new QTimer(this);
        result->setObjectName(QString::fromLatin1(name));
        result->setInterval(interval);
        return result;
    };
    Timer_CheckLogin = timer("Timer_CheckLogin", 1000);
    Timer_ClearClipbrd = timer("Timer_ClearClipbrd", 60000);
    Timer1 = timer("Timer1", 1000);
    Timer_CloseMe = timer("Timer_CloseMe", 1000);
    Timer1->start();
}

void TForm1::buildMenus() {
    const auto action = [](QMenu* menu, const char* name, const QString& text) {
        QAction* result = text.isEmpty() ? menu->addSeparator() : menu->addAction(text);
        result->setObjectName(QString::fromLatin1(name));
        return result;
    };
    PopupMenu1 = new QMenu(this);
    PopupMenu1->setObjectName(QStringLiteral("PopupMenu1"));
    Aboutme = action(PopupMenu1, "Aboutme", QStringLiteral("检测更新"));
    N2 = action(PopupMenu1, "N2", {});
    ShowME = action(PopupMenu1, "ShowME", QStringLiteral("显示窗口"));
    HideME = action(PopupMenu1, "HideME", QStringLiteral("隐藏窗口"));
    N1 = action(PopupMenu1, "N1", {});
    CloseMe = action(PopupMenu1, "CloseMe", QStringLiteral("退出程序"));

    PopupMenu2 = new QMenu(this);
    PopupMenu2->setObjectName(QStringLiteral("PopupMenu2"));
    N5 = action(PopupMenu2, "N5", QStringLiteral("添加分类"));
    N4 = action(PopupMenu2, "N4", QStringLiteral("修改分类"));
    N3 = action(PopupMenu2, "N3", QStringLiteral("删除选中分类(包含分类所有帐号信息)"));

    TrayIcon1 = new QSystemTrayIcon(windowIcon(), this);
    TrayIcon1->setObjectName(QStringLiteral("TrayIcon1"));
    TrayIcon1->setToolTip(applicationTitle());
    TrayIcon1->setContextMenu(PopupMenu1);
}

void TForm1::connectHandlers() {
    using platform::bindGuarded;
    using platform::bindGuardedCall;
    const auto click = [this](QPushButton* button, void (TForm1::*handler)()) {
        bindGuarded(button, &QPushButton::clicked, this, handler);
    };
    const auto menu = [this](QAction* action, void (TForm1::*handler)()) {
        bindGuarded(action, &QAction::triggered, this, handler);
    };
    const auto tick = [this](QTimer* timer, void (TForm1::*handler)()) {
        bindGuarded(timer, &QTimer::timeout, this, handler);
    };

    click(Button8, &TForm1::Button8Click);
    click(Button_HIde, &TForm1::Button_HIdeClick);
    click(Button_CheckLogin, &TForm1::Button_CheckLoginClick);
    click(Button_Search, &TForm1::Button_SearchClick);
    click(Button_Refresh, &TForm1::Button_RefreshClick);
    click(Button_GeiClass, &TForm1::Button_GeiClassClick);
    click(Button_First, &TForm1::Button_FirstClick);
    click(Button_Prior, &TForm1::Button_PriorClick);
    click(Button_Next, &TForm1::Button_NextClick);
    click(Button_Last, &TForm1::Button_LastClick);
    click(Button10, &TForm1::Button10Click);
    click(Button4, &TForm1::Button4Click);
    click(ButtonCopyZhangHao, &TForm1::ButtonCopyZhangHaoClick);
    click(Button_Pass_ShowOrHide, &TForm1::Button_Pass_ShowOrHideClick);
    click(ButtonCopyEdit_MiMa, &TForm1::ButtonCopyEdit_MiMaClick);
    click(Button1, &TForm1::Button1Click);
    click(Button2, &TForm1::Button2Click);
    click(Button3, &TForm1::Button3Click);
    click(Button_ClearAllEdit, &TForm1::Button_ClearAllEditClick);
    click(Button7, &TForm1::Button7Click);
    click(Button_PassCleal, &TForm1::Button_PassClealClick);
    click(Button5, &TForm1::Button5Click);
    click(Button11, &TForm1::Button11Click);
    click(Button9, &TForm1::Button9Click);
    click(Button6, &TForm1::Button6Click);
    bindGuarded(CheckBox_JiaMi, &QCheckBox::clicked, this, &TForm1::CheckBox_JiaMiClick);

    menu(Aboutme, &TForm1::AboutmeClick);
    menu(ShowME, &TForm1::ShowMEClick);
    menu(HideME, &TForm1::HideMEClick);
    menu(CloseMe, &TForm1::CloseMeClick);
    menu(N5, &TForm1::N5Click);
    menu(N4, &TForm1::N4Click);
    menu(N3, &TForm1::N3Click);

    tick(Timer_CheckLogin, &TForm1::Timer_CheckLoginTimer);
    tick(Timer_ClearClipbrd, &TForm1::Timer_ClearClipbrdTimer);
    tick(Timer1, &TForm1::Timer1Timer);
    tick(Timer_CloseMe, &TForm1::Timer_CloseMeTimer);

    bindGuardedCall(TrayIcon1, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger) TrayIcon1Click();
    });
    // The user's choice by a left click or a key; never the focus or the right button.
    bindGuarded(ListBox_Class, &CategoryList::chosen, this, &TForm1::ListBox_ClassClick);
    bindGuardedCall(ListBox_Class, &QListWidget::customContextMenuRequested, this,
                    [this](const QPoint& at) { PopupMenu2->popup(ListBox_Class->mapToGlobal(at)); });
    bindGuardedCall(DBGrid1, &QTableView::clicked, this, [this] { DBGrid1CellClick(); });

    // Clicks into the keyword box and the filters of the password entries.
    searchkeyword->installEventFilter(this);
    Edit_Pass_A->installEventFilter(this);
    Edit_Pass_B->installEventFilter(this);
}

// ---- start-up --------------------------------------------------------------------------

void TForm1::FormCreate() {
    bool databaseFound = true;
    const bool guardedStepsDone = platform::runGuarded([this, &databaseFound] {
        try {
            cipher::setAccountKey(cipher::kAccountKeyText);
            setWindowTitle(windowTitle() + QStringLiteral(" ") + EditVer->text());
            // The window stays hidden until a login shows it.
            LoadTypingMode();
            // Only a file (a link is followed) is a database; a directory of that name is none.
            if (!QFileInfo(store::databasePath(appDir_)).isFile()) {
                databaseFound = false;
                platform::inform(store::missingDatabaseMessage());
                Timer_CloseMe->start();
                return;
            }
            // The one running program: no rewrite of the file is under way but a killed one's.
            maintenance::removeRewriteLeftovers(store::databasePath(appDir_));
            ADOConnection1->setConnectionString(store::connectionStringFor(appDir_));
            Timer_CheckLogin->start();
            takeOverGridWheel();
        } catch (const std::exception&) {
            platform::inform(startupErrorMessage());
            // Not yet the application's main window: closing only disconnects and hides.
            platform::runGuarded([this] { FormClose(); });
            hide();
        }
    });
    if (!guardedStepsDone || !databaseFound) return;
    TrayIcon1->show();
    const QString executable = QCoreApplication::applicationFilePath();
    platform::CreateShortcut(executable, applicationTitle(), QString(), -1, writeProgramIconBeside(executable));
}

void TForm1::Timer_CloseMeTimer() { requestClose(); }

// ---- shutdown --------------------------------------------------------------------------

void TForm1::requestClose() {
    programClose_ = true;
    const bool accepted = close();
    programClose_ = false;
    if (!accepted) return;
    closed_ = true;
    emit programEnded();
}

void TForm1::closeEvent(QCloseEvent* event) {
    if (!programClose_) {  // the window manager's close request: ignored
        event->ignore();
        return;
    }
    // An error of the close handler (the clipboard cannot be opened) keeps the window open.
    if (platform::runGuarded([this] { FormClose(); })) {
        event->accept();
    } else {
        event->ignore();
    }
}

void TForm1::FormClose() {
    ADOConnection1->close();
    autofill::ClipboardInstance().Clear();
}

void TForm1::FormDestroy() { autofill::ReleaseAutoFillHotkeys(); }

// ---- events that are not signals --------------------------------------------------------

// The wheel is the same over every part of the grid: its rows, its scroll bars, its headers.
void TForm1::takeOverGridWheel() {
    DBGrid1->installEventFilter(this);
    for (QWidget* part : DBGrid1->findChildren<QWidget*>()) part->installEventFilter(this);
}

bool TForm1::isPartOfGrid(const QObject* object) const {
    return object == DBGrid1 || (object->isWidgetType() && DBGrid1->isAncestorOf(static_cast<const QWidget*>(object)));
}

bool TForm1::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Wheel && isPartOfGrid(watched)) {
        const QPoint turn = static_cast<QWheelEvent*>(event)->angleDelta();
        // A sideways turn (tilted wheel, touchpad) moves no row.
        const bool sideways = turn.y() == 0 && turn.x() != 0;
        if (!sideways) platform::runGuarded([this, turn] { DBGrid1MouseWheel(turn.y()); });
        return true;  // the grid's own scrolling never runs
    }
    if (watched == searchkeyword) {
        if (platform::isLeftButton(*event, QEvent::MouseButtonPress))
            platform::runGuarded([this] { searchkeywordClick(); });
        if (platform::isLeftButton(*event, QEvent::MouseButtonDblClick))
            platform::runGuarded([this] { searchkeywordDblClick(); });
    }
    if (filterPasswordEntry(watched, event)) return true;
    return QWidget::eventFilter(watched, event);
}

// The two new-password entries run their key-press handlers; a discarded key never arrives.
bool TForm1::filterPasswordEntry(QObject* entry, QEvent* event) {
    if ((entry != Edit_Pass_A && entry != Edit_Pass_B) || event->type() != QEvent::KeyPress) return false;
    QChar typed = access::typedCharacter(*static_cast<QKeyEvent*>(event));
    if (typed.isNull()) return false;
    if (entry == Edit_Pass_A) {
        Edit_Pass_AKeyPress(typed);
    } else {
        Edit_Pass_BKeyPress(typed);
    }
    return typed.isNull();
}

}  // namespace tessavo::app
