#pragma once
// The main window: the title line, the exit button and the seven tabs. It owns the store, the data
// sources, the state integers and the pick windows, and sets the sort orders each time it is activated
// and reads again what the shown tab shows.
#include "data/DataStore.h"
#include "reports/PrintRequest.h"
#include "reports/templates/BuiltInTemplates.h"
#include "ui/DBEdit.h"
#include "ui/MainContext.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QPushButton;
class QTabWidget;

namespace vi23 {

namespace ui {
class DataSource;
class DBEdit;
}
class DocumentsTab;
class JournalTab;
class GoodsTab;
class OperationsTab;
class CounterpartiesTab;
class RequisitesTab;
class TForm2;
class TForm6;
class TFormcalk;
class ManualWindow;

class TForm1 : public QWidget {
    Q_OBJECT
public:
    // Opens the database file; throws UserError when it is missing or damaged.
    explicit TForm1(const QString& databasePath = QStringLiteral("kn.mdb"), QWidget* parent = nullptr);
    ~TForm1() override;

    DataStore& store() { return *store_; }
    ui::MainContext& context() { return *context_; }
    DocumentsTab& documentsTab() { return *documentsTab_; }
    JournalTab& journalTab() { return *journalTab_; }
    TForm2& calendar() { return *calendar_; }
    TFormcalk& calculator() { return *calculator_; }
    TForm6& goodsPicker() { return *goodsPicker_; }
    QTabWidget* tabs() const { return tabs_; }
    const BuiltInTemplates& templates() const { return templates_; }

    // How a printed form reaches the user: prepared, then shown in the modal preview. Tests put their
    // own runner here to look at the request and the prepared pages.
    std::function<void(const Template&, RowSourceResolver&, const PrintRequest&)> reportRunner;
    // Prepares and shows the request's form; fails clearly when the program does not carry it.
    void runReport(const PrintRequest& request);

    // Lays every control out for a window of the given size (the on-show step uses the work area).
    void layoutFor(int width, int height);

    // The sort orders set on every activation.
    void FormActivate();
    // A date picked in the calendar goes into the date box the calendar was opened for.
    void MonthCalendar1Click(const QString& dateText);
    // The calculator's amount goes to the journal's sum box.
    void calculatorAmountChosen(const QString& amountText);
    // The date box the open calendar fills; null when the calendar is closed.
    ui::DBEdit* calendarTarget() const { return calendarTarget_; }

    // Whether a row is half written on any tab (a new row, a changed row or a typed box).
    bool hasUnsavedChanges() const;
    // New rows nothing was written into, on every tab, are dropped.
    void dropUntouchedNewRows();
    // The data sets the shown tab works with are read again, keeping their current rows, so that rows
    // other workplaces stored show; one with a row being written or typed into is left as it is.
    void rereadShownTab();

    // F1 and the button on "О программе": the manual of the program in `programFolder`.
    void showManual();
    QString programFolder;
    ManualWindow* manualWindow() const;

public slots:
    void Button1Click();    // "Bыход"

signals:
    // The file was replaced under the window (a restore): the program opens it again.
    void reopenRequested();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    // The parts of the window, built in this order by the constructor.
    void makeDataSources();
    void buildTitleLine();
    void buildTabs();
    void buildPickWindows();
    void loadForms();
    void addShortcuts();
    QWidget* buildAboutTab();
    // Whether a box over the data set holds typing not yet in its field, or a grid over it an open cell.
    bool typingInto(const DataSet& set) const;

    std::unique_ptr<DataStore> store_;
    ui::DataSource* DataSource_jur = nullptr;
    ui::DataSource* DataSource_jur1 = nullptr;
    ui::DataSource* DataSource_sr = nullptr;
    ui::DataSource* DataSource_k = nullptr;
    ui::DataSource* DataSource_stov = nullptr;
    ui::DataSource* DataSource_pr1 = nullptr;
    std::unique_ptr<ui::MainContext> context_;
    BuiltInTemplates templates_;

    QLabel* title_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    QWidget* panel_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    DocumentsTab* documentsTab_ = nullptr;
    JournalTab* journalTab_ = nullptr;
    GoodsTab* goodsTab_ = nullptr;
    OperationsTab* operationsTab_ = nullptr;
    CounterpartiesTab* counterpartiesTab_ = nullptr;
    RequisitesTab* requisitesTab_ = nullptr;
    TForm2* calendar_ = nullptr;
    TFormcalk* calculator_ = nullptr;
    TForm6* goodsPicker_ = nullptr;
    bool laidOut_ = false;
    bool startedOnNewest_ = false;
    bool leftForPickWindow_ = false;   // the last deactivation went to a pick window
    QPointer<ui::DBEdit> calendarTarget_;
    QPointer<ManualWindow> manual_;
};

} // namespace vi23
