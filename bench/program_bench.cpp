// The account page's figures: the real windows and handlers (ProgramSession), each beside the
// raw SQLCipher statement the handler sends, over a copy of the same generated file.
#include <benchmark/benchmark.h>

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>
#include <chrono>
#include <ctime>
#include <exception>
#include <functional>
#include <utility>

#include "app/Unit1.h"
#include "bench/BenchData.h"
#include "bench/ProgramSession.h"
#include "bench/RawDatabase.h"
#include "cipher/Unit_Orvel_DESCrypt.h"
#include "platform/desktop/Guard.h"
#include "store/Query.h"
#include "store/RecordFields.h"
#include "store/Statements.h"

namespace tessavo::bench {
namespace {

using Clock = std::chrono::steady_clock;
using store::AccountRecord;

// The processor time of this thread, which the program's handlers all run on.
double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

const Dataset& datasetOf(const benchmark::State& state) { return datasetWith(static_cast<int>(state.range(0))); }

// Runs `prepare` untimed and `act` timed in every iteration; an exception ends the benchmark
// with its text in the table. Beside the elapsed time, the processor time of `act` goes into
// the counter "cpu_ms": on a busy machine it tells the work done from the waiting.
void measure(benchmark::State& state, const std::function<void()>& prepare, const std::function<void()>& act) {
    double cpuSeconds = 0;
    try {
        for (auto _ : state) {
            prepare();
            const double cpuStart = threadCpuSeconds();
            const auto start = Clock::now();
            act();
            state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
            cpuSeconds += threadCpuSeconds() - cpuStart;
        }
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
    state.counters["cpu_ms"] = benchmark::Counter(cpuSeconds * 1e3, benchmark::Counter::kAvgIterations);
}

void nothing() {}

// A handler's run ends with the box it shows on success; anything else is no figure.
void expectBox(test::QuietDialogs& dialogs, const char16_t* text) {
    const QString shown = dialogs.take();
    if (shown != QString::fromUtf16(text))
        throw std::runtime_error("the handler showed \"" + shown.toStdString() + "\"");
}

void clickGridRow(app::TForm1& main, int row) {
    QTableView* grid = main.DBGrid1;
    const QModelIndex cell = grid->model()->index(row, 3);
    grid->scrollTo(cell);
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(cell).center());
}

store::RecordFields newRecord(int serial) {
    store::RecordFields fields;
    fields.分类 = QStringLiteral("分类0001");
    fields.网址 = QStringLiteral("https://new%1.example.com/").arg(serial);
    fields.标题 = QStringLiteral("新网站 %1").arg(serial);
    fields.帐号 = QStringLiteral("newuser%1@example.com").arg(serial);
    fields.密码 = QStringLiteral("Pa55word-%1").arg(serial);
    fields.备注 = QStringLiteral("备注 %1").arg(serial);
    return fields;
}

void fillEditor(app::TForm1& main, const store::RecordFields& fields) {
    main.Edit_FenLei->setCurrentIndex(0);
    main.Edit_BiaoTi->setText(fields.标题);
    main.Edit_WangZhi->setText(fields.网址);
    main.Edit_ZhangHao->setText(fields.帐号);
    main.Edit_MiMa->setText(fields.密码);
    main.Memo_BeiZhu->setPlainText(fields.备注);
}

void search(ProgramSession& session, const QString& column, const QString& keyword) {
    app::TForm1& main = session.main();
    main.ComboBoxSeachClass->setCurrentText(column);
    main.searchkeyword->setText(keyword);
    platform::trigger(main.Button_Search);
    session.settle();
    if (main.ADOQuery1->recordCount() == 0) throw std::runtime_error("the search found nothing");
}

// ---- the program

void login_to_filled_grid(benchmark::State& state) {
    ProgramSession session(datasetOf(state));
    measure(
        state, [&] { session.returnToLoginWindow(); },
        [&] {
            session.clickLogin();
            session.settle();
        });
    state.counters["rows"] = session.main().ADOQuery1->recordCount();
}

void refresh(benchmark::State& state) {
    ProgramSession session(datasetOf(state));
    measure(state, nothing, [&] {
        platform::trigger(session.main().Button_Refresh);
        session.settle();
    });
}

void search(benchmark::State& state) {
    ProgramSession session(datasetOf(state));
    measure(state, nothing, [&] { search(session, QStringLiteral("标题"), rareTitleKeyword()); });
}

void search_broad(benchmark::State& state) {
    ProgramSession session(datasetOf(state));
    measure(state, nothing, [&] { search(session, QStringLiteral("网址"), commonAddressKeyword()); });
}

void cell_click(benchmark::State& state) {
    ProgramSession session(datasetOf(state));
    app::TForm1& main = session.main();
    measure(
        state, [&] { main.Edit_BianHao->clear(); },
        [&] {
            clickGridRow(main, 5);
            session.settle();
            if (main.Edit_BianHao->text().isEmpty()) throw std::runtime_error("the click chose no row");
        });
}

void add(benchmark::State& state) {
    ProgramSession session(datasetOf(state));
    int serial = 0;
    measure(
        state, [&] { fillEditor(session.main(), newRecord(++serial)); },
        [&] {
            platform::trigger(session.main().Button1);
            session.settle();
            expectBox(session.dialogs(), u"添加成功.");
        });
}

void modify(benchmark::State& state) {
    ProgramSession session(datasetOf(state));
    app::TForm1& main = session.main();
    int serial = 0;
    measure(
        state,
        [&] {
            clickGridRow(main, 5);
            main.Edit_BiaoTi->setText(QStringLiteral("改过的网站 %1").arg(++serial));
        },
        [&] {
            platform::trigger(main.Button2);
            session.settle();
            expectBox(session.dialogs(), u"修改成功.");
        });
}

void compaction(benchmark::State& state) {
    ProgramSession session(datasetOf(state));
    measure(state, nothing, [&] {
        platform::trigger(session.main().Button11);
        session.settle();
        expectBox(session.dialogs(), u"数据库压缩完成.");
    });
}

// ---- the raw statements

void withRawDatabase(benchmark::State& state, const std::function<void(RawDatabase&, const WorkingCopy&)>& body) {
    try {
        const WorkingCopy copy(datasetOf(state));
        RawDatabase database(copy.databasePath());
        body(database, copy);
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
    }
}

void raw_select_all(benchmark::State& state) {
    withRawDatabase(state, [&](RawDatabase& database, const WorkingCopy&) {
        const QString statement = store::sql::browseByUse();
        measure(state, nothing, [&] { database.selectAll(statement); });
    });
}

void raw_like_select(benchmark::State& state) {
    withRawDatabase(state, [&](RawDatabase& database, const WorkingCopy&) {
        const QString statement = store::sql::searchRecords(QStringLiteral("标题"), rareTitleKeyword());
        measure(state, nothing, [&] { database.selectAll(statement); });
    });
}

void raw_like_select_broad(benchmark::State& state) {
    withRawDatabase(state, [&](RawDatabase& database, const WorkingCopy&) {
        const QString statement = store::sql::searchRecords(QStringLiteral("网址"), commonAddressKeyword());
        measure(state, nothing, [&] { database.selectAll(statement); });
    });
}

void raw_use_count_update(benchmark::State& state) {
    withRawDatabase(state, [&](RawDatabase& database, const WorkingCopy&) {
        const QString statement = store::sql::raiseUseCount(QStringLiteral("500"));
        measure(state, nothing, [&] { database.execute(statement); });
    });
}

// A change statement of the editor made from a new record each time (untimed), then run.
void rawEditorChange(benchmark::State& state, const std::function<QString(const AccountRecord&)>& statementOf) {
    withRawDatabase(state, [&](RawDatabase& database, const WorkingCopy&) {
        cipher::setAccountKey("40618253");
        int serial = 0;
        QString statement;
        measure(
            state, [&] { statement = statementOf(store::recordToStore(newRecord(++serial))); },
            [&] { database.execute(statement); });
    });
}

void raw_insert(benchmark::State& state) {
    rawEditorChange(state, [](const AccountRecord& record) { return store::sql::insertRecord(record); });
}

void raw_modify(benchmark::State& state) {
    rawEditorChange(state, [](const AccountRecord& record) {
        return store::sql::modifyRecord(record, QStringLiteral("500")).join(QStringLiteral("\r\n")) +
               QStringLiteral("\r\n");
    });
}

void raw_sqlcipher_export(benchmark::State& state) {
    withRawDatabase(state, [&](RawDatabase& database, const WorkingCopy& copy) {
        const QString destination = copy.appDir() + QStringLiteral("exported.udb");
        measure(
            state, [&] { QFile::remove(destination); }, [&] { database.exportTo(destination); });
    });
}

// On a shared machine one run of a figure can differ from the next by 15 %, for seconds at a
// time. Each figure is therefore measured in several repetitions, which the bench interleaves at
// random with every other figure's (see bench_main.cpp), so a slow spell falls on a figure and
// its baseline alike; the table shows the median repetition.
constexpr int kRepetitions = 5;

void databaseFigures(benchmark::internal::Benchmark* figure) {
    figure->Arg(1000)
        ->Arg(10000)
        ->Arg(100000)
        ->UseManualTime()
        ->Unit(benchmark::kMillisecond)
        ->MinTime(0.5)
        ->Repetitions(kRepetitions);
}

}  // namespace

BENCHMARK(login_to_filled_grid)->Apply(databaseFigures);
BENCHMARK(refresh)->Apply(databaseFigures);
BENCHMARK(raw_select_all)->Apply(databaseFigures);
BENCHMARK(search)->Apply(databaseFigures);
BENCHMARK(raw_like_select)->Apply(databaseFigures);
BENCHMARK(search_broad)->Apply(databaseFigures);
BENCHMARK(raw_like_select_broad)->Apply(databaseFigures);
BENCHMARK(cell_click)->Apply(databaseFigures);
BENCHMARK(raw_use_count_update)->Apply(databaseFigures);
BENCHMARK(add)->Apply(databaseFigures);
BENCHMARK(raw_insert)->Apply(databaseFigures);
BENCHMARK(modify)->Apply(databaseFigures);
BENCHMARK(raw_modify)->Apply(databaseFigures);
BENCHMARK(compaction)->Apply(databaseFigures);
BENCHMARK(raw_sqlcipher_export)->Apply(databaseFigures);

}  // namespace tessavo::bench
