#include "app/Program.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "access/Unit_Login.h"
#include "app/Artwork.h"
#include "app/Unit1.h"

namespace tessavo::app {
namespace {

access::MainWindowHooks hooksOf(TForm1& main) {
    access::MainWindowHooks hooks;
    hooks.window = &main;
    hooks.categoryLoad = main.Button_GeiClass;
    hooks.refresh = main.Button_Refresh;
    hooks.close = [&main] { main.requestClose(); };
    hooks.autoFill = {main.Edit_ZhangHao,       main.Edit_MiMa_Temp,        main.ButtonCopyZhangHao,
                      main.ButtonCopyEdit_MiMa, main.RadioButton_IntoPass1, main.RadioButton_IntoPass2};
    return hooks;
}

}  // namespace

Program::Program(const QString& appDir) : main_(std::make_unique<TForm1>(appDir)) {
    login_ = std::make_unique<access::TForm2>(hooksOf(*main_));
    login_->setWindowIcon(programIcon());
    main_->setLoginWindow(login_.get());
}

// The login window goes first; the main window's destruction then releases the hotkeys.
Program::~Program() { login_.reset(); }

}  // namespace tessavo::app
