// The rows of a static result as they are kept: every text reads back exactly, whatever its
// form or length, across many rows and after rows are dropped; equal fields share one key.
#include <gtest/gtest.h>

#include <QSet>
#include <QStringList>
#include <vector>

#include "store/CategoryNames.h"
#include "store/ResultSet.h"
#include "store/SqlCipherFile.h"
#include "tests/support/QtPrinters.h"
#include "tests/support/TempAppDir.h"

namespace tessavo::store {
namespace {

class ResultRowsTest : public testing::Test {
protected:
    ResultRowsTest() : database_(app_.openDatabase()) {
        database_.execute(QStringLiteral("CREATE TEMP TABLE texts (position INTEGER PRIMARY KEY, a, b)"));
    }

    // Stores each pair as one row; a null QString is stored as no value.
    void store(const std::vector<std::pair<QString, QString>>& rows) {
        SqlStatement insert = database_.prepare(QStringLiteral("INSERT INTO texts (a, b) VALUES (?1, ?2)"));
        for (const auto& [a, b] : rows) {
            a.isNull() ? insert.bindNull(1) : insert.bindText(1, a);
            b.isNull() ? insert.bindNull(2) : insert.bindText(2, b);
            insert.run();
            insert.reset();
        }
    }

    ResultSet fetch(const QString& statement = QStringLiteral("SELECT a, b FROM texts ORDER BY position")) {
        SqlStatement select = database_.prepare(statement);
        return ResultSet::fetch(select);
    }

