#pragma once

#include <QWidget>
#include <functional>

#include "autofill/Hotkeys.h"

class QAbstractButton;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QStatusBar;

namespace tessavo::access {

// What the login window needs of the main window.
struct MainWindowHooks {
    QWidget* window = nullptr;
    QAbstractButton* categoryLoad = nullptr;  // Button_GeiClass
    QAbstractButton* refresh = nullptr;       // Button_Refresh
    std::function<void()> close;              // closing the main window ends the program
    // Opens a database file protected by the management password with the key of the typed
    // password: false when that key does not open it; true at once for a file not locked.
    std::function<bool(const QString& password)> unlockDatabase;
    autofill::AutoFillTargets autoFill;
};

// The login window "管理登录": the management password entry, the lockout after three wrong
// entries over the life of the process, and the owner of the two auto-fill hotkeys.
class TForm2 : public QWidget {
    Q_OBJECT

public:
    explicit TForm2(MainWindowHooks mainWindow, QWidget* parent = nullptr);

    // The program's own way of hiding it; the window manager's close request is ignored.
    QString panelText() const;

    QGroupBox* GroupBox1 = nullptr;
    QLabel* Label1 = nullptr;
    QLineEdit* Edit_LoginPass = nullptr;
    QPushButton* Button_Logining = nullptr;
    QPushButton* Button2 = nullptr;
    QLineEdit* Edit_Error = nullptr;
    QLineEdit* Edit_LoginPass_Temp = nullptr;
    QStatusBar* StatusBar1 = nullptr;

    void FormCreate();
    void Button_LoginingClick();
    void Button2Click();
    void Edit_LoginPassClick();
    void Edit_LoginPassChange();
    void Edit_LoginPassKeyPress(QChar& key);
    void Edit_ErrorChange();

    // Enter clicks this button once it is set.
    QPushButton* defaultButton() const { return defaultButton_; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void buildWindow();
    void connectHandlers();

    MainWindowHooks mainWindow_;
    QLabel* panel_ = nullptr;
    QPushButton* defaultButton_ = nullptr;
};

}  // namespace tessavo::access
