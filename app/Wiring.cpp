#include "app/Wiring.h"

#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>

#include "access/Unit_Login.h"
#include "app/Unit1.h"
#include "autofill/Hotkeys.h"

namespace tessavo::app {

autofill::AutoFillTargets autoFillTargetsOf(TForm1& main) {
    return {main.Edit_ZhangHao,       main.Edit_MiMa_Temp,        main.ButtonCopyZhangHao,
            main.ButtonCopyEdit_MiMa, main.RadioButton_IntoPass1, main.RadioButton_IntoPass2};
}

access::MainWindowHooks loginHooksOf(TForm1& main) {
    access::MainWindowHooks hooks;
    hooks.window = &main;
    hooks.categoryLoad = main.Button_GeiClass;
    hooks.refresh = main.Button_Refresh;
    hooks.close = [&main] { main.requestClose(); };
    hooks.unlockDatabase = [&main](const QString& password) { return main.unlockDatabase(password); };
    hooks.autoFill = autoFillTargetsOf(main);
    return hooks;
}

}  // namespace tessavo::app
