#pragma once
// The calculator window: a keypad through which the journal's sum is entered.
#include "data/Money.h"

#include <QString>
#include <QWidget>
#include <functional>

class QLineEdit;
class QPushButton;

namespace vi23 {

class TFormcalk : public QWidget {
    Q_OBJECT

public:
    explicit TFormcalk(QWidget* parent = nullptr);

    // Where failures of a key go; a message box unless the caller routes them elsewhere.
    std::function<void(const QString& text)> errorReporter;

    const QString& entry() const { return entry_; }
    Money value() const { return value_; }

signals:
    // "Сохранить": the amount in the general format, for the journal's sum box.
    void amountChosen(const QString& text);

protected:
    bool event(QEvent* event) override;
    // Digits, comma and point type; Backspace takes the last character back; Enter is "Сохранить",
    // Delete is "Удалить"; Escape closes the window as every pick window.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QPushButton* addKey(const QString& objectName, const QString& caption);
    void appendKey(QChar key);
    void saveClicked();
    void clearClicked();
    // Reads the entry into value_; false (the failure reported) when it cannot be read.
    bool recompute();
    void report(const QString& text);

    QLineEdit* MaskEdit1 = nullptr;
    QString entry_;
    Money value_;
    bool reporting_ = false;
    bool lostToOwnMessage_ = false;
};

} // namespace vi23
