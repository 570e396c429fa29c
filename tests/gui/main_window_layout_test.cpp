#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>

#include "app/Unit1.h"
#include "tests/support/ProgramFixture.h"

using namespace tessavo;

namespace {

QString textOf(const QWidget* widget) {
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget)) return button->text();
    if (const auto* label = qobject_cast<const QLabel*>(widget)) return label->text();
    if (const auto* edit = qobject_cast<const QLineEdit*>(widget)) return edit->text();
    if (const auto* group = qobject_cast<const QGroupBox*>(widget)) return group->title();
    if (const auto* memo = qobject_cast<const QPlainTextEdit*>(widget)) return memo->toPlainText();
    return {};
}

struct ControlCase {
    const char* name;
    const char* text;
    bool shown;
    int width = 0;  // 0: not fixed by the layout
    int height = 0;
};

const ControlCase kControls[] = {
    {"Label22", "小技巧:ctrl + ← 自动输入帐号 Ctrl + → 自动输入密码.", true},
    {"Button8", "关于", true, 75, 26},
    {"Button_HIde", "最小化", true, 75, 26},
    {"Button_CheckLogin", "登录窗口", false},
    {"GroupBox11", "", true, 0, 43},
    {"searchkeyword", "请输入搜索关键词", true, 154},
    {"Button_Search", "搜索", true},
    {"Button_Refresh", "刷新数据", true},
    {"Button_GeiClass", "刷新分类", true},
    {"Button_First", "<|", true, 20, 20},
    {"Button_Prior", "<", true, 20, 20},
    {"Button_Next", ">", true, 20, 20},
    {"Button_Last", "|>", true, 20, 20},
    {"GroupBox9", "", true, 0, 262},
    {"Edit_MoveBy", "", false},
    {"GroupBox8", "", true, 0, 141},
    {"Label6", "分类", true},
    {"Label1", "标题", true},
    {"Edit_BiaoTi", "", true},
    {"Label4", "网址", true},
    {"Edit_WangZhi", "", true},
    {"Button10", "预览", true},
    {"Button4", "复制", true},
    {"Label2", "帐号", true},
    {"Edit_ZhangHao", "", true},
    {"ButtonCopyZhangHao", "复制", true},
    {"Label3", "密码", true},
    {"Edit_MiMa", "", true},
    {"Button_Pass_ShowOrHide", "显示", true},
    {"ButtonCopyEdit_MiMa", "复制", true},
    {"Label5", "备注", true},
    {"Memo_BeiZhu", "", true, 187, 116},
    {"Button1", "添加", true},
    {"Button2", "修改", true},
    {"Button3", "删除", true},
    {"Label7", "编号", false},
    {"Edit_BianHao", "", false},
    {"Edit_MiMa_Temp", "", false},
    {"Button_ClearAllEdit", "清空表单", false},
    {"Button_Edit_FenLei_add", "+", false, 20, 20},
    {"Button_Edit_FenLei_Del", "-", false, 20, 20},
    {"GroupBox3", "设置密码", true, 0, 175},
    {"Label13", "原始密码", true},
    {"Edit_OldPass", "", true, 121, 21},
    {"Label8", "请输入密码", true},
    {"Edit_Pass_A", "", true, 121, 21},
    {"Label9", "确认密码", true},
    {"Edit_Pass_B", "", true, 121, 21},
    {"Button7", "确定", true, 75, 25},
    {"Button_PassCleal", "重置", true, 75, 25},
    {"Button5", "防偷窥", true, 75, 25},
    {"Label17", "密码可以是全数字/全字母/数字+字母组合(不推荐使用汉字)", true},
    {"GroupBox6", "常用操作", true, 0, 56},
    {"Button11", "压缩修复", true},
    {"Label21", "压缩数据库", true},
    {"GroupBox5", "特殊操作", false, 0, 60},
    {"Button9", "清空数据", true},
    {"Label18", "该操作将清空数据库中所有数据,请慎用.", true},
    {"GroupBox1", "帐号密码自动输入方式", true},
    {"RadioButton_IntoPass1", "帐号密码粘贴式", true},
    {"RadioButton_IntoPass2", "帐号密码非粘贴式", true},
    {"Button6", "保存配置", true},
    {"Label16", "小技巧:ctrl + ← 自动输入帐号 Ctrl + → 自动输入密码.", true},
    {"GroupBox4", "安全说明", true, 0, 100},
    {"Label19", "1.程序退出时会自动清空系统剪切板.", true},
    {"Label20", "2.当复制帐号或密码后1分钟程序会自动清空剪切板.", true},
    {"Label28", "3.如果暂时离开电脑请进入托盘状态或退出Tessavo.", true},
    {"Label12", "https://www.tessavo.example", true},
    {"EditVer", "1.85.20171230", false},
    {"Memo1",
     "1.85更新说明:\n1.Win10操作系统重新编译\n\n特别说明:\n1."
     "该程序不能直接覆盖升级旧版的Tessavo，不同版本加密算法不同。\n"
     "2.注意事项：程序不支持（中文、全角等非ASCII码字符的密码）自动输入.",
     true},
};

