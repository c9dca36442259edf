#pragma once
// The goods pick window: the goods list with an incremental search; a double click or Enter puts
// the current goods into the document line whose name box was clicked last.
#include "ui/MainContext.h"

#include <QWidget>

class QLineEdit;

namespace vi23::ui {
class DBGrid;
}

namespace vi23 {

class DocumentsTab;

class TForm6 : public QWidget {
    Q_OBJECT
public:
    TForm6(ui::MainContext& context, DocumentsTab& documents, QWidget* parent = nullptr);

    ui::DBGrid* grid() const { return grid_; }
    QLineEdit* searchBox() const { return search_; }

public slots:
    void Edit1Change();       // incremental search
    void DBGrid1DblClick();   // the pick
    void Button1Click();      // "Выход"

private:
    ui::MainContext& context_;
    DocumentsTab& documents_;
    ui::DBGrid* grid_ = nullptr;
    QLineEdit* search_ = nullptr;
};

} // namespace vi23
