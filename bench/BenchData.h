#pragma once

#include <QString>
#include <vector>

#include "tests/support/TempAppDir.h"

// The generated account databases the benchmarks run on.
namespace tessavo::bench {

struct Dataset {
    int records;
    int categories;
};

// 1 000 records in 10 categories, 10 000 in 100, 100 000 in 1 000.
const std::vector<Dataset>& datasets();
// The dataset with this many records.
const Dataset& datasetWith(int records);

// The directory (with a trailing '/') of the dataset's _.udb, generated on first use through
// the program's own insert statement and cipher and kept in the bench build for later runs.
QString cachedDatasetDir(const Dataset& dataset);

// A keyword of the search figure: a few titles in every dataset hold it.
QString rareTitleKeyword();
// A keyword that every web address holds.
QString commonAddressKeyword();

// A CSV file in our own export format with `rows` new records of about 100 bytes each (a
// million make 100 MB), generated on first use and kept in the bench build for later runs.
QString cachedImportFile(int rows);

// A scratch application directory holding a copy of the dataset's _.udb, removed with the object.
class WorkingCopy {
public:
    explicit WorkingCopy(const Dataset& dataset);
    // With a trailing '/'.
    QString appDir() const { return directory_.path(); }
    QString databasePath() const { return directory_.databasePath(); }

private:
    test::TempAppDir directory_{test::TempAppDir::Contents::Nothing};
};

}  // namespace tessavo::bench
