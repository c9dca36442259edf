#pragma once
// Rules shared by the boxes bound to one field: which typed characters a field can take, which keys
// change a box's text, and the beep that refuses a character.
#include "data/DataSet.h"
#include "data/Schema.h"

#include <QStringView>
#include <Qt>
#include <functional>

class QKeyEvent;
class QLineEdit;
class QWidget;

namespace vi23::ui {
class DataSource;
}

namespace vi23::ui::detail {

// Whether a typed character can occur in the field's values; control characters always pass.
bool acceptsCharacter(const FieldDef& field, QChar c);
bool acceptsText(const FieldDef& field, QStringView text);

// The characters a key press types; none when Ctrl, Alt or Meta make it a command.
QString typedText(const QKeyEvent* event);

// Whether the key would change a line edit's text, so the row must start editing first.
bool changesText(const QKeyEvent* event);

// Whether a focus change is one inside the window, which writes or drops a pending change.
// Window switches and pop-up menus do neither: the calendar and the calculator put their picks
// into a box while their own window is active.
bool focusMovesWithinWindow(Qt::FocusReason reason);

// The most characters a box for the field takes.
int maxLengthFor(const FieldDef& field);

// What a key press or a paste would put into a line: typed or pasted text without control characters.
QString insertedText(const QKeyEvent* event);
// Whether that text would take the line past its size.
bool overLimit(const QLineEdit* line, const QKeyEvent* event);
// Refuses a typed character with a beep.
void refuseCharacter();
// What a number field takes, as its refusal says; empty for a field that takes any character.
QString acceptedCharactersText(const FieldDef& field);
// Refuses a character the field cannot hold: a beep and, in a tooltip on `box`, what the field takes.
// The box keeps the focus with its text selected, so the next key corrects it.
void refuseCharacterIn(QWidget* box, QLineEdit* line, const FieldDef& field);
// Text typed or pasted past the line's size is refused with a beep and the limit in a tooltip on
// `box`, never cut unseen; true when the key was refused.
bool refuseOverLimit(QWidget* box, const QLineEdit* line, const QKeyEvent* event);
// For tests: called instead of the beep; null restores the beep.
void setRefusalHook(std::function<void()> hook);

// What a bound box does when its field changes under it or its row is about to be written.
class FieldLinkOwner {
public:
    virtual ~FieldLinkOwner() = default;
    virtual void showFieldValue() = 0;          // shows the field again, dropping a pending text
    virtual void writePending() = 0;            // writes the pending text into the field
    virtual bool hasPendingChange() const = 0;
};

// The link of one box to one field of a data source: follows the data set and tells the box when
// to show the field again or to write its pending text.
class FieldLink : private DataSetObserver {
public:
    explicit FieldLink(FieldLinkOwner& owner) : owner_(owner) {}
    ~FieldLink() override { detach(); }
    FieldLink(const FieldLink&) = delete;
    FieldLink& operator=(const FieldLink&) = delete;

    void setSource(DataSource* source);
    void setField(const QString& field);
    DataSource* source() const { return source_; }
    const QString& field() const { return field_; }
    DataSet* dataSet() const { return dataSet_; }
    int index() const { return index_; }
    bool isBound() const { return dataSet_ && index_ >= 0; }
    const FieldDef& fieldDef() const { return dataSet_->fields()[size_t(index_)]; }
    // The field's text in the current row; empty when unbound or closed.
    QString fieldText() const;
    // Starts editing the row if it is browsing; false (the error shown) when it cannot.
    bool startEditing(QWidget* errorParent);

private:
    void attach();
    void detach();
    void currentRowChanged(DataSet&) override { owner_.showFieldValue(); }
    void fieldChanged(DataSet&, int field) override;
    void stateChanged(DataSet&) override { owner_.showFieldValue(); }
    void rowsChanged(DataSet&) override;
    void writePendingChanges(DataSet&) override { owner_.writePending(); }
    void dataSetDestroyed(DataSet&) override;

    FieldLinkOwner& owner_;
    DataSource* source_ = nullptr;
    QString field_;
    DataSet* dataSet_ = nullptr;
    int index_ = -1;
};

} // namespace vi23::ui::detail
