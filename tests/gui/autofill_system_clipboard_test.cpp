// The program's clipboard service over Qt's clipboard (the offscreen one here): the secret mark
// that keeps clipboard managers from storing a copy, and the emptying.
#include <gtest/gtest.h>

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "autofill/Unit_Clipbrd.h"
#include "platform/desktop/Clipboard.h"
#include "tests/support/QtPrinters.h"

using namespace tessavo;

namespace {

const QString kHint = QStringLiteral("x-kde-passwordManagerHint");

class SystemClipboard : public ::testing::Test {
protected:
    void TearDown() override { QGuiApplication::clipboard()->clear(); }
    const QMimeData* held() { return QGuiApplication::clipboard()->mimeData(); }
};

TEST_F(SystemClipboard, ASecretCarriesThePasswordManagerHint) {
    platform::clipboard().setText(QStringLiteral("s3cret pw"), true);
    ASSERT_NE(held(), nullptr);
    EXPECT_EQ(held()->text(), QStringLiteral("s3cret pw"));
    EXPECT_EQ(held()->data(kHint), QByteArray("secret"));
}

TEST_F(SystemClipboard, OtherTextCarriesNoHint) {
    platform::clipboard().setText(QStringLiteral("https://example.org"), false);
    ASSERT_NE(held(), nullptr);
    EXPECT_EQ(held()->text(), QStringLiteral("https://example.org"));
    EXPECT_FALSE(held()->hasFormat(kHint));
}

TEST_F(SystemClipboard, ClearEmptiesWhatAnyoneCopied) {
    QGuiApplication::clipboard()->setText(QStringLiteral("copied elsewhere"));
    autofill::ClipboardInstance().Clear();
    EXPECT_TRUE(QGuiApplication::clipboard()->text().isEmpty());
    EXPECT_EQ(autofill::ClipboardInstance().openCount(), 0);
}

}  // namespace
