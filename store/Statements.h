#pragma once

#include <QString>
#include <QStringList>

#include "store/AccountRecord.h"

// Every statement the program sends to the account database, in one place. The texts keep
// their exact spacing, double blanks included. Each text value put into a statement has its
// single quotes doubled, so a quote in a title, account, address, category or keyword is
// stored and found as typed. A record number stands without quotes and must be decimal
// digits; anything else is refused with tessavo::Error.
namespace tessavo::store::sql {

// The text of a value between single quotes: every single quote doubled.
QString quotedText(const QString& value);
// A record number (编号) as it stands in a statement: only decimal digits are taken.
QString recordNumber(const QString& number);

// ---- Browsing and search (opened on ADOQuery1)
// "Select 编号,分类,网址,标题,帐号,密码,备注 from data  order by 统计 desc"
QString browseByUse();
// "Select  编号,分类,网址,标题,帐号,密码,备注  from data where " column " like '%" keyword "%' ".
// The column must be one of the columns of table data; the keyword's pattern characters keep
// their meaning.
QString searchRecords(const QString& column, const QString& keyword);
// "Select * from data"
QString browseAllColumns();
// "Select  编号,分类,网址,标题,帐号,密码,备注  from data where 分类='" category "'   order by 统计 desc"
QString browseCategory(const QString& category);
// "Select  编号,分类,网址,标题,帐号,密码,备注  from data"
QString browseUnsorted();

// ---- Changes of table data
// "update data  set 统计=统计+1 where  编号=" number
QString raiseUseCount(const QString& number);
// "Insert into data (分类,标题,网址,帐号,密码,备注) values ('" ... "')" with the record's
// 分类, 标题, 网址, 帐号, 密码 and 备注 (its 编号 and 统计 are not written).
QString insertRecord(const AccountRecord& record);
// "update data  set 统计=" count " where  编号=" number: a use count brought in from a file.
QString setUseCount(const QString& number, qint64 count);
// The seven lines of the change of row `number` to the record's 分类, 网址, 标题, 帐号, 密码
// and 备注; 统计 stays.
QStringList modifyRecord(const AccountRecord& record, const QString& number);
// "Insert into data (分类,标题,网址,帐号,密码) values ('" name "','标题','http://','账号','" cipher "')"
QString insertCategoryPlaceholder(const QString& name, const QString& passwordCipher);
// The two lines "update data  set 分类='" newName "' " and "where  分类='" oldName "' ".
QStringList renameCategory(const QString& newName, const QString& oldName);
// Removes every row of the category: "delete from data where 分类='" name "' ".
QString deleteCategory(const QString& name);
// "delete from data": every row of data.
QString deleteAllRecords();
// "select * from data", opened right after the rows were deleted.
QString browseAfterClear();

// ---- Table Pass
// "Select 密码 from Pass"
QString readManagementPassword();
// "update Pass  set 密码='" cipher "' "
QString writeManagementPassword(const QString& cipher);

}  // namespace tessavo::store::sql
