// tessavo-db: file-level jobs on the account database.
//   tessavo-db init DIR      makes the initial DIR/_.udb; an existing one is never touched.
//   tessavo-db export DIR    writes every record as comma-separated values.
//   tessavo-db import DIR F  adds the records of another manager's (or our own) export.
//   tessavo-db check DIR     checks the file and every stored secret.
// A database file protected by the management password is opened with the password, read
// without echo from the terminal, or with --password-stdin from the first line of standard input.
#include <QDateTime>
#include <QFile>
#include <QString>
#include <cstdio>
#include <exception>
#include <functional>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "maintenance/transfer/CheckCommand.h"
#include "maintenance/transfer/ExportCommand.h"
#include "maintenance/transfer/ImportCommand.h"
#include "platform/base/Error.h"
#include "platform/process/Hardening.h"
#include "platform/process/TerminalPassword.h"
#include "store/ConnectionString.h"
#include "store/FileProtection.h"
#include "store/InitialDatabase.h"
#include "store/SqlCipherFile.h"
#include "tools/Arguments.h"

namespace {

using namespace tessavo;

constexpr int kRefused = 1;
constexpr int kUsage = 2;

const QString kFormat = QStringLiteral("--format");
const QString kPasswordStdin = QStringLiteral("--password-stdin");

void say(const QString& text) { std::fprintf(stderr, "tessavo-db: %s\n", text.toLocal8Bit().constData()); }
void print(const QString& line) { std::printf("%s\n", line.toLocal8Bit().constData()); }

int usage(const QString& problem = {}) {
    if (!problem.isEmpty()) say(problem);
    say(QStringLiteral("usage: tessavo-db init DIR\n"
                       "       tessavo-db export DIR [--format %1] [-o FILE [--force]] [--password-stdin]\n"
                       "       tessavo-db import DIR FILE [--format auto|%2] [--dry-run] [--password-stdin]\n"
                       "       tessavo-db check DIR [--password-stdin]")
            .arg(maintenance::transfer::formatNames(true), maintenance::transfer::formatNames(false)));
    return kUsage;
}

// Runs a command; its errors become a message and the refusal exit code.
int guarded(const std::function<int()>& command) {
    try {
        return command();
    } catch (const std::exception& error) {
        say(QString::fromStdString(error.what()));
        return kRefused;
    }
}

// The key of DIR/_.udb when the file is protected by the management password, empty when it
// is not. The password is asked for and tried here, so a wrong one is a clear refusal.
QString databaseKeyFor(const QString& directory, const tools::Arguments& arguments) {
    const QString path = store::databasePath(directory.endsWith(u'/') ? directory : directory + u'/');
    if (!store::isProtectedFile(path)) return {};
    std::optional<QString> password =
        platform::readPasswordLine(arguments.has(kPasswordStdin), QStringLiteral("management password: "));
    if (!password || password->isEmpty())
        throw Error(QStringLiteral("%1 is protected by the management password, and none was given "
                                   "(type it on a terminal, or give it on standard input with --password-stdin).")
                        .arg(path));
    QString key = store::protectedFileKey(*password, path);
    store::wipeText(*password);
    try {
        store::SqlCipherFile(path, key);
    } catch (const store::NotADatabaseError&) {
        store::wipeText(key);
        throw Error(QStringLiteral("wrong management password: %1 does not open with it.").arg(path));
    }
    return key;
}

std::optional<maintenance::transfer::Format> chosenFormat(const tools::Arguments& arguments, const QString& fallback) {
    const QString name = arguments.values.count(kFormat) ? arguments.value(kFormat) : fallback;
    return maintenance::transfer::formatNamed(name);
}

int init(const tools::Arguments& arguments) {
    if (arguments.words.size() != 1) return usage();
    return guarded([&] {
        print(store::createInitialDatabase(arguments.words[0]));
        return 0;
    });
}

int exportCommand(const tools::Arguments& arguments) {
    if (arguments.words.size() != 1) return usage();
    const auto format = chosenFormat(arguments, QStringLiteral("tessavo"));
    if (!format) return usage(QStringLiteral("unknown format %1").arg(arguments.value(kFormat)));
    maintenance::transfer::ExportRequest request{arguments.words[0],
                                                 *format,
                                                 arguments.value(QStringLiteral("-o")),
                                                 arguments.has(QStringLiteral("--force")),
                                                 {}};
    return guarded([&] {
        request.databaseKey = databaseKeyFor(request.directory, arguments);
        const std::string text =
            maintenance::transfer::exportRecords(request, cipher::kAccountKeyText, QDateTime::currentDateTime());
        say(maintenance::transfer::plainTextWarning());
        if (request.outputFile.isEmpty() && std::fwrite(text.data(), 1, text.size(), stdout) != text.size())
            throw std::runtime_error("cannot write to standard output");
        return std::fflush(stdout) == 0 ? 0 : kRefused;
    });
}

int importCommand(const tools::Arguments& arguments) {
    if (arguments.words.size() != 2) return usage();
    maintenance::transfer::ImportRequest request{
        arguments.words[0], arguments.words[1], std::nullopt, arguments.has(QStringLiteral("--dry-run")), {}};
    if (arguments.value(kFormat) != QLatin1String("auto") && arguments.values.count(kFormat)) {
        request.format = chosenFormat(arguments, {});
        if (!request.format) return usage(QStringLiteral("unknown format %1").arg(arguments.value(kFormat)));
    }
    return guarded([&] {
        request.databaseKey = databaseKeyFor(request.directory, arguments);
        const maintenance::transfer::ImportReport report =
            maintenance::transfer::importRecords(request, cipher::kAccountKeyText, QDateTime::currentDateTime());
        for (const QString& line : report.describe(request.dryRun)) print(line);
        return report.refused.empty() ? 0 : kRefused;
    });
}

int check(const tools::Arguments& arguments) {
    if (arguments.words.size() != 1) return usage();
    return guarded([&] {
        const maintenance::transfer::CheckReport report = maintenance::transfer::checkDatabase(
            arguments.words[0], cipher::kAccountKeyText, databaseKeyFor(arguments.words[0], arguments));
        for (const QString& line : report.lines) print(line);
        for (const QString& problem : report.problems) print(QStringLiteral("problem: ") + problem);
        print(report.sound() ? QStringLiteral("the database is sound")
                             : QStringLiteral("%1 problems found").arg(report.problems.size()));
        return report.sound() ? 0 : kRefused;
    });
}

struct Command {
    const char* name;
    tools::Grammar grammar;
    int (*run)(const tools::Arguments&);
};

const Command kCommands[] = {
    {"init", {}, init},
    {"export", {{kFormat, QStringLiteral("-o")}, {QStringLiteral("--force"), kPasswordStdin}}, exportCommand},
    {"import", {{kFormat}, {QStringLiteral("--dry-run"), kPasswordStdin}}, importCommand},
    {"check", {{}, {kPasswordStdin}}, check},
};

}  // namespace

int main(int argc, char** argv) {
    // An export holds every password in the clear, a protected file's key and management
    // password too: none of it may reach a core file or another process of the user.
    platform::hardenProcessAlways();
    QStringList words;
    for (int i = 2; i < argc; ++i) words << QFile::decodeName(argv[i]);
    const QString name = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    for (const Command& command : kCommands) {
        if (name != QLatin1String(command.name)) continue;
        QString problem;
        const auto arguments = tools::parseArguments(words, command.grammar, problem);
        return arguments ? command.run(*arguments) : usage(problem);
    }
    return usage();
}
