#include "bench/BenchData.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <array>
#include <random>
#include <stdexcept>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "store/ConnectionString.h"
#include "store/InitialDatabase.h"
#include "store/RecordFields.h"
#include "store/SqlCipherFile.h"
#include "store/Statements.h"

namespace tessavo::bench {
namespace {

// Raise it when the generated contents change, so that old caches are made anew.
constexpr int kGeneratorVersion = 1;

QString databaseFileName() { return QString::fromUtf16(store::kDatabaseFileName); }

QString stampPath(const QString& directory) {
    return directory + QStringLiteral("complete-v%1").arg(kGeneratorVersion);
}

class RecordMaker {
public:
    explicit RecordMaker(const Dataset& dataset) : dataset_(dataset), random_(20171230u + dataset.records) {}

    store::RecordFields record(int index) {
        static const std::array<const char16_t*, 8> kinds = {u"邮箱", u"银行", u"论坛", u"购物",
                                                             u"云盘", u"游戏", u"视频", u"新闻"};
        store::RecordFields fields;
        fields.分类 = QStringLiteral("分类%1").arg(pick(dataset_.categories), 4, 10, QLatin1Char('0'));
        fields.网址 = QStringLiteral("https://site%1.example.com/login").arg(index);
        fields.标题 = QStringLiteral("%1 网站 %2").arg(QString::fromUtf16(kinds[pick(8)])).arg(index);
        fields.帐号 = QStringLiteral("user%1@example.com").arg(index);
        fields.密码 = text(8 + pick(9), kPasswordCharacters);
        fields.备注 = pick(10) < 3 ? QString() : text(pick(120), kNoteCharacters);
        return fields;
    }

private:
    static constexpr char16_t kPasswordCharacters[] =
        u"abcdefghijkmnopqrstuvwxyzABCDEFGHJKLMNPQRSTUVWXYZ23456789!@#$%&*-_";
    static constexpr char16_t kNoteCharacters[] =
        u"密码提示安全问题备用邮箱手机号码 abcdefghijklmnopqrstuvwxyz0123456789";

    int pick(int count) { return std::uniform_int_distribution<int>(0, count - 1)(random_); }

    template <std::size_t N>
    QString text(int length, const char16_t (&characters)[N]) {
        QString result;
        for (int i = 0; i < length; ++i) result.append(QChar(characters[pick(static_cast<int>(N) - 1)]));
        return result;
    }

    Dataset dataset_;
    std::mt19937 random_;
};

// Fills the initial database at `path` with the dataset's records: each row is the program's
// own insert statement over the encrypted fields, all in one transaction so that 100 000 rows
// take seconds; then a spread of use counts.
void fillRecords(const QString& path, const Dataset& dataset) {
    cipher::setAccountKey("40618253");
    store::SqlCipherFile file(path, QString::fromUtf16(store::kDatabasePassword));
    file.execute(QStringLiteral("BEGIN;"));
    RecordMaker maker(dataset);
    for (int index = 0; index < dataset.records; ++index)
        file.prepare(store::sql::insertRecord(store::recordToStore(maker.record(index)))).run();
    file.execute(QStringLiteral("update data set 统计=(编号*7919)%501; COMMIT;"));
}

void generate(const QString& directory, const Dataset& dataset) {
    QDir(directory).removeRecursively();
    if (!QDir().mkpath(directory)) throw std::runtime_error("cannot make " + directory.toStdString());
    store::createInitialDatabase(directory);
    fillRecords(directory + databaseFileName(), dataset);
    QFile stamp(stampPath(directory));
    if (!stamp.open(QIODevice::WriteOnly)) throw std::runtime_error("cannot write " + stamp.fileName().toStdString());
}

}  // namespace

const std::vector<Dataset>& datasets() {
    static const std::vector<Dataset> all = {{1000, 10}, {10000, 100}, {100000, 1000}};
    return all;
}

const Dataset& datasetWith(int records) {
    for (const Dataset& dataset : datasets())
        if (dataset.records == records) return dataset;
    throw std::invalid_argument("no dataset of " + std::to_string(records) + " records");
}

QString cachedDatasetDir(const Dataset& dataset) {
    const QString directory =
        QStringLiteral(TESSAVO_BENCH_DATA_DIR "/%1-in-%2/").arg(dataset.records).arg(dataset.categories);
    if (!QFileInfo::exists(stampPath(directory))) generate(directory, dataset);
    return directory;
}

QString rareTitleKeyword() { return QStringLiteral("网站 777"); }

QString commonAddressKeyword() { return QStringLiteral("example"); }

WorkingCopy::WorkingCopy(const Dataset& dataset) {
    const QString source = cachedDatasetDir(dataset) + databaseFileName();
    if (!QFile::copy(source, databasePath())) throw std::runtime_error("cannot copy " + source.toStdString());
}

QString cachedImportFile(int rows) {
    const QString path = QStringLiteral(TESSAVO_BENCH_DATA_DIR "/import-%1.csv").arg(rows);
    if (QFileInfo::exists(path)) return path;
    if (!QDir().mkpath(QStringLiteral(TESSAVO_BENCH_DATA_DIR)))
        throw std::runtime_error("cannot make " TESSAVO_BENCH_DATA_DIR);
    const QString partial = path + QStringLiteral(".part");
    QFile file(partial);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        throw std::runtime_error("cannot write " + partial.toStdString());
    file.write("分类,标题,网址,帐号,密码,备注,统计\n");
    for (int row = 1; row <= rows; ++row) {
        const QString line = QStringLiteral(
                                 "分类%1,标题 %2,https://www.example.com/login/%2,user%2@example.com,"
                                 "pw-%2-Xq7!,note of row %2,%3\n")
                                 .arg(row % 100)
                                 .arg(row)
                                 .arg(row % 7);
        file.write(line.toUtf8());
    }
    if (!file.flush()) throw std::runtime_error("cannot write " + partial.toStdString());
    file.close();
    if (!QFile::rename(partial, path)) throw std::runtime_error("cannot name " + path.toStdString());
    return path;
}

}  // namespace tessavo::bench
