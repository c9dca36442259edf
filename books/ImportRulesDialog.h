#pragma once
// The statement import rules: "если назначение платежа содержит …" / "если контрагент …" → operation,
// tried in their order; the first that fits chooses the operation of a loaded payment.
#include "data/Database.h"

#include <QDialog>

class QTableWidget;

namespace vi23 {

class ImportRulesDialog : public QDialog {
    Q_OBJECT
public:
    ImportRulesDialog(Database& db, QWidget* parent = nullptr);

    QTableWidget* table() const { return table_; }
    // One rule at the end: kind "Назначение" or "Контрагент", the text, the operation.
    void addRule(const QString& kind, const QString& pattern, const QString& operation);

public slots:
    void addClick();        // "Добавить"
    void removeClick();     // "Удалить"
    void saveClick();       // "Сохранить"

private:
    Database& db_;
    QStringList operations_;
    QTableWidget* table_ = nullptr;
};

} // namespace vi23