class MainWindowLayout : public test::ProgramFixture {};

TEST_F(MainWindowLayout, EveryControlHasItsNameTextSizeAndVisibility) {
    for (const ControlCase& c : kControls) {
        SCOPED_TRACE(c.name);
        const auto* widget = main().findChild<QWidget*>(QString::fromLatin1(c.name));
        ASSERT_NE(widget, nullptr);
        EXPECT_EQ(textOf(widget), QString::fromUtf8(c.text));
        EXPECT_EQ(!widget->isHidden(), c.shown);
        if (c.width) {
            EXPECT_EQ(widget->width(), c.width);
        }
        if (c.height) {
            EXPECT_EQ(widget->height(), c.height);
        }
    }
}

TEST_F(MainWindowLayout, ThePasswordGroupsControlsStandAtTheirPlaces) {
    struct Place {
        const char* name;
        QRect geometry;
    };
    const Place places[] = {
        {"Edit_OldPass", {78, 35, 121, 21}},     {"Edit_Pass_A", {78, 67, 121, 21}},
        {"Edit_Pass_B", {78, 94, 121, 21}},      {"Button7", {240, 35, 75, 25}},
        {"Button_PassCleal", {242, 67, 75, 25}}, {"Button5", {240, 98, 75, 25}},
    };
    for (const Place& place : places) {
        const auto* widget = main().GroupBox3->findChild<QWidget*>(QString::fromLatin1(place.name));
        ASSERT_NE(widget, nullptr) << place.name;
        EXPECT_EQ(widget->geometry(), place.geometry) << place.name;
    }
}

TEST_F(MainWindowLayout, TheEditorsEntriesTakeTextsOfAnyLength) {
    const QString longer(100000, u'x');
    for (QLineEdit* entry : {main().Edit_BiaoTi, main().Edit_WangZhi, main().Edit_ZhangHao, main().Edit_MiMa,
                             main().Edit_MiMa_Temp, main().Edit_BianHao}) {
        entry->setText(longer);
        EXPECT_EQ(entry->text().size(), longer.size()) << entry->objectName().toStdString();
    }
}

