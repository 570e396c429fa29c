// tessavo-db: file-level jobs on the account database.
//   tessavo-db init DIR   makes the initial DIR/_.udb; an existing one is never touched.
#include <QFile>
#include <QString>
#include <cstdio>
#include <exception>

#include "store/InitialDatabase.h"

namespace {

constexpr int kRefused = 1;
constexpr int kUsage = 2;

void say(const QString& text) { std::fprintf(stderr, "tessavo-db: %s\n", text.toLocal8Bit().constData()); }

int usage() {
    say(QStringLiteral("usage: tessavo-db init DIR  (makes DIR/_.udb, the initial account database)"));
    return kUsage;
}

int init(const QString& directory) {
    try {
        const QString made = tessavo::store::createInitialDatabase(directory);
        std::printf("%s\n", QFile::encodeName(made).constData());
        return 0;
    } catch (const std::exception& error) {
        say(QString::fromStdString(error.what()));
        return kRefused;
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && QString::fromLocal8Bit(argv[1]) == QLatin1String("init")) return init(QFile::decodeName(argv[2]));
    return usage();
}
