#pragma once
// The real main window over a fresh database, driven offscreen by control names. Message boxes
// and the report preview are caught so that a test can look at what the user would have seen.
#include "app/MainWindow.h"
#include "data/Database.h"
#include "reports/PrintRequest.h"
#include "ui/Messages.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace vi23::test {

// What the message boxes would have shown, and the answer every question gets.
struct CaughtMessages {
    QStringList errors;
    QStringList informations;
    QStringList questions;
    bool answerYes = true;

    void catchBoxes()
    {
        ui::setMessageHooks({[this](const QString&, const QString& text) { errors << text; },
                             [this](const QString& text) { informations << text; },
                             [this](const QString& text) {
                                 questions << text;
                                 return answerYes;
                             }});
    }
};

class MainWindowTest : public ::testing::Test, protected CaughtMessages {
protected:
    void SetUp() override
    {
        path = dir.filePath(QStringLiteral("kn.mdb"));
        Database::create(path);
        {
            DataStore seed(path);
            fill(seed);
        }
        catchBoxes();
        window = std::make_unique<TForm1>(path);
        window->reportRunner = [this](const Template& form, RowSourceResolver& rows, const PrintRequest& request) {
            requests.push_back(request);
            reports.push_back(preparePrint(form, rows, request));
        };
        window->show();
        QApplication::setActiveWindow(window.get());
        window->layoutFor(1280, 800);
        window->FormActivate();
    }

    void TearDown() override
    {
        window.reset();
        ui::setMessageHooks({});
    }

    // The rows the test starts with; none by default.
    virtual void fill(DataStore&) {}

    template <typename T = QWidget>
    T* child(const char* name, QWidget* parent = nullptr)
    {
        T* found = (parent ? parent : window.get())->findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return found;
    }

    void click(const char* button) { child<QPushButton>(button)->click(); }

    // Ctrl+Z with the keyboard focus in the named widget.
    void undoIn(const char* name)
    {
        QWidget* widget = child<QWidget>(name);
        widget->setFocus();
        QTest::keyClick(widget, Qt::Key_Z, Qt::ControlModifier);
    }

    DataSet& dataSet(const char16_t* name) { return window->store().dataSet(name); }

    // What another program reading the file would see.
    long long countRows(const char* table)
    {
        auto db = Database::open(path);
        Statement count = db->prepare(QStringLiteral("SELECT count(*) FROM %1").arg(QString::fromLatin1(table)));
        count.step();
        return count.integer(0);
    }

    QTemporaryDir dir;
    QString path;
    std::unique_ptr<TForm1> window;
    // What the window was asked to preview, and the pages the preview would have shown.
    std::vector<PrintRequest> requests;
    std::vector<PreparedReport> reports;
};

// Types the text into the widget key by key, as a keyboard would (Cyrillic included).
inline void typeInto(QWidget* widget, const QString& text)
{
    for (QChar c : text) {
        const Qt::Key key = c.isLetterOrNumber() ? Qt::Key(c.toUpper().unicode()) : Qt::Key(c.unicode());
        QTest::sendKeyEvent(QTest::Click, widget, key, QString(c), Qt::NoModifier);
    }
}

// Every text line of a prepared report, in page and box order.
inline QStringList reportTexts(const PreparedReport& report)
{
    QStringList out;
    for (const PreparedPage& page : report.pages) {
        for (const PreparedBox& box : page.boxes)
            out << box.texts().join(u' ');
    }
    return out;
}

} // namespace vi23::test
