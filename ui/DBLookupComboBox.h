#pragma once
// A drop-down bound to one field whose list comes from another data set (DBL1, DBL3,
// DBLookupComboBox2). Choosing an entry writes it into the field at once, starting editing of the
// row if it is browsing. Letters typed into the closed box search the list by the start of its
// entries, letter case ignored: letters less than 2 s apart add up to one search text of at most
// 32 characters, a longer pause starts a new one, Backspace and Escape clear it, and a letter after
// which nothing matches is dropped and leaves the choice as it was.
#include "data/DataSet.h"

#include <QComboBox>
#include <functional>

namespace vi23::ui {

class DataSource;

class DBLookupComboBox : public QComboBox, private DataSetObserver {
    Q_OBJECT
public:
    explicit DBLookupComboBox(QWidget* parent = nullptr);
    ~DBLookupComboBox() override;

    void setDataSource(DataSource* source);          // the row that receives the value
    void setDataField(const QString& field);
    void setListSource(DataSource* source);          // where the entries come from, in its order
    void setListField(const QString& field);
    DataSource* dataSource() const { return source_; }
    const QString& dataField() const { return field_; }
    const QString& searchText() const { return search_; }

    // For tests: the clock, in milliseconds, that measures the pause between typed letters.
    void setClock(std::function<qint64()> clock);

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    class ListObserver;

    void currentRowChanged(DataSet&) override;
    void fieldChanged(DataSet&, int field) override;
    void rowsChanged(DataSet&) override;
    void dataSetDestroyed(DataSet&) override;

    void attach();
    void detach();
    void attachList();
    void detachList();
    void reloadList();
    void showFieldValue();
    void choose(const QString& value);
    void search(const QString& letters);

    DataSource* source_ = nullptr;
    DataSet* dataSet_ = nullptr;
    QString field_;
    int fieldIndex_ = -1;
    DataSource* listSource_ = nullptr;
    DataSet* listSet_ = nullptr;
    QString listField_;
    std::unique_ptr<ListObserver> listObserver_;
    QString search_;
    qint64 lastKeyAt_ = 0;
    std::function<qint64()> clock_;
    bool showing_ = false;
};

} // namespace vi23::ui
