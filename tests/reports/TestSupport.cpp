#include "TestSupport.h"

#include "data/Error.h"

#include <QApplication>
#include <gtest/gtest.h>

namespace vi23::test {

namespace {

// Fonts need a GUI application; one for the whole test run.
class GuiEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!QApplication::instance()) {
            static int argc = 1;
            static char name[] = "reports_tests";
            static char* argv[] = {name, nullptr};
            app_ = std::make_unique<QApplication>(argc, argv);
        }
    }
    void TearDown() override { app_.reset(); }

private:
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] const auto* const kEnvironment = ::testing::AddGlobalTestEnvironment(new GuiEnvironment);

} // namespace

Value MemoryRows::fieldValue(QStringView f) const
{
    const qsizetype i = fields_.indexOf(f.toString());
    if (i < 0)
        throw UserError(QStringLiteral("%1: нет поля «%2»").arg(name_, f.toString()));
    if (pos_ < 0 || rows_.empty())
        return Value();
    return rows_[size_t(pos_)][size_t(i)];
}

MemoryRows& MemoryResolver::add(const QString& link, QString name, QStringList fields,
                                std::vector<std::vector<Value>> rows)
{
    sources_.push_back(std::make_unique<MemoryRows>(std::move(name), std::move(fields), std::move(rows)));
    byLink_[link] = sources_.back().get();
    return *sources_.back();
}

RowSource* MemoryResolver::findByLink(QStringView link)
{
    const auto it = byLink_.find(link.toString());
    return it == byLink_.end() ? nullptr : it->second;
}

RowSource* MemoryResolver::findByName(QStringView name)
{
    for (auto& s : sources_) {
        if (s->name() == name)
            return s.get();
    }
    return nullptr;
}

Template tpl(const QString& body)
{
    QString text = body;
    if (!text.contains(QStringLiteral("template ")))
        text.prepend(QStringLiteral("template frTest\ndataset frDBDataSet_t\n"
                                    "page paper=9 width=2100 height=2970 orientation=portrait margins=0,0,0,0\n"
                                    "variables none\n"));
    return parseTemplateSource(text, QStringLiteral("frTest.tpl"));
}

QString dump(const PreparedReport& r)
{
    return dumpPreparedReport(r);
}

QStringList pageTexts(const PreparedReport& r, int page)
{
    QStringList out;
    for (const PreparedBox& b : r.pages.at(size_t(page - 1)).boxes) {
        for (const PreparedLine& l : b.lines)
            out.push_back(QStringLiteral("%1 %2: %3").arg(l.x).arg(l.y).arg(l.text));
    }
    return out;
}

QStringList boxTexts(const PreparedReport& r, int page)
{
    QStringList out;
    for (const PreparedBox& b : r.pages.at(size_t(page - 1)).boxes)
        out.push_back(b.texts().join(QStringLiteral(" ⏎ ")));
    return out;
}

} // namespace vi23::test
