#pragma once
// In-memory rows behind the engine's data-set interface, and small helpers for template tests.
#include "data/RowSource.h"
#include "reports/PreparedReport.h"
#include "reports/ReportPreparer.h"
#include "reports/TemplateSource.h"

#include <QString>
#include <QStringList>
#include <map>
#include <memory>
#include <ostream>
#include <vector>

// Readable failure output for Qt strings.
inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace vi23::test {
// Test case labels safe for CTest names: ASCII letters and digits, everything else "_".
inline std::string safeLabel(const char* text)
{
    std::string out;
    for (const char* p = text; *p; ++p) {
        const char c = *p;
        out += (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ? c : '_';
    }
    return out.empty() ? std::string("empty") : out;
}
} // namespace vi23::test

namespace vi23::test {

class MemoryRows : public RowSource {
public:
    MemoryRows(QString name, QStringList fields, std::vector<std::vector<Value>> rows)
        : name_(std::move(name)), fields_(std::move(fields)), rows_(std::move(rows)) {}

    QString name() const override { return name_; }
    bool isOpen() const override { return open_; }
    void open() override { open_ = true; pos_ = rows_.empty() ? -1 : 0; eof_ = rows_.empty(); ++opens; }
    void close() override { open_ = false; ++closes; }
    void first() override { pos_ = rows_.empty() ? -1 : 0; eof_ = rows_.empty(); }
    // Past the last row the last row stays current, as the engine's footers expect.
    void next() override
    {
        if (pos_ + 1 < int(rows_.size()))
            ++pos_;
        else
            eof_ = true;
    }
    bool eof() const override { return eof_; }
    int position() const override { return pos_; }
    void moveToPosition(int p) override { pos_ = p; eof_ = rows_.empty(); }
    bool hasField(QStringView f) const override { return fields_.contains(f.toString()); }
    Value fieldValue(QStringView f) const override;
    // Other rows from the next opening on, as a query read again.
    void setRows(std::vector<std::vector<Value>> rows) { rows_ = std::move(rows); }

    int opens = 0;
    int closes = 0;

private:
    QString name_;
    QStringList fields_;
    std::vector<std::vector<Value>> rows_;
    bool open_ = false;
    bool eof_ = true;
    int pos_ = -1;
};

class MemoryResolver : public RowSourceResolver {
public:
    // Adds rows reachable by component name and by the link name.
    MemoryRows& add(const QString& link, QString name, QStringList fields, std::vector<std::vector<Value>> rows);
    RowSource* findByLink(QStringView link) override;
    RowSource* findByName(QStringView name) override;
    bool linkClosesAfterReport(QStringView link) const override { return link != u"frDBDataSetss"; }

private:
    std::vector<std::unique_ptr<MemoryRows>> sources_;
    std::map<QString, MemoryRows*> byLink_;
};

// A template from .tpl text; the header lines are added when the text has none.
Template tpl(const QString& body);

// Prepares and returns the dump, one line per box.
QString dump(const PreparedReport& r);

// All text lines of a page, box after box, as "x y: text".
QStringList pageTexts(const PreparedReport& r, int page);

// The texts of the boxes of one page, lines joined by " ⏎ ".
QStringList boxTexts(const PreparedReport& r, int page);

} // namespace vi23::test
