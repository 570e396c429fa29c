#pragma once

#include <QString>
#include <memory>

struct sqlite3;

namespace tessavo::bench {

// The baseline side of the database figures: the same file and the same statement texts as the
// program, straight through the SQLCipher C interface, with nothing around them.
class RawDatabase {
public:
    // Opens the file with the database password.
    explicit RawDatabase(const QString& path);

    // Runs a query to its end, reading every field of every row as text; returns the row count.
    int selectAll(const QString& statement);
    // Runs a change statement.
    void execute(const QString& statement);
    // The engine's compaction alone: the file exported into a new file under the same key.
    void exportTo(const QString& destination);

private:
    struct Close {
        void operator()(sqlite3* database) const;
    };
    std::unique_ptr<sqlite3, Close> database_;
};

}  // namespace tessavo::bench
