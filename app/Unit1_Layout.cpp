// The main window's controls: their names, texts, sizes and places.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMenu>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTableView>
#include <limits>

#include "access/PasswordEntry.h"
#include "app/Artwork.h"
#include "app/CategoryList.h"
#include "app/Unit1.h"
#include "app/UpdatePage.h"
#include "platform/base/AppInfo.h"
#include "platform/desktop/FormParts.h"
#include "platform/desktop/SessionKind.h"

namespace tessavo::app {
namespace {

using platform::named;

constexpr int kClientWidth = 581;
constexpr int kClientHeight = 595;
constexpr int kBannerHeight = 56;
constexpr int kPagesHeight = 481;
constexpr int kStatusHeight = 23;
constexpr int kPageWidth = 573;
constexpr int kPageHeight = 451;

QPushButton* button(QWidget* parent, const char* name, const QString& text, const QRect& geometry) {
    auto* result = named(new QPushButton(text, parent), name);
    result->setGeometry(geometry);
    result->setAutoDefault(false);
    return result;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, const QPoint& at) {
    auto* result = named(new QLabel(text, parent), name);
    result->move(at);
    result->adjustSize();
    return result;
}

// The file sets no length to any field: an entry takes and gives back texts of any length,
// not only Qt's default of 32 767 characters.
template <class Entry = QLineEdit>
Entry* edit(QWidget* parent, const char* name, const QRect& geometry) {
    auto* result = named(new Entry(parent), name);
    result->setGeometry(geometry);
    result->setMaxLength(std::numeric_limits<int>::max());
    return result;
}

QGroupBox* group(QWidget* parent, const char* name, const QString& title, const QRect& geometry) {
    auto* result = named(new QGroupBox(title, parent), name);
    result->setGeometry(geometry);
    return result;
}

void setColour(QLabel* target, const QColor& colour) {
    QPalette palette = target->palette();
    palette.setColor(QPalette::WindowText, colour);
    target->setPalette(palette);
}

// The label names its field for screen readers and for tests that drive the window by caption.
QLabel* caption(QWidget* parent, const char* name, const QString& text, const QPoint& at, QWidget* field) {
    QLabel* result = label(parent, name, text, at);
    result->setBuddy(field);
    return result;
}

QString hotkeyHint() { return QStringLiteral("小技巧:ctrl + ← 自动输入帐号 Ctrl + → 自动输入密码."); }

// In a Wayland session our key grabs reach the program only while an X11 window has the focus, or
// not at all: there the desktop's own shortcut running the fill command is the way to fill. Said
// here, on the typing mode's page, rather than in a box at every login.
QString typingModeHint() {
    if (platform::sessionKindOf(platform::SessionEnvironment::current()) != platform::SessionKind::Wayland)
        return hotkeyHint();
    return QStringLiteral(
        "Wayland 会话中，请在桌面设置里添加两个快捷键，分别运行命令\n"
        "tessavo --fill account（输入帐号）和 tessavo --fill password（输入密码）.");
}

}  // namespace

void TForm1::buildWindow() {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("Tessavo个人版 - 账号密码管理"));
    // A fixed single border without any title-bar button.
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFixedSize(kClientWidth, kClientHeight);
    setFont(platform::formFont());
    setWindowIcon(programIcon());

    Image2 = named(new QLabel(this), "Image2");
    Image2->setGeometry(0, 0, kClientWidth, kBannerHeight);
    Image2->setPixmap(bannerPicture(kClientWidth, kBannerHeight));

    PageControl1 = named(new QTabWidget(this), "PageControl1");
    PageControl1->setGeometry(0, kBannerHeight, kClientWidth, kPagesHeight);
    TabSheet1 = named(new QWidget, "TabSheet1");
    TabSheet2 = named(new QWidget, "TabSheet2");
    TabSheet3 = named(new QWidget, "TabSheet3");
    PageControl1->addTab(TabSheet1, QStringLiteral("帐号管理"));
    PageControl1->addTab(TabSheet2, QStringLiteral("软件设置"));
    PageControl1->addTab(TabSheet3, QStringLiteral("关于我们"));
    PageControl1->setCurrentWidget(TabSheet1);

    buildAccountPage();
    buildSettingsPage();
    buildAboutPage();
    buildBottomStrip();
}

