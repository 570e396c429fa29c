#pragma once

#include <QString>

namespace tessavo::store {

// The database file's bare name and its database password.
inline constexpr char16_t kDatabaseFileName[] = u"_.udb";
inline constexpr char16_t kDatabasePassword[] = u"Pw4r-Lq9t-Zx";

// The account database of an application directory (which ends with a path separator).
QString databasePath(const QString& applicationDirectory);
// The message of a start or a compaction that finds no database file.
QString missingDatabaseMessage();

// A connection-string value as it must stand to read back whole: a value holding a ";" or
// starting with a quote is written in double quotes, each double quote inside doubled.
QString connectionStringValue(const QString& value);

// The connection string of the account database in `applicationDirectory` (which ends with a
// path separator): "Provider=Microsoft.Jet.OLEDB.4.0;Data Source=" + directory + "_.udb;Persist
// Security Info=False;Jet OLEDB:Database Password=Pw4r-Lq9t-Zx". A directory holding a ";" is
// written in double quotes, so the data source still reads back whole.
QString connectionStringFor(const QString& applicationDirectory);

// What the data layer takes from a connection string.
struct ConnectionSettings {
    QString dataSource;
    QString databasePassword;
};

// Reads "name=value" pairs separated by ";"; names are matched ignoring letter case and
// surrounding blanks; a value may stand in single or double quotes (a quote inside doubled).
ConnectionSettings parseConnectionString(const QString& connectionString);

}  // namespace tessavo::store
