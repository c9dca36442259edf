#pragma once
// A book's query walked once from the store as a report reads it: only the few rows around the
// current one are kept, so a journal of any length costs the same memory.
#include "DataSet.h"
#include "RowSource.h"

#include <deque>
#include <memory>
#include <optional>

namespace vi23 {

class RowPrefetch;

class StreamedRows final : public RowSource {
public:
    // Reads the rows `set` would read on opening (its period and filter), in their order. A data set
    // with a sort order cannot be streamed: canStream says so beforehand.
    explicit StreamedRows(DataSet& set);
    ~StreamedRows() override;
    static bool canStream(const DataSet& set);

    QString name() const override { return set_.name(); }
    bool isOpen() const override { return reader_ != nullptr; }
    void open() override;
    void close() override;
    void first() override;
    void next() override;
    bool eof() const override { return eof_; }
    int position() const override { return position_; }
    // A move back past the rows kept reads the query again from its start, when a row is next read.
    void moveToPosition(int position) override;
    bool hasField(QStringView field) const override { return set_.hasField(field); }
    Value fieldValue(QStringView field) const override;
    int fieldIndex(QStringView field) const override { return set_.fieldIndex(field); }
    Value fieldValueAt(int index) const override;

private:
    void restart() const;
    // Reads on until the row at `position` is kept; false when the query has fewer rows.
    bool reach(int position) const;
    // Carries out a move back that is still owed.
    void settle() const;
    void requireOpen() const;

    DataSet& set_;
    // Reading is not a change of the rows: the const accessors read on as they need.
    mutable std::unique_ptr<RowPrefetch> reader_;
    // The query runs on a connection of its own, on a thread of its own; none when the file cannot be
    // opened a second time, and the rows are read on this thread through the data set's connection.
    mutable std::unique_ptr<Database> reading_;
    mutable bool readingTried_ = false;
    mutable std::deque<const Value*> kept_;   // rows in the reader's batches
    mutable int firstKept_ = 0;
    mutable bool rewindOwed_ = false;
    int position_ = -1;
    bool eof_ = true;
};

} // namespace vi23
