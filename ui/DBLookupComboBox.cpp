#include "ui/DBLookupComboBox.h"

#include "ui/DataSource.h"
#include "ui/Messages.h"

#include <QDateTime>
#include <QKeyEvent>

namespace vi23::ui {

namespace {

constexpr qint64 kSearchPauseMs = 2000;
constexpr int kSearchMaxLength = 32;

qint64 wallClock()
{
    return QDateTime::currentMSecsSinceEpoch();
}

bool isPrintable(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text) {
        if (!c.isPrint())
            return false;
    }
    return true;
}

} // namespace

// Follows the data set the entries come from.
class DBLookupComboBox::ListObserver : public DataSetObserver {
public:
    explicit ListObserver(DBLookupComboBox& box) : box_(box) {}
    void rowsChanged(DataSet&) override { box_.reloadList(); }
    void dataSetDestroyed(DataSet&) override
    {
        box_.listSet_ = nullptr;
        box_.reloadList();
    }

private:
    DBLookupComboBox& box_;
};

DBLookupComboBox::DBLookupComboBox(QWidget* parent)
    : QComboBox(parent), listObserver_(std::make_unique<ListObserver>(*this)), clock_(wallClock)
{
    setEditable(false);
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (!showing_ && index >= 0)
            choose(itemText(index));
    });
}

DBLookupComboBox::~DBLookupComboBox()
{
    detach();
    detachList();
}

void DBLookupComboBox::setDataSource(DataSource* source)
{
    detach();
    source_ = source;
    attach();
}

void DBLookupComboBox::setDataField(const QString& field)
{
    detach();
    field_ = field;
    attach();
}

void DBLookupComboBox::setListSource(DataSource* source)
{
    detachList();
    listSource_ = source;
    attachList();
}

void DBLookupComboBox::setListField(const QString& field)
{
    detachList();
    listField_ = field;
    attachList();
}

void DBLookupComboBox::setClock(std::function<qint64()> clock)
{
    clock_ = clock ? std::move(clock) : std::function<qint64()>(wallClock);
    lastKeyAt_ = 0;
    search_.clear();
}

void DBLookupComboBox::attach()
{
    dataSet_ = source_ ? &source_->dataSet() : nullptr;
    if (dataSet_) {
        dataSet_->addObserver(this);
        fieldIndex_ = field_.isEmpty() ? -1 : dataSet_->fieldIndex(field_);
    }
    showFieldValue();
}

void DBLookupComboBox::detach()
{
    if (dataSet_)
        dataSet_->removeObserver(this);
    dataSet_ = nullptr;
    fieldIndex_ = -1;
}

void DBLookupComboBox::attachList()
{
    listSet_ = listSource_ ? &listSource_->dataSet() : nullptr;
    if (listSet_)
        listSet_->addObserver(listObserver_.get());
    reloadList();
}

void DBLookupComboBox::detachList()
{
    if (listSet_)
        listSet_->removeObserver(listObserver_.get());
    listSet_ = nullptr;
}

void DBLookupComboBox::reloadList()
{
    QStringList entries;
    const int field = listSet_ && listSet_->isOpen() ? listSet_->fieldIndex(listField_) : -1;
    if (field >= 0) {
        const int count = listSet_->recordCount();
        entries.reserve(count);
        for (int position = 0; position < count; ++position)
            entries << listSet_->valueAt(position, field).toText();
    }
    showing_ = true;
    clear();
    addItems(entries);
    showing_ = false;
    showFieldValue();
}

void DBLookupComboBox::showFieldValue()
{
    QString value;
    if (dataSet_ && fieldIndex_ >= 0 && dataSet_->isOpen())
        value = dataSet_->text(fieldIndex_);
    const int index = value.isEmpty() ? -1 : findText(value, Qt::MatchExactly | Qt::MatchCaseSensitive);
    showing_ = true;
    // A value missing from the list is still shown: the box shows its placeholder when nothing is
    // chosen. The placeholder goes first: clearing it while nothing is chosen would choose entry 0.
    setPlaceholderText(index < 0 ? value : QString());
    setCurrentIndex(index);
    showing_ = false;
}

void DBLookupComboBox::choose(const QString& value)
{
    if (dataSet_ && fieldIndex_ >= 0) {
        runGuarded(window(), [this, &value] {
            if (!dataSet_->isEditing())
                dataSet_->edit();
            dataSet_->setText(fieldIndex_, value);
        });
    }
    // After an error the stored value is shown again, not the entry that could not be written.
    showFieldValue();
}

void DBLookupComboBox::search(const QString& letters)
{
    const qint64 now = clock_();
    if (now - lastKeyAt_ >= kSearchPauseMs)
        search_.clear();
    lastKeyAt_ = now;
    const QString candidate = search_ + letters;
    if (candidate.size() > kSearchMaxLength)
        return;
    for (int i = 0; i < count(); ++i) {
        const QString entry = itemText(i);
        if (entry.startsWith(candidate, Qt::CaseInsensitive)) {
            search_ = candidate;
            choose(entry);
            return;
        }
    }
}

void DBLookupComboBox::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Escape) {
        search_.clear();
        event->accept();
        return;
    }
    const bool command = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    if (!command && isPrintable(event->text())) {
        search(event->text());
        event->accept();
        return;
    }
    QComboBox::keyPressEvent(event);
}

void DBLookupComboBox::currentRowChanged(DataSet&)
{
    showFieldValue();
}

void DBLookupComboBox::fieldChanged(DataSet&, int field)
{
    if (field == fieldIndex_)
        showFieldValue();
}

void DBLookupComboBox::rowsChanged(DataSet&)
{
    showFieldValue();
}

void DBLookupComboBox::dataSetDestroyed(DataSet&)
{
    dataSet_ = nullptr;
    fieldIndex_ = -1;
    showFieldValue();
}

} // namespace vi23::ui