void TForm1::buildBottomStrip() {
    const int top = kBannerHeight + kPagesHeight;
    Label22 = label(this, "Label22", hotkeyHint(), {6, top + 11});
    setColour(Label22, Qt::red);
    Button8 = button(this, "Button8", QStringLiteral("关于"), {420, top + 5, 75, 26});
    Button_HIde = button(this, "Button_HIde", QStringLiteral("最小化"), {500, top + 5, 75, 26});
    Button_CheckLogin = button(this, "Button_CheckLogin", QStringLiteral("登录窗口"), {340, top + 5, 75, 26});
    Button_CheckLogin->hide();

    StatusBar1 = named(new QStatusBar(this), "StatusBar1");
    StatusBar1->setGeometry(0, kClientHeight - kStatusHeight, kClientWidth, kStatusHeight);
    StatusBar1->setSizeGripEnabled(false);
    const int widths[3] = {300, 50, 150};
    for (int i = 0; i < 3; ++i) {
        panels_[i] = new QLabel(StatusBar1);
        panels_[i]->setObjectName(QStringLiteral("StatusBar1Panel%1").arg(i));
        panels_[i]->setFixedWidth(widths[i]);
        StatusBar1->addWidget(panels_[i]);
    }
}

void TForm1::buildAccountPage() {
    buildSearchBar();
    buildGridArea();
    buildEditor();
}

void TForm1::buildSearchBar() {
    GroupBox11 = group(TabSheet1, "GroupBox11", {}, {0, 0, kPageWidth, 43});
    ComboBoxSeachClass = named(new QComboBox(GroupBox11), "ComboBoxSeachClass");
    ComboBoxSeachClass->setGeometry(6, 11, 65, 22);
    ComboBoxSeachClass->addItems(
        {QStringLiteral("标题"), QStringLiteral("网址"), QStringLiteral("帐号"), QStringLiteral("备注")});
    ComboBoxSeachClass->setCurrentIndex(0);
    searchkeyword = edit(GroupBox11, "searchkeyword", {76, 11, 154, 22});
    searchkeyword->setText(QStringLiteral("请输入搜索关键词"));
    Button_Search = button(GroupBox11, "Button_Search", QStringLiteral("搜索"), {236, 10, 56, 25});
    Button_Refresh = button(GroupBox11, "Button_Refresh", QStringLiteral("刷新数据"), {296, 10, 70, 25});
    Button_GeiClass = button(GroupBox11, "Button_GeiClass", QStringLiteral("刷新分类"), {370, 10, 70, 25});
    Button_First = button(GroupBox11, "Button_First", QStringLiteral("<|"), {469, 12, 20, 20});
    Button_Prior = button(GroupBox11, "Button_Prior", QStringLiteral("<"), {491, 12, 20, 20});
    Button_Next = button(GroupBox11, "Button_Next", QStringLiteral(">"), {513, 12, 20, 20});
    Button_Last = button(GroupBox11, "Button_Last", QStringLiteral("|>"), {535, 12, 20, 20});
}

void TForm1::buildGridArea() {
    GroupBox9 = group(TabSheet1, "GroupBox9", {}, {0, 43, kPageWidth, 262});
    ListBox_Class = named(new CategoryList(GroupBox9), "ListBox_Class");
    ListBox_Class->setGeometry(2, 2, 127, 258);
    ListBox_Class->setContextMenuPolicy(Qt::CustomContextMenu);
    // The splitter shares the grid's area and does nothing.
    Splitter1 = named(new QFrame(GroupBox9), "Splitter1");
    Splitter1->setGeometry(129, 2, kPageWidth - 131, 258);
    DBGrid1 = named(new QTableView(GroupBox9), "DBGrid1");
    DBGrid1->setGeometry(129, 2, kPageWidth - 131, 258);
    DBGrid1->setEditTriggers(QAbstractItemView::NoEditTriggers);
    DBGrid1->setSelectionBehavior(QAbstractItemView::SelectRows);
    DBGrid1->setSelectionMode(QAbstractItemView::SingleSelection);
    DBGrid1->horizontalHeader()->setFont(font());
    DBGrid1->verticalHeader()->setDefaultSectionSize(18);
    Edit_MoveBy = edit(GroupBox9, "Edit_MoveBy", {0, 0, 40, 21});
    Edit_MoveBy->hide();
}

