// The program's own template sources through the engine: every form prepares, and the
// quarterly book prints its groups in the documented order.
#include "TestSupport.h"

#include <QDir>
#include <gtest/gtest.h>

namespace vi23::test {
namespace {

// Any field of any data set: one row whose every field is 1.
class AnyFieldRows : public RowSource {
public:
    explicit AnyFieldRows(QString name, int rows = 1) : name_(std::move(name)), rows_(rows) {}
    QString name() const override { return name_; }
    bool isOpen() const override { return open_; }
    void open() override { open_ = true; }
    void close() override { open_ = false; }
    void first() override { pos_ = 0; }
    void next() override { ++pos_; }
    bool eof() const override { return pos_ >= rows_; }
    int position() const override { return pos_; }
    void moveToPosition(int p) override { pos_ = p; }
    bool hasField(QStringView) const override { return true; }
    Value fieldValue(QStringView) const override { return Value(1); }

private:
    QString name_;
    int rows_;
    bool open_ = false;
    int pos_ = 0;
};

class AnyResolver : public RowSourceResolver {
public:
    RowSource* findByLink(QStringView link) override
    {
        QString name = link.toString();
        name.replace(QStringLiteral("frDBDataSet_kas"), QStringLiteral("ADOTable_kassa"));
        name.replace(QStringLiteral("frDBDataSet"), QStringLiteral("ADOQuery"));
        return findByName(name);
    }
    RowSource* findByName(QStringView name) override
    {
        auto& slot = sources_[name.toString()];
        if (!slot)
            slot = std::make_unique<AnyFieldRows>(name.toString());
        return slot.get();
    }
    bool linkClosesAfterReport(QStringView) const override { return true; }

private:
    std::map<QString, std::unique_ptr<AnyFieldRows>> sources_;
};

QStringList sourceFiles()
{
    return QDir(QStringLiteral(VI23_TEMPLATE_DIR)).entryList({QStringLiteral("*.tpl")}, QDir::Files, QDir::Name);
}

TEST(TemplateForms, EverySourcePreparesOverOneRow)
{
    const QStringList files = sourceFiles();
    if (files.isEmpty())
        GTEST_SKIP() << "no template sources yet";
    for (const QString& f : files) {
        SCOPED_TRACE(f.toStdString());
        const Template t = loadTemplateSource(QDir(QStringLiteral(VI23_TEMPLATE_DIR)).filePath(f));
        EXPECT_EQ(t.name + QStringLiteral(".tpl"), f);
        AnyResolver rows;
        const auto cb = [](const QString& name) -> std::optional<Value> {
            // The totals, a document row's printed figures and the act's balances come from the program.
            if (name == u"str5" || name == u"str8" || name == u"str9" || name.startsWith(u"line") ||
                name == u"vatTotalText" || name == u"shipmentRows" || name == u"updStatus" ||
                name == u"soleTraderRegistration" || name == u"vatIncluded" || name == u"vatWord" ||
                name.startsWith(u"cash") || name.startsWith(u"act"))
                return Value(QStringLiteral("12,5"));
            if (name == u"periodYear")   // the books' title page asks the program for the year
                return Value(2024);
            if (name == u"payerInn" || name == u"payerKpp" || name == u"yearLine")   // the current book's
                return Value(7);
            return std::nullopt;
        };
        try {
            const PreparedReport r = prepareReport(t, rows, cb);
            // The current book opens a page for each of its sections II-V.
            EXPECT_EQ(r.pages.size(), t.name == u"frReport_kudir" ? 5u : 1u);
            size_t boxes = 0;
            for (const auto& p : r.pages)
                boxes += p.boxes.size();
            EXPECT_GT(boxes, 0u);
        } catch (const UserError& e) {
            ADD_FAILURE() << e.text().toStdString();
        }
    }
}

TEST(TemplateForms, QuarterlyBookPrintsGroupsInOrder)
{
    const QString path = QDir(QStringLiteral(VI23_TEMPLATE_DIR)).filePath(QStringLiteral("frReport11.tpl"));
    if (!QFile::exists(path))
        GTEST_SKIP() << "no quarterly book source yet";
    const Template t = loadTemplateSource(path);
    MemoryResolver rows;
    // Two operations in each quarter of 2024: income 100 per row, expense 10.
    std::vector<std::vector<Value>> data;
    for (int q = 1; q <= 4; ++q) {
        for (int i = 0; i < 2; ++i) {
            const int ds9 = q <= 3 ? 9 : 0, ds6 = q <= 2 ? 6 : 0;
            data.push_back({Value(2024), Value(q), Value(QDate(2024, q * 3, 10 + i)), Value(i + 1), Value(QStringLiteral("ПП")),
                            Value(QStringLiteral("Оплата")), Value(QStringLiteral("ООО")), Value(100), Value(10),
                            Value(ds9), Value(ds6), Value(ds9 ? 100 : 0), Value(ds9 ? 10 : 0), Value(ds6 ? 100 : 0),
                            Value(ds6 ? 10 : 0), Value(q * 3), Value(1), Value(100), Value(10), Value(100), Value(10)});
        }
    }
    rows.add("frDBDataSet11", "ADOQuery11",
             {"g", "q", "dd", "nn", "dok", "sr", "np", "d", "k", "ds9", "ds6", "d9", "k9", "d6", "k6", "m", "shown", "dq",
              "kq", "dy", "ky"},
             data);
    // The program numbers the rows through the year; any number does here.
    const PreparedReport r = prepareReport(t, rows, [](const QString& name) -> std::optional<Value> {
        if (name == u"yearLine")
            return std::optional<Value>(std::in_place, std::int64_t(1));
        return std::nullopt;
    });
    QStringList totals;
    for (const PreparedPage& p : r.pages) {
        for (const PreparedBox& b : p.boxes) {
            const QString text = b.texts().join(u' ');
            if (text.startsWith(QStringLiteral("Итого за")) || text.startsWith(QStringLiteral("Квартал")))
                totals.push_back(text.simplified());
        }
    }
    // The half-year total after the second quarter only, the nine months after the third, the year
    // after the fourth, each from the start of the year.
    EXPECT_EQ(totals, (QStringList{"Квартал 1", "Итого за 1 квартал:", "Квартал 2", "Итого за 2 квартал:",
                                   "Итого за полугодие", "Квартал 3", "Итого за 3 квартал:", "Итого за 9 месяцев",
                                   "Квартал 4", "Итого за 4 квартал:", "Итого за 2024 год:"}));
    QStringList sums;
    for (const PreparedPage& p : r.pages) {
        for (size_t i = 0; i + 1 < p.boxes.size(); ++i) {
            const QString text = p.boxes[i].texts().join(u' ');
            if (text == u"Итого за полугодие" || text == u"Итого за 9 месяцев" || text == u"Итого за 2024 год:")
                sums.push_back(p.boxes[i + 1].texts().join(u' '));
        }
    }
    EXPECT_EQ(sums, (QStringList{"400,00", "600,00", "800,00"}));
}

} // namespace
} // namespace vi23::test
