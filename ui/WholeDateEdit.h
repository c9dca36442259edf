#pragma once
// A date picker in dd.MM.yyyy that takes a whole date typed in one go ("15.03.2026", "15032026",
// "5.3.2027"): a separator after a completed day or month does not skip the next part, and a date
// typed from its day does not meet the old month or year on its way (31 after February, 29.02 in a
// common year).
#include <QDateEdit>

namespace vi23::ui {

class WholeDateEdit : public QDateEdit {
    Q_OBJECT
public:
    WholeDateEdit(QDate date, QWidget* parent = nullptr);

protected:
    void keyPressEvent(QKeyEvent* event) override;
};

} // namespace vi23::ui
