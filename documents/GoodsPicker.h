#pragma once
// The goods pick window: the goods list with an incremental search; a double click or Enter puts
// the goods found into the document line whose name box was clicked last, closes the window and
// leaves the keyboard in that line's quantity. Esc closes it without a pick.
#include "ui/MainContext.h"

#include <QWidget>

class QLabel;
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
    // What the window says when nothing matches the search; empty otherwise.
    QString notFoundText() const;
    // The goods row whose name begins with the text, else the first that contains it; -1 for none.
    int matchingRow(const QString& text) const;

public slots:
    void Edit1Change();       // incremental search
    void DBGrid1DblClick();   // the pick
    void Button1Click();      // "Выход"
    void searchEntered();     // Enter in the search line

protected:
    void showEvent(QShowEvent* event) override;

private:
    ui::MainContext& context_;
    DocumentsTab& documents_;
    ui::DBGrid* grid_ = nullptr;
    QLineEdit* search_ = nullptr;
    QLabel* notFound_ = nullptr;
};

} // namespace vi23