void TForm1::buildEditor() {
    GroupBox8 = group(TabSheet1, "GroupBox8", {}, {0, 305, kPageWidth, 141});
    const QColor green(0, 128, 0);

    Edit_FenLei = named(new QComboBox(GroupBox8), "Edit_FenLei");
    Edit_FenLei->setGeometry(40, 8, 164, 22);
    Label6 = caption(GroupBox8, "Label6", QStringLiteral("分类"), {8, 12}, Edit_FenLei);
    Edit_BiaoTi = edit(GroupBox8, "Edit_BiaoTi", {40, 34, 164, 22});
    Label1 = caption(GroupBox8, "Label1", QStringLiteral("标题"), {8, 38}, Edit_BiaoTi);
    Edit_WangZhi = edit(GroupBox8, "Edit_WangZhi", {40, 60, 164, 22});
    Label4 = caption(GroupBox8, "Label4", QStringLiteral("网址"), {8, 64}, Edit_WangZhi);
    Button10 = button(GroupBox8, "Button10", QStringLiteral("预览"), {208, 59, 42, 24});
    Button4 = button(GroupBox8, "Button4", QStringLiteral("复制"), {252, 59, 42, 24});
    Edit_ZhangHao = edit(GroupBox8, "Edit_ZhangHao", {40, 86, 164, 22});
    Label2 = caption(GroupBox8, "Label2", QStringLiteral("帐号"), {8, 90}, Edit_ZhangHao);
    ButtonCopyZhangHao = button(GroupBox8, "ButtonCopyZhangHao", QStringLiteral("复制"), {208, 85, 42, 24});
    Edit_MiMa = edit(GroupBox8, "Edit_MiMa", {40, 112, 164, 22});
    Edit_MiMa->setEchoMode(QLineEdit::Password);
    Label3 = caption(GroupBox8, "Label3", QStringLiteral("密码"), {8, 116}, Edit_MiMa);
    Button_Pass_ShowOrHide = button(GroupBox8, "Button_Pass_ShowOrHide", QStringLiteral("显示"), {208, 111, 42, 24});
    ButtonCopyEdit_MiMa = button(GroupBox8, "ButtonCopyEdit_MiMa", QStringLiteral("复制"), {252, 111, 42, 24});
    for (QLabel* fieldCaption : {Label6, Label1, Label4, Label2, Label3}) setColour(fieldCaption, green);

    Memo_BeiZhu = named(new QPlainTextEdit(GroupBox8), "Memo_BeiZhu");
    Memo_BeiZhu->setGeometry(300, 20, 187, 116);
    Memo_BeiZhu->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Label5 = caption(GroupBox8, "Label5", QStringLiteral("备注"), {300, 4}, Memo_BeiZhu);
    setColour(Label5, green);
    Button1 = button(GroupBox8, "Button1", QStringLiteral("添加"), {496, 14, 70, 30});
    Button2 = button(GroupBox8, "Button2", QStringLiteral("修改"), {496, 55, 70, 30});
    Button3 = button(GroupBox8, "Button3", QStringLiteral("删除"), {496, 96, 70, 30});

    // Hidden state holders and commands.
    Edit_BianHao = edit(GroupBox8, "Edit_BianHao", {0, 0, 40, 21});
    Edit_BianHao->setReadOnly(true);
    Label7 = caption(GroupBox8, "Label7", QStringLiteral("编号"), {0, 0}, Edit_BianHao);
    Edit_MiMa_Temp = edit(GroupBox8, "Edit_MiMa_Temp", {0, 0, 40, 21});
    Button_ClearAllEdit = button(GroupBox8, "Button_ClearAllEdit", QStringLiteral("清空表单"), {0, 0, 75, 25});
    Button_Edit_FenLei_add = button(GroupBox8, "Button_Edit_FenLei_add", QStringLiteral("+"), {206, 9, 20, 20});
    Button_Edit_FenLei_Del = button(GroupBox8, "Button_Edit_FenLei_Del", QStringLiteral("-"), {228, 9, 20, 20});
    for (QWidget* hidden : std::initializer_list<QWidget*>{Label7, Edit_BianHao, Edit_MiMa_Temp, Button_ClearAllEdit,
                                                           Button_Edit_FenLei_add, Button_Edit_FenLei_Del}) {
        hidden->hide();
    }
}

void TForm1::buildSettingsPage() {
    buildPasswordGroup();

    GroupBox6 = group(TabSheet2, "GroupBox6", QStringLiteral("常用操作"), {0, 175, kPageWidth, 56});
    Button11 = button(GroupBox6, "Button11", QStringLiteral("压缩修复"), {16, 20, 75, 25});
    Label21 = label(GroupBox6, "Label21", QStringLiteral("压缩数据库"), {100, 26});
    CheckBox_JiaMi = named(new QCheckBox(QStringLiteral("用管理密码加密数据库文件"), GroupBox6), "CheckBox_JiaMi");
    CheckBox_JiaMi->setGeometry(240, 24, 220, 20);

    // Never made visible: clearing all records is not offered to the user.
    GroupBox5 = group(TabSheet2, "GroupBox5", QStringLiteral("特殊操作"), {0, 231, kPageWidth, 60});
    Button9 = button(GroupBox5, "Button9", QStringLiteral("清空数据"), {16, 22, 75, 25});
    Label18 = label(GroupBox5, "Label18", QStringLiteral("该操作将清空数据库中所有数据,请慎用."), {100, 28});
    setColour(Label18, Qt::red);
    GroupBox5->hide();

    buildTypingModeGroup();
    buildSafetyGroup();
}

