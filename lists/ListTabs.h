#pragma once
// Tabs 3 to 6: goods and prices, typical operations, counterparties and the enterprise's requisites.
// Each list is written between its add or edit button and its "Сохранить", which stores only when
// inputMode holds the list's own value.
#include "ui/MainContext.h"
#include "ui/ProportionalLayout.h"

#include <QWidget>

class QLineEdit;

namespace vi23::ui {
class DBComboBox;
class DBEdit;
class DBGrid;
}

namespace vi23 {

class GoodsTab : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMode = 5;
    GoodsTab(ui::MainContext& context, QWidget* parent = nullptr);
    void applyLayout(const ui::LayoutUnits& units) { layout_.apply(units); }

public slots:
    void Button33Click();   // "Новая запись"
    void Button34Click();   // "Редактор"
    void Button35Click();   // "Удалить "
    void Button36Click();   // "Сохранить "

private:
    ui::MainContext& context_;
    ui::ProportionalLayout layout_;
    ui::DBGrid* grid_ = nullptr;
};

class OperationsTab : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMode = 3;
    OperationsTab(ui::MainContext& context, QWidget* parent = nullptr);
    void applyLayout(const ui::LayoutUnits& units) { layout_.apply(units); }

public slots:
    void Button9Click();    // "Добавить"
    void Button19Click();   // "Редактор"
    void Button18Click();   // "Удалить"
    void Button21Click();   // "Сохранить"

private:
    ui::MainContext& context_;
    ui::ProportionalLayout layout_;
    ui::DBComboBox* kindBox_ = nullptr;
    ui::DBGrid* grid_ = nullptr;
};

class CounterpartiesTab : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMode = 7;
    static constexpr int kAfterSave = 17;
    CounterpartiesTab(ui::MainContext& context, QWidget* parent = nullptr);
    void applyLayout(const ui::LayoutUnits& units) { layout_.apply(units); }

public slots:
    void Button12Click();   // "Добавить"
    void Button17Click();   // "Редактировать"
    void Button2Click();    // "Удалить"
    void Button22Click();   // "Сохранить"
    void Edit2Change();     // search by the first letters of the name

private:
    ui::MainContext& context_;
    ui::ProportionalLayout layout_;
    QLineEdit* search_ = nullptr;
    ui::DBGrid* grid_ = nullptr;
};

class RequisitesTab : public QWidget {
    Q_OBJECT
public:
    static constexpr int kMode = 2;
    RequisitesTab(ui::MainContext& context, QWidget* parent = nullptr);
    void applyLayout(const ui::LayoutUnits& units) { layout_.apply(units); }

public slots:
    void Button6Click();    // "Редактировать"
    void Button7Click();    // "Сохранить"

private:
    ui::MainContext& context_;
    ui::ProportionalLayout layout_;
};

} // namespace vi23
