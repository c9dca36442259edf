#pragma once
// The connection and every data set of the program, found by name and by report link.
#include "DataSet.h"
#include "Database.h"
#include "RowSource.h"
#include "StreamedRows.h"

#include <QString>
#include <map>
#include <memory>
#include <vector>

namespace vi23 {

class DataStore : public RowSourceResolver {
public:
    // When the tables a window shows are read: all at start, or each when first asked for by name
    // (a command that prints one form reads only what that form reads).
    enum class Opening { AtStart, OnFirstUse };

    // Opens the database file and the data sets that are open at start. Throws UserError.
    explicit DataStore(const QString& path, Opening opening = Opening::AtStart);
    ~DataStore() override;

    Database& database() { return *db_; }
    DataSet& dataSet(QStringView name);                 // "ADOTable_jur", "ADOQuery11"; throws when unknown
    DataSet* findDataSet(QStringView name);
    const std::vector<std::unique_ptr<DataSet>>& dataSets() const { return dataSets_; }

    // Report link name to data set name: "frDBDataSet11" -> "ADOQuery11".
    static QString dataSetOfLink(QStringView linkName);

    // With streaming on, a report finds each book query that has its period set as rows read once
    // through from the store (StreamedRows), not as the data set: a long book keeps no journal in
    // memory and shows its first page as soon as the first rows are read. The data sets themselves
    // stay as they are for the grids and the workbooks.
    void setStreamingBookQueries(bool on) { streamBookQueries_ = on; }

    RowSource* findByLink(QStringView linkName) override;
    RowSource* findByName(QStringView componentName) override;
    bool linkClosesAfterReport(QStringView linkName) const override;

    // Convenience for the shared tables.
    DataSet& jur() { return dataSet(u"ADOTable_jur"); }
    DataSet& jur1() { return dataSet(u"ADOTable_jur1"); }

private:
    std::unique_ptr<Database> db_;
    std::vector<std::unique_ptr<DataSet>> dataSets_;
    std::vector<bool> opensOnFirstUse_;   // parallel to dataSets_
    bool streamBookQueries_ = false;
    std::map<QString, std::unique_ptr<StreamedRows>> streams_;

    RowSource* forReport(DataSet* found);
};

} // namespace vi23
