#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace tessavo::test {

struct ProgramRun {
    bool finished = false;  // false when it could not start or did not end in time
    int exitCode = -1;
    QByteArray standardOutput;
    QByteArray standardError;
};

// Runs a program to its end, feeding `input` to its standard input.
ProgramRun runProgram(const QString& program, const QStringList& arguments, const QByteArray& input = {});

// The path of a program the build puts beside the running test binary (build/bin).
QString builtProgram(const QString& name);

}  // namespace tessavo::test
