#pragma once

#include <QString>
#include <QWidget>
#include <memory>

#include "app/CategoryList.h"
#include "app/Wiring.h"

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QMenu;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;
class QStatusBar;
class QSystemTrayIcon;
class QTabWidget;
class QTableView;
class QTimer;

namespace tessavo::store {
class Connection;
class Query;
class ResultTableModel;
}  // namespace tessavo::store

namespace tessavo::access {
class TForm2;
}  // namespace tessavo::access

namespace tessavo::app {

// The main window: the account pages, the settings, the about page, the status bar and
// the non-visual parts. Controls are public members named as the program names them
// (each with the same objectName), because handlers of the login window and tests reach
// them the way one form reaches another's controls.
class TForm1 : public QWidget {
    Q_OBJECT

public:
    // appDir: the application directory with its trailing separator.
    explicit TForm1(const QString& appDir, QWidget* parent = nullptr);
    ~TForm1() override;

    // The login window is made after the main window; start-up hands it over.
    void setLoginWindow(access::TForm2* loginWindow);
    access::TForm2* loginWindow() const { return loginWindow_; }
    const QString& appDir() const { return appDir_; }

    // The program's own ways of closing the main window; the window manager's close request
    // is ignored. Closing the main window ends the program.
    void requestClose();
    bool closed() const { return closed_; }

    QString panelText(StatusPanel panel) const;
    void setPanelText(StatusPanel panel, const QString& text);

    // ---- layout -------------------------------------------------------------------------
    QLabel* Image2 = nullptr;
    QTabWidget* PageControl1 = nullptr;
    QWidget* TabSheet1 = nullptr;
    QWidget* TabSheet2 = nullptr;
    QWidget* TabSheet3 = nullptr;
    QLabel* Label22 = nullptr;
    QPushButton* Button8 = nullptr;
    QPushButton* Button_HIde = nullptr;
    QPushButton* Button_CheckLogin = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    // account page: search and navigation bar
    QGroupBox* GroupBox11 = nullptr;
    QComboBox* ComboBoxSeachClass = nullptr;
    QLineEdit* searchkeyword = nullptr;
    QPushButton* Button_Search = nullptr;
    QPushButton* Button_Refresh = nullptr;
    QPushButton* Button_GeiClass = nullptr;
    QPushButton* Button_First = nullptr;
    QPushButton* Button_Prior = nullptr;
    QPushButton* Button_Next = nullptr;
    QPushButton* Button_Last = nullptr;

    // account page: categories and grid
    QGroupBox* GroupBox9 = nullptr;
    CategoryList* ListBox_Class = nullptr;
    QFrame* Splitter1 = nullptr;
    QTableView* DBGrid1 = nullptr;
    QLineEdit* Edit_MoveBy = nullptr;

    // account page: record editor
    QGroupBox* GroupBox8 = nullptr;
    QLabel* Label6 = nullptr;
    QComboBox* Edit_FenLei = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit_BiaoTi = nullptr;
    QLabel* Label4 = nullptr;
    QLineEdit* Edit_WangZhi = nullptr;
    QPushButton* Button10 = nullptr;
    QPushButton* Button4 = nullptr;
    QLabel* Label2 = nullptr;
    QLineEdit* Edit_ZhangHao = nullptr;
    QPushButton* ButtonCopyZhangHao = nullptr;
    QLabel* Label3 = nullptr;
    QLineEdit* Edit_MiMa = nullptr;
    QPushButton* Button_Pass_ShowOrHide = nullptr;
    QPushButton* ButtonCopyEdit_MiMa = nullptr;
    QLabel* Label5 = nullptr;
    QPlainTextEdit* Memo_BeiZhu = nullptr;
    QPushButton* Button1 = nullptr;
    QPushButton* Button2 = nullptr;
    QPushButton* Button3 = nullptr;
    QLabel* Label7 = nullptr;
    QLineEdit* Edit_BianHao = nullptr;
    QLineEdit* Edit_MiMa_Temp = nullptr;
    QPushButton* Button_ClearAllEdit = nullptr;
    QPushButton* Button_Edit_FenLei_add = nullptr;
    QPushButton* Button_Edit_FenLei_Del = nullptr;

    // settings page
    QGroupBox* GroupBox3 = nullptr;
    QLabel* Label13 = nullptr;
    QLineEdit* Edit_OldPass = nullptr;
    QLabel* Label8 = nullptr;
    QLineEdit* Edit_Pass_A = nullptr;
    QLabel* Label9 = nullptr;
    QLineEdit* Edit_Pass_B = nullptr;
    QPushButton* Button7 = nullptr;
    QPushButton* Button_PassCleal = nullptr;
    QPushButton* Button5 = nullptr;
    QLabel* Label17 = nullptr;
    QGroupBox* GroupBox6 = nullptr;
    QPushButton* Button11 = nullptr;
    QLabel* Label21 = nullptr;
    QCheckBox* CheckBox_JiaMi = nullptr;  // the file under the management password
    QGroupBox* GroupBox5 = nullptr;
    QPushButton* Button9 = nullptr;
    QLabel* Label18 = nullptr;
    QGroupBox* GroupBox1 = nullptr;
    QRadioButton* RadioButton_IntoPass1 = nullptr;
    QRadioButton* RadioButton_IntoPass2 = nullptr;
    QPushButton* Button6 = nullptr;
    QLabel* Label16 = nullptr;
    QGroupBox* GroupBox4 = nullptr;
    QLabel* Label19 = nullptr;
    QLabel* Label20 = nullptr;
    QLabel* Label28 = nullptr;

