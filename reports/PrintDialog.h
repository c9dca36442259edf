#pragma once
// Choice of printer, copies and page range before printing a prepared report.
#include <QDialog>
#include <QList>
#include <optional>

class QComboBox;
class QLineEdit;
class QRadioButton;
class QSpinBox;

namespace vi23 {

// "1,3,5-12" -> 1, 3, 5, 6, ... 12 within 1..pageCount, in the order written; nullopt when the
// text is not a list of numbers and ranges.
std::optional<QList<int>> parsePageRanges(const QString& text, int pageCount);

class PrintDialog : public QDialog {
    Q_OBJECT
public:
    PrintDialog(int pageCount, int currentPage, QWidget* parent = nullptr);

    QString printerName() const;
    int copies() const;
    // The pages to print; nullopt when the range text is wrong.
    std::optional<QList<int>> pages() const;

    void accept() override;

private:
    int pageCount_;
    int currentPage_;
    QComboBox* printer_;
    QSpinBox* copies_;
    QRadioButton* all_;
    QRadioButton* current_;
    QRadioButton* numbers_;
    QLineEdit* ranges_;
};

} // namespace vi23
