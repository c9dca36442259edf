#pragma once
// Tabs 3 to 6: goods and prices, typical operations, counterparties and the enterprise's requisites.
// Each list is written between its add or edit button (or the first key typed into it) and its
// "Сохранить", which stores the row being written. Deleting asks and can be undone with Ctrl+Z.
#include "ui/MainContext.h"
#include "ui/ProportionalLayout.h"

#include <QWidget>
#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;

namespace vi23::ui {
class DBComboBox;
class DBEdit;
class DBGrid;
class DeletionUndo;
}

namespace vi23 {

class GoodsTab : public QWidget {
    Q_OBJECT
public:
    GoodsTab(ui::MainContext& context, QWidget* parent = nullptr);
    ~GoodsTab() override;
    void applyLayout(const ui::LayoutUnits& units) { layout_.apply(units); }
    void save();

public slots:
    void Button33Click();   // "Новая запись"
    void Button34Click();   // "Редактор"
    void Button35Click();   // "Удалить "
    void Button36Click();   // "Сохранить "
    void undoDeletion();    // Ctrl+Z

private:
    ui::MainContext& context_;
    ui::ProportionalLayout layout_;
    ui::DBGrid* grid_ = nullptr;
    std::unique_ptr<ui::DeletionUndo> deletion_;
};

class OperationsTab : public QWidget {
    Q_OBJECT
public:
    OperationsTab(ui::MainContext& context, QWidget* parent = nullptr);
    ~OperationsTab() override;
    void applyLayout(const ui::LayoutUnits& units) { layout_.apply(units); }
    void save();
    // Refuses an operation without its kind of settlement; a kind in another letter case is corrected.
    static void checkKind(DataSet& operations);

public slots:
    void Button9Click();    // "Добавить"
    void Button19Click();   // "Редактор"
    void Button18Click();   // "Удалить"
    void Button21Click();   // "Сохранить"
    void undoDeletion();    // Ctrl+Z

private:
    ui::MainContext& context_;
    ui::ProportionalLayout layout_;
    ui::DBComboBox* kindBox_ = nullptr;
    ui::DBGrid* grid_ = nullptr;
    std::unique_ptr<ui::DeletionUndo> deletion_;
};

class CounterpartiesTab : public QWidget {
    Q_OBJECT
public:
    CounterpartiesTab(ui::MainContext& context, QWidget* parent = nullptr);
    ~CounterpartiesTab() override;
    void applyLayout(const ui::LayoutUnits& units) { layout_.apply(units); }
    void save();

public slots:
    void Button12Click();   // "Добавить"
    void Button17Click();   // "Редактировать"
    void Button2Click();    // "Удалить"
    void Button22Click();   // "Сохранить"
    void Edit2Change();     // search by the first letters of the name
    void undoDeletion();    // Ctrl+Z

private:
    ui::MainContext& context_;
    ui::ProportionalLayout layout_;
    QLineEdit* search_ = nullptr;
    ui::DBGrid* grid_ = nullptr;
    std::unique_ptr<ui::DeletionUndo> deletion_;
};

class RequisitesTab : public QWidget {
    Q_OBJECT
public:
    RequisitesTab(ui::MainContext& context, QWidget* parent = nullptr);
    void applyLayout(const ui::LayoutUnits& units) { layout_.apply(units); }
    void save();

    // Shows the stored default rate and form set again.
    void showSettings();

public slots:
    void Button6Click();    // "Редактировать"
    void Button7Click();    // "Сохранить"
    void restoreClick();    // "Восстановить из копии…"
    void defaultVatChosen(int index);
    void formSetChosen(int index);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void showRegistrationCaption();
    void addRestoreButton(int row);

    ui::MainContext& context_;
    ui::ProportionalLayout layout_;
    QLabel* registrationCaption_ = nullptr;
    QComboBox* defaultVat_ = nullptr;
    QComboBox* formSet_ = nullptr;
    bool showing_ = false;
};

} // namespace vi23
