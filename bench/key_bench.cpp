// The key of a file protected by the management password: one Argon2id derivation with the
// program's parameters, beside SQLCipher's own PBKDF2 key of the fixed database password (an
// open of a small file, which derives that key once).
#include <benchmark/benchmark.h>

#include <QDir>
#include <QTemporaryDir>

#include "cipher/Argon2Key.h"
#include "store/ConnectionString.h"
#include "store/FileProtection.h"
#include "store/SqlCipherFile.h"

namespace {

using namespace tessavo;

// The size of these figures is the derivation's memory in MiB.
long memoryMiB() { return static_cast<long>(cipher::kFileKeyParameters.memoryKiB / 1024); }

void file_key_argon2id(benchmark::State& state) {
    const store::FileSalt salt = store::newProtectedSalt();
    for (auto _ : state) benchmark::DoNotOptimize(store::protectedFileKey(QStringLiteral("vorel"), salt));
    state.counters["passes"] = cipher::kFileKeyParameters.passes;
    state.counters["lanes"] = cipher::kFileKeyParameters.lanes;
}

void fixed_password_open(benchmark::State& state) {
    QTemporaryDir directory;
    const QString path = directory.filePath(QStringLiteral("_.udb"));
    const QString password = QString::fromUtf16(store::kDatabasePassword);
    store::SqlCipherFile(path, password, store::SqlCipherFile::Mode::CreateNew)
        .execute(QStringLiteral("CREATE TABLE t (a);"));
    for (auto _ : state) benchmark::DoNotOptimize(store::SqlCipherFile(path, password).handle());
}

}  // namespace

BENCHMARK(file_key_argon2id)->Arg(memoryMiB())->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(fixed_password_open)->Arg(memoryMiB())->Unit(benchmark::kMillisecond)->Iterations(5);