void TForm1::buildPasswordGroup() {
    GroupBox3 = group(TabSheet2, "GroupBox3", QStringLiteral("设置密码"), {0, 0, kPageWidth, 175});
    Edit_OldPass = edit(GroupBox3, "Edit_OldPass", {78, 35, 121, 21});
    Label13 = caption(GroupBox3, "Label13", QStringLiteral("原始密码"), {20, 39}, Edit_OldPass);
    Edit_Pass_A = edit<access::PasswordEntry>(GroupBox3, "Edit_Pass_A", {78, 67, 121, 21});
    Label8 = caption(GroupBox3, "Label8", QStringLiteral("请输入密码"), {8, 71}, Edit_Pass_A);
    Edit_Pass_B = edit<access::PasswordEntry>(GroupBox3, "Edit_Pass_B", {78, 94, 121, 21});
    Label9 = caption(GroupBox3, "Label9", QStringLiteral("确认密码"), {20, 103}, Edit_Pass_B);
    Button7 = button(GroupBox3, "Button7", QStringLiteral("确定"), {240, 35, 75, 25});
    Button_PassCleal = button(GroupBox3, "Button_PassCleal", QStringLiteral("重置"), {242, 67, 75, 25});
    Button5 = button(GroupBox3, "Button5", QStringLiteral("防偷窥"), {240, 98, 75, 25});
    Label17 =
        label(GroupBox3, "Label17", QStringLiteral("密码可以是全数字/全字母/数字+字母组合(不推荐使用汉字)"), {16, 148});
    setTabOrder(Edit_OldPass, Edit_Pass_A);
    setTabOrder(Edit_Pass_A, Edit_Pass_B);
}

void TForm1::buildTypingModeGroup() {
    // Fills the height that the hidden group leaves free.
    GroupBox1 = group(TabSheet2, "GroupBox1", QStringLiteral("帐号密码自动输入方式"), {0, 231, kPageWidth, 120});
    RadioButton_IntoPass1 =
        named(new QRadioButton(QStringLiteral("帐号密码粘贴式"), GroupBox1), "RadioButton_IntoPass1");
    RadioButton_IntoPass1->setGeometry(16, 28, 130, 20);
    RadioButton_IntoPass1->setChecked(true);
    RadioButton_IntoPass2 =
        named(new QRadioButton(QStringLiteral("帐号密码非粘贴式"), GroupBox1), "RadioButton_IntoPass2");
    RadioButton_IntoPass2->setGeometry(160, 28, 140, 20);
    Button6 = button(GroupBox1, "Button6", QStringLiteral("保存配置"), {320, 25, 75, 25});
    Label16 = label(GroupBox1, "Label16", typingModeHint(), {16, 70});
}

void TForm1::buildSafetyGroup() {
    GroupBox4 = group(TabSheet2, "GroupBox4", QStringLiteral("安全说明"), {0, kPageHeight - 100, kPageWidth, 100});
    Label19 = label(GroupBox4, "Label19", QStringLiteral("1.程序退出时会自动清空系统剪切板."), {16, 22});
    Label20 = label(GroupBox4, "Label20", QStringLiteral("2.当复制帐号或密码后1分钟程序会自动清空剪切板."), {16, 46});
    Label28 = label(GroupBox4, "Label28", QStringLiteral("3.如果暂时离开电脑请进入托盘状态或退出Tessavo."), {16, 70});
}

void TForm1::buildAboutPage() {
    GroupBox2 = group(TabSheet3, "GroupBox2", {}, {0, 0, kPageWidth, kPageHeight});
    Label12 = label(GroupBox2, "Label12", makerAddress(), {16, 18});
    QFont bigger = Label12->font();
    bigger.setPixelSize(16);
    Label12->setFont(bigger);
    Label12->adjustSize();
    Label12->setCursor(Qt::PointingHandCursor);
    EditVer = edit(GroupBox2, "EditVer", {0, 0, 100, 21});
    EditVer->setText(versionText());
    EditVer->setReadOnly(true);
    EditVer->hide();
    Memo1 = named(new QPlainTextEdit(GroupBox2), "Memo1");
    Memo1->setGeometry(16, 50, kPageWidth - 32, 330);
    Memo1->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    Memo1->setPlainText(
        QStringLiteral("1.85更新说明:\n"
                       "1.Win10操作系统重新编译\n"
                       "\n"
                       "特别说明:\n"
                       "1.该程序不能直接覆盖升级旧版的Tessavo，不同版本加密算法不同。\n"
                       "2.注意事项：程序不支持（中文、全角等非ASCII码字符的密码）自动输入."));
    Bevel1 = named(new QFrame(GroupBox2), "Bevel1");
    Bevel1->setFrameShape(QFrame::HLine);
    Bevel1->setFrameShadow(QFrame::Sunken);
    Bevel1->setGeometry(16, 392, kPageWidth - 32, 2);
}

}  // namespace tessavo::app
