#include "calc/CalculatorWindow.h"

#include "calc/CalculatorAmount.h"
#include "data/Error.h"
#include "ui/PickWindow.h"

#include <QEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

namespace vi23 {

TFormcalk::TFormcalk(QWidget* parent)
    : QWidget(parent)
{
    ui::makePickWindow(this);
    setObjectName(QStringLiteral("Unitcalk"));
    setWindowTitle(QStringLiteral("Калькулятор"));

    errorReporter = [this](const QString& text) {
        QMessageBox::critical(this, QStringLiteral("Ошибка"), text);
    };

    MaskEdit1 = new QLineEdit(this);
    MaskEdit1->setObjectName(QStringLiteral("MaskEdit1"));
    // The window takes the keyboard; the display only shows the entry.
    MaskEdit1->setReadOnly(true);
    MaskEdit1->setFocusPolicy(Qt::NoFocus);
    setFocusPolicy(Qt::StrongFocus);

    auto* grid = new QGridLayout(this);
    grid->setSpacing(2);
    grid->addWidget(MaskEdit1, 0, 0, 1, 4);

    const QString rows[3] = {QStringLiteral("123,"), QStringLiteral("4560"), QStringLiteral("789")};
    for (int row = 0; row < 3; ++row) {
        for (int column = 0; column < rows[row].size(); ++column) {
            QChar key = rows[row][column];
            QString name = key == u',' ? QStringLiteral("keyComma") : QStringLiteral("keyDigit") + key;
            QPushButton* button = addKey(name, QString(key));
            grid->addWidget(button, row + 1, column);
            connect(button, &QPushButton::clicked, this, [this, key] { appendKey(key); });
            if (key == u',') {
                QFont font = button->font();
                font.setPointSizeF(font.pointSizeF() * 1.6);
                font.setBold(true);
                button->setFont(font);
            }
        }
    }

    QPushButton* save = addKey(QStringLiteral("keySave"), QStringLiteral("Сохранить"));
    grid->addWidget(save, 4, 0, 1, 4);
    connect(save, &QPushButton::clicked, this, &TFormcalk::saveClicked);

    QPushButton* clear = addKey(QStringLiteral("keyClear"), QStringLiteral("Удалить"));
    grid->addWidget(clear, 5, 0, 1, 4);
    connect(clear, &QPushButton::clicked, this, &TFormcalk::clearClicked);
}

QPushButton* TFormcalk::addKey(const QString& objectName, const QString& caption)
{
    auto* button = new QPushButton(caption, this);
    button->setObjectName(objectName);
    button->setAutoDefault(false);
    button->setFocusPolicy(Qt::NoFocus);
    button->setMinimumSize(40, 32);
    return button;
}

bool TFormcalk::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::WindowDeactivate:
        // Our own error box takes the activation; coming back from it is not a new use.
        if (reporting_)
            lostToOwnMessage_ = true;
        break;
    case QEvent::Show:
        // Opening is a new use even where the platform reports no fresh activation.
        entry_.clear();
        MaskEdit1->clear();
        break;
    case QEvent::WindowActivate:
        if (reporting_ || lostToOwnMessage_) {
            lostToOwnMessage_ = false;
        } else {
            entry_.clear();
            MaskEdit1->clear();
        }
        break;
    default:
        break;
    }
    return QWidget::event(event);
}

void TFormcalk::keyPressEvent(QKeyEvent* event)
{
    const QString text = event->text();
    const QChar c = text.size() == 1 ? text.at(0) : QChar();
    if (c.isDigit() && c.unicode() < 128) {
        appendKey(c);
    } else if (c == u',' || c == u'.') {
        appendKey(u',');
    } else if (event->key() == Qt::Key_Backspace) {
        entry_.chop(1);
        if (recompute())
            MaskEdit1->setText(entry_);
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        saveClicked();
    } else if (event->key() == Qt::Key_Delete) {
        clearClicked();
    } else {
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void TFormcalk::appendKey(QChar key)
{
    // The character stays even when the entry becomes unreadable; the display then keeps its text.
    entry_ += key;
    if (recompute())
        MaskEdit1->setText(entry_);
}

void TFormcalk::saveClicked()
{
    if (!recompute())
        return;
    emit amountChosen(formatCalculatorAmount(value_));
    hide();
}

void TFormcalk::clearClicked()
{
    entry_.clear();
    MaskEdit1->clear();
}

bool TFormcalk::recompute()
{
    try {
        value_ = readCalculatorAmount(entry_);
        return true;
    } catch (const UserError& error) {
        report(error.text());
        return false;
    }
}

void TFormcalk::report(const QString& text)
{
    reporting_ = true;
    try {
        errorReporter(text);
    } catch (...) {
        reporting_ = false;
        throw;
    }
    reporting_ = false;
}

} // namespace vi23
