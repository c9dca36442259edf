#pragma once
// Deletion on a tab: asks in Russian naming the row, with "Нет" as the default, and keeps the row
// deleted last so that Ctrl+Z can store it again, until the data set next starts editing.
#include "data/DataSet.h"

#include <QString>
#include <functional>
#include <vector>

class QWidget;

namespace vi23::ui {

class DeletionUndo : private DataSetObserver {
public:
    // `question` names the current row ("Удалить документ № 31 от 01.01.2026?").
    DeletionUndo(DataSet& dataSet, std::function<QString(const DataSet&)> question);
    ~DeletionUndo() override;
    DeletionUndo(const DeletionUndo&) = delete;
    DeletionUndo& operator=(const DeletionUndo&) = delete;

    // Asks and deletes the current row; a new row not yet stored is dropped after the same question.
    // Throws the store's error.
    void removeCurrent(QWidget* parent);
    bool canUndo() const { return !kept_.empty(); }
    // Stores the row deleted last again and makes it current; throws the store's error.
    void undo();

private:
    void stateChanged(DataSet&) override;
    void dataSetDestroyed(DataSet&) override { dataSet_ = nullptr; }

    DataSet* dataSet_;
    std::function<QString(const DataSet&)> question_;
    std::vector<Value> kept_;
};

} // namespace vi23::ui
