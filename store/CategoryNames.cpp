#include "store/CategoryNames.h"

#include <string>

#include "cipher/Unit_Orvel_DESCrypt.h"
#include "store/ResultSet.h"

namespace tessavo::store {

namespace {

constexpr int kCategoryColumn = 1;

}  // namespace

CategoryNames::CategoryNames(const QStringList& names) {
    for (const QString& name : names) add(name);
}

bool CategoryNames::add(const QString& name) {
    if (name.isEmpty()) return false;
    const qsizetype before = folded_.size();
    folded_.insert(name.toCaseFolded());
    if (folded_.size() == before) return false;
    names_.append(name);
    return true;
}

bool CategoryNames::contains(const QString& name) const { return folded_.contains(name.toCaseFolded()); }

CategoryNames categoriesOf(const ResultSet& result) {
    CategoryNames categories;
    if (result.columnCount() <= kCategoryColumn) return categories;
    // Most rows repeat a category already met: they are passed over before any conversion to
    // text and case folding.
    for (const int row : result.firstOccurrences(kCategoryColumn)) categories.add(result.text(row, kCategoryColumn));
    return categories;
}

CategoryNameVerdict judgeCategoryName(const QString& name, const CategoryNames& existing) {
    if (name.isEmpty()) return CategoryNameVerdict::Empty;
    if (name.size() < kMinimumCategoryNameLength) return CategoryNameVerdict::TooShort;
    if (existing.contains(name)) return CategoryNameVerdict::Taken;
    return CategoryNameVerdict::Accepted;
}

QString categoryNameMessage(CategoryNameVerdict verdict) {
    switch (verdict) {
        case CategoryNameVerdict::TooShort:
            return QStringLiteral("分类名称必须大于等于4个字符");
        case CategoryNameVerdict::Taken:
            return QStringLiteral("该分类已经存在.");
        case CategoryNameVerdict::Empty:
        case CategoryNameVerdict::Accepted:
            break;
    }
    return {};
}

QString categoryPlaceholderPassword() {
    static const std::string kPasswordInCodePage936("\xC3\xDC\xC2\xEB");
    return QString::fromLatin1(cipher::DesEncryptToHex(kPasswordInCodePage936, cipher::AccountKey()));
}

}  // namespace tessavo::store