    // about page
    QGroupBox* GroupBox2 = nullptr;
    QLabel* Label12 = nullptr;
    QLineEdit* EditVer = nullptr;
    QPlainTextEdit* Memo1 = nullptr;
    QFrame* Bevel1 = nullptr;

    // ---- non-visual parts ---------------------------------------------------------------
    std::unique_ptr<store::Connection> ADOConnection1;
    store::Query* ADOQuery1 = nullptr;
    store::Query* ADOQuery2 = nullptr;
    store::Query* ADOQuery_Pass = nullptr;
    store::Query* ADOQuery_EnCrypt = nullptr;
    store::ResultTableModel* DataSource1 = nullptr;
    QTimer* Timer_CheckLogin = nullptr;
    QTimer* Timer_ClearClipbrd = nullptr;
    QTimer* Timer1 = nullptr;
    QTimer* Timer_CloseMe = nullptr;
    QSystemTrayIcon* TrayIcon1 = nullptr;
    QMenu* PopupMenu1 = nullptr;
    QAction* Aboutme = nullptr;
    QAction* N2 = nullptr;
    QAction* ShowME = nullptr;
    QAction* HideME = nullptr;
    QAction* N1 = nullptr;
    QAction* CloseMe = nullptr;
    QMenu* PopupMenu2 = nullptr;
    QAction* N5 = nullptr;
    QAction* N4 = nullptr;
    QAction* N3 = nullptr;

    // ---- handlers -----------------------------------------------------------------------
    // start-up and shutdown
    void FormCreate();
    void FormClose();
    void FormDestroy();
    void Timer_CloseMeTimer();

    // tray, visibility and about
    void TrayIcon1Click();
    void ShowMEClick();
    void HideMEClick();
    void Button_HIdeClick();
    void CloseMeClick();
    void Button8Click();
    void AboutmeClick();
    void Timer1Timer();
    void HideApplicationWindow(bool flag);
    // A later start of the program asks this one to show itself.
    void LaterStartClick();

    // login gate
    void Button_CheckLoginClick();
    void Timer_CheckLoginTimer();
    // A file protected by the management password stays unopened until the login: true when
    // the file is not locked, or when the key derived from `password` opens it (the stored
    // password is then read as the gate reads it); false when that key does not open it.
    // Other errors of the file are thrown with the engine's text.
    bool unlockDatabase(const QString& password);
    // The file is protected and no key for it is known yet.
    bool databaseLocked() const;

    // browsing and search
    void Button_RefreshClick();
    void ListBox_ClassClick();
    void Button_SearchClick();
    void searchkeywordClick();
    void searchkeywordDblClick();
    void Button_FirstClick();
    void Button_PriorClick();
    void Button_NextClick();
    void Button_LastClick();
    void DBGrid1MouseWheel(int delta);
    void DBGrid1CellClick();
    void Button_Pass_ShowOrHideClick();
    void Button10Click();

    // record editing
    void Button1Click();
    void Button2Click();
    void Button3Click();
    void Button_ClearAllEditClick();

    // categories
    void Button_GeiClassClick();
    void N5Click();
    void N4Click();
    void N3Click();

    // management password change
    void Button7Click();
    void Button_PassClealClick();
    void Button5Click();
    void Edit_Pass_AKeyPress(QChar& key);
    void Edit_Pass_BKeyPress(QChar& key);

    // typing mode
    void LoadTypingMode();
    void Button6Click();

    // clipboard
    void Button4Click();
    void ButtonCopyZhangHaoClick();
    void ButtonCopyEdit_MiMaClick();
    void Timer_ClearClipbrdTimer();

    // maintenance
    void Button11Click();
    void Button9Click();
    // Turns the protection of the database file by the management password on or off.
    void CheckBox_JiaMiClick();

signals:
    // The main window has closed: the program ends.
    void programEnded();

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildWindow();
    void buildBottomStrip();
    void buildAccountPage();
    void buildSearchBar();
    void buildGridArea();
    void buildEditor();
    void buildSettingsPage();
    void buildPasswordGroup();
    void buildTypingModeGroup();
    void buildSafetyGroup();
    void buildAboutPage();
    void buildDataLayer();
    void buildTimers();
    void buildMenus();
    void connectHandlers();
    void copyFieldToClipboard(QLineEdit* field, bool secret);
    void keepAWayBack();
    bool filterPasswordEntry(QObject* entry, QEvent* event);
    void takeOverGridWheel();
    void readStoredLoginCipher();
    void readStoredLoginCipherExplained();
    bool lacksPassTable();
    bool isPartOfGrid(const QObject* object) const;

    QString appDir_;
    access::TForm2* loginWindow_ = nullptr;
    bool programClose_ = false;
    bool closed_ = false;
    QLabel* panels_[3] = {};
};

}  // namespace tessavo::app
