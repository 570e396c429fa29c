#pragma once

#include <QString>
#include <QStringList>
#include <optional>

#include "platform/process/InstanceMessages.h"

namespace tessavo::app {

// What a start of the program is asked to do by its command line.
enum class Launch {
    Program,       // the program itself (it reads no other arguments)
    FillAccount,   // `--fill account`: the running instance fills as Ctrl+Left does
    FillPassword,  // `--fill password`: the running instance fills as Ctrl+Right does
    BadUsage,      // `--fill` with anything but exactly one of those two words
};

// The arguments after the program's name. `--fill` takes its word as the next argument or after
// "=" and must stand alone with it; arguments without `--fill` are ignored, as they always were.
Launch launchOf(const QStringList& arguments);
// The request a fill start hands the running instance; nothing for the other launches.
std::optional<platform::InstanceCommand> fillCommandOf(Launch launch);
// What a bad command line is answered with on standard error.
QString usageText();
// The answer of a fill start when no instance runs.
QString noRunningInstanceText();

}  // namespace tessavo::app
