#include "DataStore.h"
#include "DocumentNumbers.h"
#include "Error.h"
#include "FixedQueries.h"
#include "IssuedDocument.h"

namespace vi23 {

namespace {

struct Link {
    const char* link;
    const char* dataSet;
    bool closesAfter;
};

constexpr Link kLinks[] = {
    {"frDBDataSet11", "ADOQuery11", true},       {"frDBDataSet_bank", "ADOQuery_bank", true},
    {"frDBDataSet_kassa", "ADOQuery_kassa", true}, {"frDBDataSets", "ADOQuerys", true},
    {"frDBDataSetss", "ADOQueryss", false},      {"frDBDataSet_kas", "ADOTable_kassa", true},
    {"frDBDataSet_bl", "ADOQuery_bl", true},       {"frDBDataSet_sv", "ADOQuery_sv", true},
};

// The tables open with the main window. The queries open when a form needs them: the print query
// on the document being printed, the books for their period; the counterparty book and the cash
// orders are read afresh before every use, and reading them at start would only delay the window.
bool opensAtStart(const QString& name)
{
    return !name.startsWith(u"ADOQuery");
}

} // namespace

DataStore::DataStore(const QString& path, Opening opening) : db_(Database::open(path))
{
    db_->createWorkTables();
    for (const TableDef& table : schemaTables())
        dataSets_.push_back(std::make_unique<DataSet>(*db_, QStringLiteral("ADOTable_") + table.name, table));
    for (const FixedQuery& query : fixedQueries(db_->backend()))
        dataSets_.push_back(std::make_unique<DataSet>(*db_, query.name, query.definition));
    // Whoever stores a document (the tab, its grid, a tool) stores the figures it prints, and a new one
    // under a number no other document of its kind has.
    for (auto& set : dataSets_) {
        if (set->name() == u"ADOTable_jur1") {
            set->beforePost = &completeDocumentRecord;
            set->whileStoringNew = &numberNewDocument;
        }
    }
    opensOnFirstUse_.assign(dataSets_.size(), false);
    for (size_t i = 0; i < dataSets_.size(); ++i) {
        if (!opensAtStart(dataSets_[i]->name()))
            continue;
        if (opening == Opening::AtStart)
            dataSets_[i]->open();
        else
            opensOnFirstUse_[i] = true;
    }
}

DataStore::~DataStore()
{
    // Data sets go before the connection they read through, and the streams before their data sets.
    streams_.clear();
    dataSets_.clear();
}

DataSet* DataStore::findDataSet(QStringView name)
{
    for (size_t i = 0; i < dataSets_.size(); ++i) {
        if (dataSets_[i]->name() != name)
            continue;
        if (opensOnFirstUse_[i]) {
            // Once: a caller that closes it later means it.
            opensOnFirstUse_[i] = false;
            dataSets_[i]->open();
        }
        return dataSets_[i].get();
    }
    return nullptr;
}

DataSet& DataStore::dataSet(QStringView name)
{
    if (DataSet* found = findDataSet(name))
        return *found;
    throw UserError(QStringLiteral("Нет набора данных «%1»").arg(name.toString()));
}

QString DataStore::dataSetOfLink(QStringView linkName)
{
    for (const Link& link : kLinks) {
        if (linkName == QLatin1String(link.link))
            return QString::fromLatin1(link.dataSet);
    }
    return {};
}

RowSource* DataStore::forReport(DataSet* found)
{
    if (!found || !streamBookQueries_ || !found->takesPeriod() || !found->period() || !StreamedRows::canStream(*found))
        return found;
    std::unique_ptr<StreamedRows>& stream = streams_[found->name()];
    // Every report closes it at its end (linkClosesAfterReport), so the next opening reads the period
    // then set.
    if (!stream)
        stream = std::make_unique<StreamedRows>(*found);
    return stream.get();
}

RowSource* DataStore::findByLink(QStringView linkName)
{
    QString name = dataSetOfLink(linkName);
    return name.isEmpty() ? nullptr : forReport(findDataSet(name));
}

RowSource* DataStore::findByName(QStringView componentName)
{
    return forReport(findDataSet(componentName));
}

bool DataStore::linkClosesAfterReport(QStringView linkName) const
{
    for (const Link& link : kLinks) {
        // A stream closes after every report: open, it would keep its reading of the file going.
        if (linkName == QLatin1String(link.link))
            return link.closesAfter || streams_.count(QString::fromLatin1(link.dataSet)) > 0;
    }
    return true;
}

} // namespace vi23
