#include "GoodsPicker.h"

#include "DocumentsTab.h"
#include "data/Error.h"
#include "ui/DBEdit.h"
#include "ui/DBGrid.h"
#include "ui/DataSource.h"
#include "ui/Messages.h"
#include "ui/PickWindow.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vi23 {

TForm6::TForm6(ui::MainContext& context, DocumentsTab& documents, QWidget* parent)
    : QWidget(parent), context_(context), documents_(documents)
{
    ui::makePickWindow(this);
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QStringLiteral("Выбор товара"));
    resize(520, 480);
    auto* layout = new QVBoxLayout(this);
    grid_ = new ui::DBGrid(this);
    grid_->setObjectName(QStringLiteral("DBGrid1"));
    grid_->setDataSource(&context_.stov);
    grid_->setReadOnly(true);
    grid_->addColumn(QStringLiteral("naz"), QStringLiteral("Наименование товаров, услуг"), 480);
    layout->addWidget(grid_, 1);
    auto* caption = new QLabel(QStringLiteral("Строка поиска"), this);
    layout->addWidget(caption);
    search_ = new QLineEdit(this);
    search_->setObjectName(QStringLiteral("Edit1"));
    layout->addWidget(search_);
    notFound_ = new QLabel(this);
    notFound_->setObjectName(QStringLiteral("LabelNotFound"));
    notFound_->setStyleSheet(QStringLiteral("color: #b00000;"));
    notFound_->setWordWrap(true);
    layout->addWidget(notFound_);
    auto* exit = new QPushButton(QStringLiteral("Выход"), this);
    exit->setObjectName(QStringLiteral("Button1"));
    layout->addWidget(exit);
    connect(search_, &QLineEdit::textChanged, this, &TForm6::Edit1Change);
    connect(search_, &QLineEdit::returnPressed, this, &TForm6::searchEntered);
    connect(grid_, &ui::DBGrid::rowDoubleClicked, this, &TForm6::DBGrid1DblClick);
    connect(exit, &QPushButton::clicked, this, &TForm6::Button1Click);
}

QString TForm6::notFoundText() const
{
    return notFound_->text();
}

int TForm6::matchingRow(const QString& text) const
{
    const DataSet& goods = context_.stov.dataSet();
    const int field = goods.requireField(u"naz");
    int containing = -1;
    for (int row = 0; row < goods.recordCount(); ++row) {
        const QString name = goods.valueAt(row, field).toText();
        if (name.startsWith(text, Qt::CaseInsensitive))
            return row;
        if (containing < 0 && name.contains(text, Qt::CaseInsensitive))
            containing = row;
    }
    return containing;
}

void TForm6::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    // Each pick starts afresh: no search left from the last one, the list from its top.
    ui::runGuarded(this, [this] {
        search_->clear();
        notFound_->clear();
        DataSet& goods = context_.stov.dataSet();
        if (goods.sort() != QStringLiteral("naz"))
            goods.setSort(QStringLiteral("naz"));
        if (goods.recordCount() > 0)
            goods.first();
        grid_->scrollToTop();
        search_->setFocus(Qt::OtherFocusReason);
    });
}

void TForm6::Edit1Change()
{
    ui::runGuarded(this, [this] {
        DataSet& goods = context_.stov.dataSet();
        if (goods.sort() != QStringLiteral("naz"))
            goods.setSort(QStringLiteral("naz"));
        const int row = matchingRow(search_->text());
        notFound_->setText(row < 0 ? QStringLiteral("Товара «%1» нет в списке").arg(search_->text()) : QString());
        if (row >= 0)
            goods.moveToPosition(row);
    });
}

void TForm6::searchEntered()
{
    ui::runGuarded(this, [this] {
        const int row = matchingRow(search_->text());
        if (row < 0) {
            notFound_->setText(QStringLiteral("Товара «%1» нет в списке: в строку документа ничего не внесено")
                                   .arg(search_->text()));
            search_->selectAll();
            return;
        }
        context_.stov.dataSet().moveToPosition(row);
        DBGrid1DblClick();
    });
}

void TForm6::DBGrid1DblClick()
{
    ui::runGuarded(this, [this] {
        DataSet& goods = context_.stov.dataSet();
        if (goods.recordCount() == 0)
            return;
        // A refused pick keeps the window open for another.
        documents_.putGoods(goods.position());
        hide();
    });
}

void TForm6::Button1Click()
{
    hide();
}

} // namespace vi23
