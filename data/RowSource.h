#pragma once
// The narrow view of a data set that the report engine walks: no SQL, no widgets.
#include "Value.h"

#include <QString>
#include <QStringView>

namespace vi23 {

class RowSource {
public:
    virtual ~RowSource() = default;
    virtual QString name() const = 0;            // component name, e.g. "ADOQuery_bl"
    virtual bool isOpen() const = 0;
    virtual void open() = 0;
    virtual void close() = 0;
    virtual void first() = 0;
    virtual void next() = 0;
    virtual bool eof() const = 0;
    // Position in the visible rows (0-based, -1 when there is none) and a move back to it.
    virtual int position() const = 0;
    virtual void moveToPosition(int position) = 0;
    virtual bool hasField(QStringView field) const = 0;
    // The current row's field; Null on an empty data set. Throws UserError for an unknown field.
    virtual Value fieldValue(QStringView field) const = 0;
    // A field found once by name and then read by its number on every row; -1 when the source
    // has no numbered fields (or no such field), and the name is used instead.
    virtual int fieldIndex(QStringView /*field*/) const { return -1; }
    virtual Value fieldValueAt(int index) const { return fieldValue(QString::number(index)); }
};

// Finds row sources by the names the templates use: report links ("frDBDataSet_bl") and
// component names ("ADOQuery_bl", "ADOTable_jur1").
class RowSourceResolver {
public:
    virtual ~RowSourceResolver() = default;
    virtual RowSource* findByLink(QStringView linkName) = 0;
    virtual RowSource* findByName(QStringView componentName) = 0;
    // Whether the link closes its data set after a report (all but frDBDataSetss).
    virtual bool linkClosesAfterReport(QStringView linkName) const = 0;
};

} // namespace vi23
