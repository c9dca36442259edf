#include "StreamedRows.h"
#include "Error.h"

#include "HandOver.h"

#include <algorithm>
#include <cassert>
#include <iterator>
#include <thread>

namespace vi23 {

namespace {

// The report looks one row ahead at a group's end and steps back to it.
constexpr size_t kRowsKept = 4;
// Rows handed over at once, and batches read ahead at most.
constexpr size_t kBatchRows = 256;
constexpr size_t kBatchesAhead = 16;
// The rows kept are in the batch being read or the one before.
static_assert(kBatchRows >= kRowsKept);

} // namespace

// The rows of a reader in their order. With a connection of its own the query steps on a thread of
// its own, a few batches ahead, while the report lays out the rows before. A batch holds its rows one
// after another in one block: one allocation and one hand-over for many rows, read in order.
class RowPrefetch {
public:
    RowPrefetch(const DataSet& set, Database* own) : reader_(set, true, own), width_(std::max<size_t>(set.fields().size(), 1))
    {
        if (own)
            worker_ = std::thread([this] { readAhead(); });
    }

    ~RowPrefetch()
    {
        if (!worker_.joinable())
            return;
        batches_.stop();
        worker_.join();
    }

    // The next row's values, or none after the last (and every time after). A row stays valid while
    // fewer than a batch of rows are read after it.
    const Value* next()
    {
        while (taken_ >= current_.size()) {
            std::optional<std::vector<Value>> batch = worker_.joinable() ? batches_.take() : readBatch();
            if (!batch || batch->empty())
                return nullptr;
            previous_ = std::move(current_);
            current_ = std::move(*batch);
            taken_ = 0;
        }
        const Value* row = current_.data() + taken_;
        taken_ += width_;
        return row;
    }

private:
    std::vector<Value> readBatch()
    {
        std::vector<Value> batch;
        batch.reserve(kBatchRows * width_);
        std::vector<Value> values;
        while (batch.size() < kBatchRows * width_ && reader_.next(values)) {
            values.resize(width_);
            std::move(values.begin(), values.end(), std::back_inserter(batch));
        }
        return batch;
    }

    void readAhead()
    {
        try {
            for (std::vector<Value> batch = readBatch(); !batch.empty(); batch = readBatch()) {
                if (!batches_.give(std::move(batch)))
                    return;
            }
            batches_.finish();
        } catch (...) {
            batches_.stop(std::current_exception());
        }
    }

    DataSet::RowReader reader_;
    const size_t width_;
    HandOver<std::vector<Value>> batches_{kBatchesAhead};
    std::vector<Value> current_, previous_;
    size_t taken_ = 0;
    std::thread worker_;
};

StreamedRows::StreamedRows(DataSet& set) : set_(set)
{
    if (!canStream(set))
        throw UserError(QStringLiteral("%1: упорядоченный набор не читается потоком").arg(set.name()));
}

StreamedRows::~StreamedRows() = default;

bool StreamedRows::canStream(const DataSet& set)
{
    return set.isReadOnly() && set.sort().isEmpty();
}

void StreamedRows::open()
{
    if (isOpen())
        return;
    restart();
    eof_ = kept_.empty();
    position_ = eof_ ? -1 : 0;
}

void StreamedRows::close()
{
    reader_.reset();
    kept_.clear();
    firstKept_ = 0;
    rewindOwed_ = false;
    position_ = -1;
    eof_ = true;
}

void StreamedRows::restart() const
{
    kept_.clear();
    firstKept_ = 0;
    rewindOwed_ = false;
    reader_.reset();
    if (!readingTried_) {
        readingTried_ = true;
        try {
            reading_ = Database::openForReading(set_.database().path());
        } catch (const UserError&) {
            reading_.reset();
        }
    }
    reader_ = std::make_unique<RowPrefetch>(set_, reading_.get());
    reach(0);
}

void StreamedRows::settle() const
{
    if (rewindOwed_)
        restart();
    if (position_ >= 0)
        reach(position_);
}

bool StreamedRows::reach(int position) const
{
    while (firstKept_ + int(kept_.size()) <= position) {
        const Value* row = reader_->next();
        if (!row)
            return false;
        kept_.push_back(row);
        if (kept_.size() > kRowsKept) {
            kept_.pop_front();
            ++firstKept_;
        }
    }
    return true;
}

void StreamedRows::requireOpen() const
{
    if (!isOpen())
        throw UserError(QStringLiteral("Набор данных %1 закрыт").arg(set_.name()));
}

void StreamedRows::first()
{
    requireOpen();
    if (rewindOwed_ || firstKept_ > 0)
        restart();
    position_ = kept_.empty() ? -1 : 0;
    eof_ = kept_.empty();
}

void StreamedRows::next()
{
    requireOpen();
    settle();
    if (position_ >= 0 && reach(position_ + 1))
        ++position_;
    else
        eof_ = true;
}

void StreamedRows::moveToPosition(int position)
{
    requireOpen();
    if (position < 0 || position == position_)
        return;
    if (position < firstKept_) {
        // Often the last move before closing: the reading again waits until a row is wanted.
        rewindOwed_ = true;
    } else if (!reach(position)) {
        return;
    }
    position_ = position;
    eof_ = false;
}

Value StreamedRows::fieldValue(QStringView field) const
{
    return fieldValueAt(set_.requireField(field));
}

Value StreamedRows::fieldValueAt(int index) const
{
    requireOpen();
    if (index < 0 || index >= int(set_.fields().size()))
        throw UserError(QStringLiteral("%1: нет поля с номером %2").arg(set_.name()).arg(index));
    if (position_ < 0)
        return {};
    settle();
    // The current row is among those kept.
    assert(position_ >= firstKept_ && size_t(position_ - firstKept_) < kept_.size());
    return kept_[size_t(position_ - firstKept_)][size_t(index)];
}

} // namespace vi23