    test::TempAppDir app_;
    SqlCipherFile database_;
};

QString repeated(const QString& piece, int times) {
    QString text;
    for (int i = 0; i < times; ++i) text += piece;
    return text;
}

TEST_F(ResultRowsTest, EveryFormOfTextReadsBackExactly) {
    const QStringList texts = {
        QString(),                                  // no value
        QStringLiteral("0"),                        // one digit: odd
        QStringLiteral("00"),                       //
        QStringLiteral("0123456789ABCDEF"),         // a cipher text
        QStringLiteral("0123456789abcdef"),         // lower-case digits stay as they are
        QStringLiteral("ABCDE"),                    // odd length
        QStringLiteral("ABCG"),                     // no hexadecimal digit
        QStringLiteral(" AB"),                      //
        QStringLiteral("密码"),                     //
        QStringLiteral("A\u00e9"),                  //
        QStringLiteral("0000FF00"),                 // zero bytes in the stored form
        repeated(QStringLiteral("9F"), 70),         // a header of two bytes
        repeated(QStringLiteral("数据"), 50),       //
        repeated(QStringLiteral("C3D"), 30000),     // a row bigger than a block
        repeated(QStringLiteral("E1"), 40000),      //
        QStringLiteral("12345"),                    // a number as text
        QStringLiteral("https://"),                 // a scheme with nothing after it
        QStringLiteral("https://www."),             //
        QStringLiteral("http://www.例子.cn/登录"),  //
        QStringLiteral("https://site.example/?q=ABCD"),
        QStringLiteral("https://ABCD"),   // the rest would pack on its own
        QStringLiteral("HTTPS://www.x"),  // schemes are matched as written
        QStringLiteral("http:/x"),        //
        QStringLiteral("httpsx://x"),     //
        QStringLiteral("https://") + repeated(QStringLiteral("长"), 100),
        // bytes just outside the digits, among eight digits read at once and after them
        QStringLiteral("0123456789ABCDE:"),
        QStringLiteral("0123456789ABCDE@"),
        QStringLiteral("0123456789ABCDEG"),
        QStringLiteral("/123456789ABCDEF"),
        QStringLiteral("01234567`9ABCDEF"),
        QStringLiteral("0123\u00e989AB"),
        QStringLiteral("0123456789AB\u00e9"),
        QStringLiteral("89ABCDEF01234567FF"),
    };
    std::vector<std::pair<QString, QString>> rows;
    for (const QString& text : texts) rows.emplace_back(text, text + QStringLiteral("|"));
    store(rows);

    const ResultSet result = fetch();
    ASSERT_EQ(result.rowCount(), texts.size());
    for (int row = 0; row < result.rowCount(); ++row) {
        SCOPED_TRACE(texts[row].left(20).toStdString());
        EXPECT_EQ(result.text(row, 0), texts[row]);  // no value reads as empty text
        EXPECT_EQ(result.text(row, 1), texts[row] + QStringLiteral("|"));
    }
}

// Numbers are spelled as the engine spells them, and an integer keys like the same digits as text.
TEST_F(ResultRowsTest, NumbersReadBackAsTheEngineWritesThem) {
    const QStringList values = {QStringLiteral("0"),
                                QStringLiteral("7"),
                                QStringLiteral("-1"),
                                QStringLiteral("1234"),
                                QStringLiteral("9223372036854775807"),
                                QStringLiteral("-9223372036854775808"),
                                QStringLiteral("2.5"),
                                QStringLiteral("-0.125"),
                                QStringLiteral("1e300"),
                                QStringLiteral("X'41FF'")};
    for (const QString& value : values)
        database_.execute(QStringLiteral("INSERT INTO texts (a, b) VALUES (%1, CAST(%1 AS TEXT))").arg(value));

    const ResultSet result = fetch();
    ASSERT_EQ(result.rowCount(), values.size());
    for (int row = 0; row < result.rowCount(); ++row) {
        SCOPED_TRACE(values[row].toStdString());
        EXPECT_EQ(result.text(row, 0), result.text(row, 1));
        EXPECT_EQ(result.fieldKey(row, 0), result.fieldKey(row, 1));
    }
    EXPECT_EQ(result.text(5, 0), QStringLiteral("-9223372036854775808"));
    EXPECT_EQ(result.text(3, 0), QStringLiteral("1234"));
}

TEST_F(ResultRowsTest, ManyRowsOverSeveralBlocksReadBackInOrderAndAfterDrops) {
    std::vector<std::pair<QString, QString>> rows;
    for (int row = 0; row < 6000; ++row)
        rows.emplace_back(QStringLiteral("标题 %1").arg(row),
                          QString::number(row * 7919, 16).toUpper() + QStringLiteral("00"));
    store(rows);

    ResultSet result = fetch();
    ASSERT_EQ(result.rowCount(), 6000);
    for (int row = 0; row < 6000; ++row) {
        ASSERT_EQ(result.text(row, 0), rows[row].first);
        ASSERT_EQ(result.text(row, 1), rows[row].second);
    }
    result.setRecNo(3000);
    result.removeCurrentRow();
    result.last();
    result.removeCurrentRow();
    EXPECT_EQ(result.rowCount(), 5998);
    EXPECT_EQ(result.text(2998, 0), rows[2998].first);
    EXPECT_EQ(result.text(2999, 0), rows[3000].first) << "the dropped row is skipped";
    EXPECT_EQ(result.text(5997, 1), rows[5998].second);
}

TEST_F(ResultRowsTest, FieldKeysAreEqualExactlyWhenTheTextsAre) {
    const QStringList texts = {QStringLiteral("ABCD"),
                               QStringLiteral("abcd"),
                               QStringLiteral("ABCD"),
                               QString(),
                               QStringLiteral(""),
                               QStringLiteral("AB"),
                               QStringLiteral("\u00ab"),
                               QStringLiteral("ABCD "),
                               QStringLiteral("https://a"),
                               QStringLiteral("http://a"),
                               QStringLiteral("https://a"),
                               QStringLiteral("https://www.a"),
                               QStringLiteral("https://www.a"),
                               QStringLiteral("a"),
                               QStringLiteral("https://AB"),
                               QStringLiteral("https://"),
                               QStringLiteral("https://www.")};
    std::vector<std::pair<QString, QString>> rows;
    for (const QString& text : texts) rows.emplace_back(text, QString());
    store(rows);
    const ResultSet result = fetch();
    for (int one = 0; one < result.rowCount(); ++one)
        for (int other = 0; other < result.rowCount(); ++other)
            EXPECT_EQ(result.fieldKey(one, 0) == result.fieldKey(other, 0),
                      result.text(one, 0) == result.text(other, 0))
                << one << " and " << other;
}

// Short fields that repeat in a column (a category, a login name, the cipher text of an empty
// note) are kept once; a column of unique fields stops being looked at after its first rows.
TEST_F(ResultRowsTest, RepeatedFieldsReadBackExactlyAndShareTheirKeys) {
    const QStringList repeats = {QStringLiteral("分类0001"),
                                 QStringLiteral("CAFE0123CAFE0123"),
                                 QStringLiteral("https://mail.example.com/"),
                                 QStringLiteral("someone@example.com"),
                                 QStringLiteral("abc"),
                                 QString()};
    std::vector<std::pair<QString, QString>> rows;
    for (int row = 0; row < 9000; ++row) {
        const QString unique = QStringLiteral("标题 %1").arg(row);
        // a few hundred different values, in an order that keeps changing
        const QString repeat = row % 7 == 0 ? repeats[(row / 7) % repeats.size()]
                                            : QStringLiteral("分类%1").arg((row * 7919) % 400, 4, 10, QLatin1Char('0'));
        rows.emplace_back(unique, repeat);
    }
    store(rows);

    ResultSet result = fetch();
    ASSERT_EQ(result.rowCount(), 9000);
    for (int row = 0; row < 9000; ++row) {
        ASSERT_EQ(result.text(row, 0), rows[row].first) << row;
        ASSERT_EQ(result.text(row, 1), rows[row].second) << row;
    }
    for (const int one : {0, 7, 14, 49, 8995})
        for (int other = 0; other < 9000; other += 13)
            ASSERT_EQ(result.fieldKey(one, 1) == result.fieldKey(other, 1), rows[one].second == rows[other].second)
                << one << " and " << other;

    // Each different value is met first once, whether its repeats are shared or kept whole.
    const auto firstRowsOfEachValue = [&](int from) {
        std::vector<int> expected;
        QSet<QString> met;
        for (int row = from; row < 9000; ++row) {
            const QString& value = rows[row].second;
            if (!met.contains(value)) expected.push_back(row - from);
            met.insert(value);
        }
        return expected;
    };
    EXPECT_EQ(result.firstOccurrences(1), firstRowsOfEachValue(0));

    // The rows where values were first met go; their repeats further on still read back.
    for (int dropped = 0; dropped < 500; ++dropped) {
        result.first();
        result.removeCurrentRow();
    }
    for (int row = 0; row < result.rowCount(); ++row) ASSERT_EQ(result.text(row, 1), rows[row + 500].second) << row;
    EXPECT_EQ(result.firstOccurrences(1), firstRowsOfEachValue(500));
}

TEST_F(ResultRowsTest, CategoriesInEveryStoredFormAreListedOnceIgnoringCase) {
    store({{QStringLiteral("1"), QStringLiteral("CAFE")},
           {QStringLiteral("2"), QStringLiteral("cafe")},
           {QStringLiteral("3"), QStringLiteral("CAFE")},
           {QStringLiteral("4"), QStringLiteral("BEEF01")},
           {QStringLiteral("5"), QStringLiteral("咖啡")}});
    EXPECT_EQ(categoriesOf(fetch()).names(),
              (QStringList{QStringLiteral("CAFE"), QStringLiteral("BEEF01"), QStringLiteral("咖啡")}));
}

}  // namespace
}  // namespace tessavo::store
