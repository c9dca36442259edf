#include "GoodsPicker.h"

#include "DocumentsTab.h"
#include "data/Error.h"
#include "ui/DBEdit.h"
#include "ui/DBGrid.h"
#include "ui/DataSource.h"
#include "ui/Messages.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace vi23 {

TForm6::TForm6(ui::MainContext& context, DocumentsTab& documents, QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      context_(context), documents_(documents)
{
    setObjectName(QStringLiteral("Form6"));
    setWindowTitle(QString());
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
    auto* exit = new QPushButton(QStringLiteral("Выход"), this);
    exit->setObjectName(QStringLiteral("Button1"));
    layout->addWidget(exit);
    connect(search_, &QLineEdit::textChanged, this, &TForm6::Edit1Change);
    // Enter in the search box picks the goods found, as Enter on the list does.
    connect(search_, &QLineEdit::returnPressed, this, &TForm6::DBGrid1DblClick);
    connect(grid_, &ui::DBGrid::rowDoubleClicked, this, &TForm6::DBGrid1DblClick);
    connect(exit, &QPushButton::clicked, this, &TForm6::Button1Click);
}

void TForm6::Edit1Change()
{
    ui::runGuarded(this, [this] {
        DataSet& goods = context_.stov.dataSet();
        if (goods.sort() != QStringLiteral("naz"))
            goods.setSort(QStringLiteral("naz"));
        goods.locate(u"naz", search_->text());
    });
}

void TForm6::DBGrid1DblClick()
{
    ui::runGuarded(this, [this] {
        DataSet& goods = context_.stov.dataSet();
        if (goods.recordCount() > 0)
            documents_.putGoods(goods.position());
    });
}

void TForm6::Button1Click()
{
    hide();
}

} // namespace vi23
