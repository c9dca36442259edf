#include "ui/DeletionUndo.h"

#include "data/Error.h"
#include "ui/Messages.h"

namespace vi23::ui {

DeletionUndo::DeletionUndo(DataSet& dataSet, std::function<QString(const DataSet&)> question)
    : dataSet_(&dataSet), question_(std::move(question))
{
    dataSet_->addObserver(this);
}

DeletionUndo::~DeletionUndo()
{
    if (dataSet_)
        dataSet_->removeObserver(this);
}

void DeletionUndo::removeCurrent(QWidget* parent)
{
    if (!dataSet_)
        return;
    DataSet& set = *dataSet_;
    if (set.state() == DataSet::State::Insert) {
        if (askYesNo(parent, QStringLiteral("Отменить новую несохранённую запись?"), DefaultAnswer::No))
            set.cancel();
        return;
    }
    if (set.recordCount() == 0)
        throw UserError(QStringLiteral("Удалять нечего: список пуст"));
    if (!askYesNo(parent, question_(set), DefaultAnswer::No))
        return;
    // An edit not yet saved is not part of what comes back.
    if (set.isEditing())
        set.cancel();
    std::vector<Value> values = set.rowValues();
    set.remove();
    kept_ = std::move(values);
}

void DeletionUndo::undo()
{
    if (!dataSet_ || kept_.empty())
        return;
    std::vector<Value> values = std::move(kept_);
    kept_.clear();
    dataSet_->restore(values);
}

void DeletionUndo::stateChanged(DataSet& set)
{
    if (set.isEditing())
        kept_.clear();
}

} // namespace vi23::ui
