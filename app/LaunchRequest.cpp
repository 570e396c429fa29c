#include "app/LaunchRequest.h"

#include <algorithm>

namespace tessavo::app {
namespace {

const QString kFillOption = QStringLiteral("--fill");

Launch fillOf(const QString& word) {
    if (word == QLatin1String("account")) return Launch::FillAccount;
    if (word == QLatin1String("password")) return Launch::FillPassword;
    return Launch::BadUsage;
}

bool mentionsFill(const QString& argument) {
    return argument == kFillOption || argument.startsWith(kFillOption + u'=');
}

}  // namespace

Launch launchOf(const QStringList& arguments) {
    if (std::none_of(arguments.begin(), arguments.end(), mentionsFill)) return Launch::Program;
    if (arguments.size() == 2 && arguments[0] == kFillOption) return fillOf(arguments[1]);
    if (arguments.size() == 1 && mentionsFill(arguments[0]) && arguments[0] != kFillOption)
        return fillOf(arguments[0].mid(kFillOption.size() + 1));
    return Launch::BadUsage;
}

std::optional<platform::InstanceCommand> fillCommandOf(Launch launch) {
    switch (launch) {
        case Launch::FillAccount:
            return platform::InstanceCommand::FillAccount;
        case Launch::FillPassword:
            return platform::InstanceCommand::FillPassword;
        case Launch::Program:
        case Launch::BadUsage:
            break;
    }
    return std::nullopt;
}

QString usageText() {
    return QStringLiteral(
        "用法: tessavo [--fill account|password]\n"
        "  --fill account   让正在运行的 Tessavo个人版 向当前窗口自动输入帐号（同 Ctrl+←）\n"
        "  --fill password  让正在运行的 Tessavo个人版 向当前窗口自动输入密码（同 Ctrl+→）\n");
}

QString noRunningInstanceText() {
    return QStringLiteral("Tessavo个人版 没有在运行，无法自动输入。请先启动程序并登录，再使用 --fill。\n");
}

}  // namespace tessavo::app