TEST_F(MainWindowLayout, WindowPagesAndStatusBar) {
    app::TForm1& form = main();
    EXPECT_EQ(form.windowTitle(), QStringLiteral("Tessavo个人版 - 账号密码管理 1.85.20171230"));
    EXPECT_FALSE(form.isVisible());  // hidden until a login shows it
    EXPECT_EQ(form.size(), QSize(581, 595));
    EXPECT_FALSE(form.windowFlags() & Qt::WindowCloseButtonHint);
    EXPECT_FALSE(form.windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_EQ(form.Image2->size(), QSize(581, 56));
    EXPECT_EQ(form.PageControl1->height(), 481);
    ASSERT_EQ(form.PageControl1->count(), 3);
    EXPECT_EQ(form.PageControl1->tabText(0), QStringLiteral("帐号管理"));
    EXPECT_EQ(form.PageControl1->tabText(1), QStringLiteral("软件设置"));
    EXPECT_EQ(form.PageControl1->tabText(2), QStringLiteral("关于我们"));
    EXPECT_EQ(form.PageControl1->currentWidget(), form.TabSheet1);
    EXPECT_EQ(form.StatusBar1->height(), 23);
    const int widths[] = {300, 50, 150};
    for (int i = 0; i < 3; ++i) {
        const auto* panel = form.StatusBar1->findChild<QLabel*>(QStringLiteral("StatusBar1Panel%1").arg(i));
        ASSERT_NE(panel, nullptr);
        EXPECT_EQ(panel->width(), widths[i]);
    }
}

TEST_F(MainWindowLayout, PickListsAndModes) {
    app::TForm1& form = main();
    ASSERT_EQ(form.ComboBoxSeachClass->count(), 4);
    EXPECT_EQ(form.ComboBoxSeachClass->currentText(), QStringLiteral("标题"));
    const QStringList columns{QStringLiteral("标题"), QStringLiteral("网址"), QStringLiteral("帐号"),
                              QStringLiteral("备注")};
    for (int i = 0; i < 4; ++i) EXPECT_EQ(form.ComboBoxSeachClass->itemText(i), columns[i]);
    EXPECT_EQ(form.Edit_FenLei->count(), 0);
    EXPECT_FALSE(form.Edit_FenLei->isEditable());
    EXPECT_EQ(form.ListBox_Class->width(), 127);
    EXPECT_EQ(form.Edit_MiMa->echoMode(), QLineEdit::Password);
    EXPECT_TRUE(form.DBGrid1->editTriggers() == QAbstractItemView::NoEditTriggers);
}

TEST_F(MainWindowLayout, NonVisualParts) {
    app::TForm1& form = main();
    struct TimerCase {
        QTimer* timer;
        int interval;
        bool running;
    };
    // The login timer is armed by the creation because the database file exists.
    for (const TimerCase& t :
         {TimerCase{form.Timer_CheckLogin, 1000, true}, TimerCase{form.Timer_ClearClipbrd, 60000, false},
          TimerCase{form.Timer1, 1000, true}, TimerCase{form.Timer_CloseMe, 1000, false}}) {
        SCOPED_TRACE(t.timer->objectName().toStdString());
        EXPECT_EQ(t.timer->interval(), t.interval);
        EXPECT_EQ(t.timer->isActive(), t.running);
    }
    const QStringList trayEntries{QStringLiteral("Aboutme"), QStringLiteral("N2"), QStringLiteral("ShowME"),
                                  QStringLiteral("HideME"),  QStringLiteral("N1"), QStringLiteral("CloseMe")};
    const QStringList trayTexts{QStringLiteral("检测更新"), {}, QStringLiteral("显示窗口"),
                                QStringLiteral("隐藏窗口"), {}, QStringLiteral("退出程序")};
    const auto actions = form.PopupMenu1->actions();
    ASSERT_EQ(actions.size(), 6);
    for (int i = 0; i < 6; ++i) {
        EXPECT_EQ(actions[i]->objectName(), trayEntries[i]);
        EXPECT_EQ(actions[i]->text(), trayTexts[i]);
        EXPECT_EQ(actions[i]->isSeparator(), trayTexts[i].isEmpty());
    }
    const auto categoryActions = form.PopupMenu2->actions();
    ASSERT_EQ(categoryActions.size(), 3);
    EXPECT_EQ(categoryActions[0]->text(), QStringLiteral("添加分类"));
    EXPECT_EQ(categoryActions[1]->text(), QStringLiteral("修改分类"));
    EXPECT_EQ(categoryActions[2]->text(), QStringLiteral("删除选中分类(包含分类所有帐号信息)"));
    EXPECT_EQ(form.TrayIcon1->toolTip(), QStringLiteral("Tessavo个人版"));
    EXPECT_EQ(form.TrayIcon1->contextMenu(), form.PopupMenu1);
    for (const char* name : {"ADOQuery1", "ADOQuery2", "ADOQuery_Pass", "ADOQuery_EnCrypt", "DataSource1"}) {
        EXPECT_NE(form.findChild<QObject*>(QString::fromLatin1(name)), nullptr) << name;
    }
}

}  // namespace
