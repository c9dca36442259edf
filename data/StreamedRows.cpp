#include "StreamedRows.h"
#include "Error.h"

namespace vi23 {

namespace {

// The report looks one row ahead at a group's end and steps back to it.
constexpr size_t kRowsKept = 4;

} // namespace

StreamedRows::StreamedRows(DataSet& set) : set_(set)
{
    if (!canStream(set))
        throw UserError(QStringLiteral("%1: упорядоченный набор не читается потоком").arg(set.name()));
}

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
    reader_.emplace(set_, true);
    period_ = set_.period();
    exhausted_ = false;
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
        std::vector<Value> values;
        if (exhausted_ || !reader_->next(values)) {
            exhausted_ = true;
            return false;
        }
        kept_.push_back(std::move(values));
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
    return kept_[size_t(position_ - firstKept_)][size_t(index)];
}

} // namespace vi23
