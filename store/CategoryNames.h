#pragma once

#include <QSet>
#include <QString>
#include <QStringList>

namespace tessavo::store {

class ResultSet;

// Category names as the two category lists hold them: each name once, letter case ignored,
// in the order they were met; the first form met stands for all its case variants.
// Lookups go through a set of case-folded names, so a load of many rows stays linear.
class CategoryNames {
public:
    CategoryNames() = default;
    explicit CategoryNames(const QStringList& names);

    // Appends a name unless it is empty or held already; true when it was appended.
    bool add(const QString& name);
    bool contains(const QString& name) const;
    const QStringList& names() const { return names_; }

private:
    QStringList names_;
    QSet<QString> folded_;
};

// The categories of a browse result whose column 1 is 分类, walked once from the first row.
// Rows without a category add nothing. The result's cursor does not move.
CategoryNames categoriesOf(const ResultSet& result);

// The shortest category name, in UTF-16 code units.
constexpr int kMinimumCategoryNameLength = 4;

// What becomes of a name typed into the category input dialog.
enum class CategoryNameVerdict { Empty, TooShort, Taken, Accepted };
CategoryNameVerdict judgeCategoryName(const QString& name, const CategoryNames& existing);
// The message of a refused name; empty for an empty answer (nothing is shown) and an accepted one.
QString categoryNameMessage(CategoryNameVerdict verdict);

// The password of a new category's placeholder record: the cipher text under AccountKey of
// the four bytes C3 DC C2 EB (密码 in code page 936), taken as they are.
QString categoryPlaceholderPassword();

}  // namespace tessavo::store
