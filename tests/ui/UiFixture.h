#pragma once
// A new kn.mdb, a shown and active window, and the message boxes and beeps caught for each test.
#include "data/DataStore.h"
#include "ui/DataSource.h"

#include <QString>
#include <QTemporaryDir>
#include <QWidget>
#include <gtest/gtest.h>
#include <memory>
#include <utility>
#include <vector>

namespace vi23::test {

class UiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    DataSet& dataSet(const char16_t* name) { return store_->dataSet(QStringView(name)); }
    ui::DataSource* source(const char16_t* name);
    QWidget* window() { return window_.get(); }
    // A plain box in the window that takes the focus away from the box under test.
    QWidget* elsewhere() { return elsewhere_; }

    // Shows the window and makes it active, so focus changes are delivered.
    void showWindow();
    // Gives the focus to a widget as a mouse click or Tab would.
    static void focus(QWidget* widget, Qt::FocusReason reason = Qt::MouseFocusReason);
    // Types each character as a key press into the widget that has the focus.
    static void type(const QString& text);
    static void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier);
    static QWidget* focused();

    // Adds a row through the data set: field name, text.
    static void addRow(DataSet& dataSet, const std::vector<std::pair<QString, QString>>& values);
    // The stored text of a field read from the file itself, by the table's rowid order.
    QString storedText(const QString& table, const QString& field, int row) const;

    std::vector<std::pair<QString, QString>> errors;   // caption, text
    std::vector<QString> questions;
    bool answer = true;
    int beeps = 0;

private:
    QTemporaryDir dir_;
    std::unique_ptr<DataStore> store_;
    std::unique_ptr<QWidget> window_;
    QWidget* elsewhere_ = nullptr;
};

} // namespace vi23::test
