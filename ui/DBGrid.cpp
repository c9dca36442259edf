#include "ui/DBGrid.h"

#include "ui/BoundField.h"
#include "data/DocumentMoney.h"
#include "ui/DataSetTableModel.h"
#include "ui/DataSource.h"
#include "ui/Messages.h"

#include <QComboBox>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>

namespace vi23::ui {

namespace {

// A rate cell takes what begins one of the rates in force, "Без НДС" included; any other key is refused
// where it is typed, with the rates in a tooltip and the cell's text selected for the next key.
class RateKeyFilter : public QObject {
public:
    explicit RateKeyFilter(QComboBox* choices) : QObject(choices), choices_(choices) {}

protected:
    // On the box itself: it hands its keys to its line directly, past any filter there.
    bool eventFilter(QObject* object, QEvent* event) override
    {
        QLineEdit* line = choices_->lineEdit();
        if (object != choices_ || !line || event->type() != QEvent::KeyPress)
            return false;
        const QString typed = detail::insertedText(static_cast<QKeyEvent*>(event));
        if (typed.isEmpty())
            return false;
        QString text = line->text();
        const int from = line->hasSelectedText() ? line->selectionStart() : line->cursorPosition();
        text.replace(from, line->selectedText().size(), typed);
        const QStringList& rates = vatRateChoices();
        if (std::any_of(rates.begin(), rates.end(), [&](const QString& r) { return r.startsWith(text, Qt::CaseInsensitive); }))
            return false;
        detail::refuseCharacter();
        const QString takes = QStringLiteral("Ставка НДС: ") + allowedVatRatesText();
        QToolTip::showText(choices_->mapToGlobal(QPoint(0, choices_->height())), takes, choices_);
        line->selectAll();
        return true;
    }

private:
    QComboBox* choices_;
};

// Cell editors take what a bound box of the same field would take.
class FieldEditDelegate : public QStyledItemDelegate {
public:
    FieldEditDelegate(DataSetTableModel& model, QObject* parent) : QStyledItemDelegate(parent), model_(model) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem& option, const QModelIndex& index) const override
    {
        const FieldDef* field = model_.fieldAt(index.column());
        if (field && field->type == FieldType::Short && isVatRateField(field->name)) {
            // A rate is chosen from the rates in force, or typed; anything else is refused when stored.
            auto* choices = new QComboBox(parent);
            choices->setEditable(true);
            choices->setInsertPolicy(QComboBox::NoInsert);
            choices->addItems(vatRateChoices());
            choices->setToolTip(QStringLiteral("Ставка НДС: ") + allowedVatRatesText());
            choices->installEventFilter(new RateKeyFilter(choices));
            return choices;
        }
        QWidget* editor = QStyledItemDelegate::createEditor(parent, option, index);
        auto* line = qobject_cast<QLineEdit*>(editor);
        if (line && field) {
            line->setMaxLength(detail::maxLengthFor(*field));
            line->setProperty(kColumn, index.column());
        }
        return editor;
    }

    void setEditorData(QWidget* editor, const QModelIndex& index) const override
    {
        QStyledItemDelegate::setEditorData(editor, index);
        // A key typed on the cell replaces the rate shown, never adds to it ("10" over 22 is 10).
        if (auto* choices = qobject_cast<QComboBox*>(editor); choices && choices->lineEdit())
            choices->lineEdit()->selectAll();
    }

protected:
    bool eventFilter(QObject* object, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress) {
            auto* key = static_cast<QKeyEvent*>(event);
            const QVariant column = object->property(kColumn);
            const FieldDef* field = column.isValid() ? model_.fieldAt(column.toInt()) : nullptr;
            if (field && !detail::acceptsText(*field, detail::typedText(key))) {
                if (auto* line = qobject_cast<QLineEdit*>(object))
                    detail::refuseCharacterIn(line, line, *field);
                else
                    detail::refuseCharacter();
                return true;
            }
            // Past the field's size a cell refuses with a beep as the box above it does, never cutting
            // the text unseen; the limit stays in the cell's tooltip (a pop-up would close the editor).
            auto* line = qobject_cast<QLineEdit*>(object);
            if (field && line && detail::overLimit(line, key)) {
                detail::refuseCharacter();
                line->setToolTip(QStringLiteral("В этом поле не более %1 знаков").arg(line->maxLength()));
                return true;
            }
        }
        return QStyledItemDelegate::eventFilter(object, event);
    }

private:
    static constexpr const char* kColumn = "vi23Column";
    DataSetTableModel& model_;
};

} // namespace

DBGrid::DBGrid(QWidget* parent) : QTableView(parent), model_(new DataSetTableModel(this))
{
    model_->setErrorParent(this);
    setModel(model_);
    setItemDelegate(new FieldEditDelegate(*model_, this));
    setSelectionBehavior(QAbstractItemView::SelectRows);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    verticalHeader()->hide();
    horizontalHeader()->setHighlightSections(false);
    setSortingEnabled(false);
    setWordWrap(false);
    connect(selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex& current) { lineSelected(current.row()); });
    connect(model_, &DataSetTableModel::currentRowMoved, this, [this] { followDataSet(); });
    // A cell whose text the row refused is typed again at once: the next key lands there, selected.
    connect(model_, &DataSetTableModel::editRefused, this, [this](const QModelIndex& index) {
        QMetaObject::invokeMethod(this, [this, cell = QPersistentModelIndex(index)] {
            if (!cell.isValid())
                return;
            setCurrentIndex(cell);
            setFocus(Qt::OtherFocusReason);
            edit(cell);
        }, Qt::QueuedConnection);
    });
}

DBGrid::~DBGrid()
{
    // The model stops following the data set before the view goes.
    model_->setDataSet(nullptr);
}

void DBGrid::setDataSource(DataSource* source)
{
    source_ = source;
    model_->setDataSet(source ? &source->dataSet() : nullptr);
}

void DBGrid::addColumn(const QString& field, const QString& title, int width)
{
    const int column = model_->addColumn(field, title);
    setColumnWidth(column, width);
    // A selected line covers the columns it had when selected.
    followDataSet();
}

void DBGrid::setColumnWidthFor(const QString& field, int width)
{
    const int column = model_->columnOf(field);
    if (column >= 0)
        setColumnWidth(column, width);
}

void DBGrid::setReadOnly(bool readOnly)
{
    readOnly_ = readOnly;
    model_->setEditable(!readOnly);
    setEditTriggers(readOnly ? QAbstractItemView::NoEditTriggers
                             : QAbstractItemView::DoubleClicked | QAbstractItemView::EditKeyPressed |
                                   QAbstractItemView::AnyKeyPressed);
}

void DBGrid::setColumnReadOnly(const QString& field, const QString& reason)
{
    model_->setColumnReadOnly(field, reason);
}

bool DBGrid::explainReadOnlyCell(const QModelIndex& index)
{
    const QString reason = readOnly_ || !index.isValid() ? QString() : model_->readOnlyReason(index.column());
    if (reason.isEmpty())
        return false;
    showInformation(this, reason);
    return true;
}

int DBGrid::selectedRow() const
{
    const QModelIndex current = currentIndex();
    return current.isValid() && selectionModel()->isRowSelected(current.row(), {}) ? current.row() : -1;
}

void DBGrid::followDataSet()
{
    DataSet* dataSet = model_->dataSet();
    const int row = dataSet && dataSet->isOpen() ? dataSet->position() : -1;
    following_ = true;
    if (row >= 0 && row < model_->rowCount() && model_->columnCount() > 0) {
        const QModelIndex current = currentIndex();
        const QModelIndex target = model_->index(row, current.isValid() ? current.column() : 0);
        if (target != current || !selectionModel()->isRowSelected(row, {}))
            selectionModel()->setCurrentIndex(target,
                                              QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        scrollTo(target);
    } else {
        selectionModel()->clear();
    }
    following_ = false;
}

void DBGrid::lineSelected(int row)
{
    DataSet* dataSet = model_->dataSet();
    if (following_ || !dataSet || row < 0 || !dataSet->isOpen() || dataSet->position() == row)
        return;
    runGuarded(window(), [dataSet, row] { dataSet->moveToPosition(row); });
    if (dataSet->position() != row) {
        // The row could not be left: the selection goes back once the view has finished this event.
        QMetaObject::invokeMethod(this, [this] { followDataSet(); }, Qt::QueuedConnection);
    }
}

void DBGrid::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier)) {
        event->accept();
        DataSet* dataSet = model_->dataSet();
        if (readOnly_ || !dataSet || !dataSet->isOpen() || dataSet->isReadOnly() || dataSet->recordCount() == 0)
            return;
        if (deleteAction)
            deleteAction();
        else if (askYesNo(this, QStringLiteral("Удалить запись?"), DefaultAnswer::No))
            runGuarded(window(), [dataSet] { dataSet->remove(); });
        return;
    }
    if ((!detail::typedText(event).isEmpty() || event->key() == Qt::Key_F2) && explainReadOnlyCell(currentIndex())) {
        event->accept();
        return;
    }
    // Esc on a new row nothing was written into drops it, as leaving it would.
    if (event->key() == Qt::Key_Escape && !readOnly_) {
        DataSet* dataSet = model_->dataSet();
        bool dropped = false;
        if (dataSet && dataSet->isOpen())
            runGuarded(window(), [&] { dropped = dataSet->dropUntouchedNewRow(); });
        if (dropped) {
            event->accept();
            return;
        }
    }
    // Enter on a line of a read-only grid chooses it, as a double click does.
    if (readOnly_ && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && currentIndex().isValid()) {
        event->accept();
        emit rowDoubleClicked();
        return;
    }
    QTableView::keyPressEvent(event);
}

void DBGrid::editFirstCellOfCurrentRow()
{
    followDataSet();
    DataSet* dataSet = model_->dataSet();
    const int row = dataSet && dataSet->isOpen() ? dataSet->position() : -1;
    if (row < 0 || row >= model_->rowCount() || model_->columnCount() == 0)
        return;
    const QModelIndex first = model_->index(row, 0);
    following_ = true;
    selectionModel()->setCurrentIndex(first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    following_ = false;
    scrollTo(first);
    setFocus(Qt::OtherFocusReason);
    if (!readOnly_)
        edit(first);
}

void DBGrid::commitOpenEditor()
{
    if (state() != QAbstractItemView::EditingState)
        return;
    if (QWidget* editor = indexWidget(currentIndex()))
        commitData(editor);
}

void DBGrid::mousePressEvent(QMouseEvent* event)
{
    QTableView::mousePressEvent(event);
    DataSet* dataSet = model_->dataSet();
    if (dataSet && dataSet->isOpen() && selectedRow() != dataSet->position())
        followDataSet();
}

void DBGrid::mouseDoubleClickEvent(QMouseEvent* event)
{
    const QModelIndex at = indexAt(event->position().toPoint());
    const bool onLine = at.isValid();
    if (explainReadOnlyCell(at)) {
        event->accept();
        return;
    }
    QTableView::mouseDoubleClickEvent(event);
    if (onLine)
        emit rowDoubleClicked();
}

} // namespace vi23::ui
