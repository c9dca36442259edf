// The twenty-one printed forms: their sources read, stored and read back exactly; the reader
// survives every cut and random damage of their streams.
#include "reports/TemplateSource.h"
#include "reports/templates/SourceWriter.h"
#include "reports/templates/StoredTemplate.h"

#include "data/Error.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <random>
#include <string_view>

namespace vi23 {
namespace {

struct Form {
    const char* name;
    const char* dataSet;
    bool landscape;
    int bands;
    int memos;
    int variables;   // entries of the stored variables list
};

// Objects per form as the printed forms list them.
const Form kForms[] = {
    {"frReport_sh", "frDBDataSet_bl", false, 5, 49, 1},
    {"frReport_akt", "frDBDataSet_bl", false, 4, 40, 1},
    {"frReport_chek", "frDBDataSet_bl", false, 4, 26, 1},
    {"frReport_z", "frDBDataSet_bl", false, 4, 35, 1},
    {"frReport_zh", "frDBDataSet_bl", false, 4, 35, 1},
    {"frReport_nz", "frDBDataSet_bl", false, 4, 33, 1},
    {"frReport_sf", "frDBDataSet_bl", true, 5, 89, 1},
    {"frReport_tn", "frDBDataSet_bl", true, 4, 97, 1},
    {"frReportpr", "frDBDataSet_bl", false, 0, 58, 1},
    {"frReport11", "frDBDataSet11", false, 13, 47, 0},
    {"frReport10", "frDBDataSet11", false, 15, 50, 0},
    {"frReport_bank", "frDBDataSet_bank", false, 10, 38, 0},
    {"frReport_kassa", "frDBDataSet_kassa", false, 10, 37, 0},
    {"frReport2", "frDBDataSets", false, 6, 28, 0},
    {"frReportss", "frDBDataSetss", false, 6, 27, 0},
    {"frRepor_t", "frDBDataSet11", false, 0, 32, 0},
    {"frReport_kas", "frDBDataSet_kas", false, 6, 31, 0},
    {"frReport_kudir", "frDBDataSet11", false, 17, 127, 0},
    {"frRepor_t26", "frDBDataSet11", false, 0, 24, 0},
    {"frReport_sf26", "frDBDataSet_bl", true, 5, 114, 1},
    {"frReport_upd", "frDBDataSet_bl", true, 4, 166, 1},
};

Template loadForm(const char* name)
{
    return loadTemplateSource(QStringLiteral(VI23_TEMPLATE_DIR "/%1.tpl").arg(QLatin1String(name)));
}

// The stream does not carry the template's default data set; the caller knows it by name.
Template readBack(const QByteArray& stored, const Template& source)
{
    StoredTemplateLoad r = readStoredTemplate(stored, source.name);
    if (!r.ok())
        throw UserError(r.message->text);
    r.tmpl.defaultDataSet = source.defaultDataSet;
    return r.tmpl;
}

TEST(TemplateSources, EveryFormHasItsPageBandsObjectsAndVariables)
{
    for (const Form& f : kForms) {
        SCOPED_TRACE(f.name);
        const Template t = loadForm(f.name);
        EXPECT_EQ(t.name, QLatin1String(f.name));
        EXPECT_EQ(t.defaultDataSet, QLatin1String(f.dataSet));
        EXPECT_EQ(t.page().orientation, f.landscape ? Orientation::Landscape : Orientation::Portrait);
        EXPECT_EQ(t.page().width, f.landscape ? 2970 : 2100);
        EXPECT_EQ(t.page().paperSize, 9);
        EXPECT_EQ(int(t.bands.size()), f.bands);
        EXPECT_EQ(int(t.memos.size()), f.memos);
        ASSERT_TRUE(t.variables.has_value());
        EXPECT_EQ(int(t.variables->entries.size()), f.variables);
        for (const Band& b : t.bands)
            EXPECT_EQ(b.flags, b.kind == BandKind::MasterHeader && f.name == std::string_view("frReport_kudir") ? 0x70 : 0x30)
                << b.name.toStdString();
    }
}

TEST(TemplateSources, EverySourceSurvivesStreamAndBackExactly)
{
    for (const Form& f : kForms) {
        SCOPED_TRACE(f.name);
        const Template source = loadForm(f.name);
        const QByteArray stored = writeStoredTemplate(source);
        const Template back = readBack(stored, source);
        EXPECT_EQ(back, source);
        EXPECT_EQ(writeStoredTemplate(back), stored);
    }
}

// A stored stream written out as a source compiles to the very same bytes.
TEST(TemplateSources, StreamToSourceToStreamIsByteIdentical)
{
    for (const Form& f : kForms) {
        SCOPED_TRACE(f.name);
        const Template source = loadForm(f.name);
        const QByteArray stored = writeStoredTemplate(source);
        const QString text = writeTemplateSource(readBack(stored, source));
        const Template again = parseTemplateSource(text, QString::fromLatin1(f.name) + QStringLiteral(".tpl"));
        EXPECT_EQ(again, source);
        EXPECT_EQ(writeStoredTemplate(again), stored);
        EXPECT_EQ(writeTemplateSource(again), text);
    }
}

TEST(TemplateSources, SourceWriterRefusesWhatTheNotationCannotHold)
{
    struct Case {
        const char* what;
        void (*spoil)(Template&);
    };
    const Case cases[] = {
        {"a highlight condition", [](Template& t) { t.memos[0].highlight.condition = QStringLiteral("[x] > 0"); }},
        {"a red frame", [](Template& t) { t.memos[0].frameColor = colorFromRgb(255, 0, 0); }},
        {"a hidden memo", [](Template& t) { t.memos[0].visible = false; }},
        {"a line object", [](Template& t) { t.lines.push_back(LineObject{}); }},
        {"a second page", [](Template& t) { t.pages.push_back(PageDescription{}); }},
        {"a band that grows", [](Template& t) { t.bands[0].flags |= bandflag::Stretch; }},
        {"a memo named otherwise", [](Template& t) { t.memos[0].name = QStringLiteral("Title"); }},
        {"a line break inside a line", [](Template& t) { t.memos[0].lines = QStringList{QStringLiteral("a\nb")}; }},
        {"memos out of band order",
         [](Template& t) {
             std::swap(t.memos.front(), t.memos.back());
             std::swap(t.memos.front().name, t.memos.back().name);
         }},
    };
    for (const Case& c : cases) {
        Template t = loadForm("frReport_sh");
        c.spoil(t);
        EXPECT_THROW(writeTemplateSource(t), UserError) << c.what;
    }
}

// Texts the forms print as they are, including the fixed misspellings, tabs and odd spacing.
TEST(TemplateSources, TextsAreKeptExactly)
{
    struct Case {
        const char* form;
        QStringList lines;
    };
    const Case cases[] = {
        {"frReportpr", {QStringLiteral("Оплата счета № [ADOQuery_bl.\"n\"] от [ADOQuery_bl.\"dd\"] года")}},
        {"frReportpr", {QStringLiteral("ПРИХОДНЫЙ КАССОВЫЙ ОРДЕР  \t\t\t\t\t")}},
        {"frReportpr", {QStringLiteral("\"Утверждена постановлением Госкомстата")}},
        {"frReportpr", {QStringLiteral("Главный бухгалтер _______________________ [ADOQuery_bl.\"fb\"]"),
                        QStringLiteral(" ")}},
        {"frReport_sf",
         {QStringLiteral("Приложение №1 к  постановлению  Правительства РФ от 26 декабря 2011 г. № 1137")}},
        {"frReport_sf", {QStringLiteral("Стоимость товаров"), QStringLiteral(" (работ, услуг), "),
                         QStringLiteral("имущественных прав, всего "), QStringLiteral("с учетом налога"),
                         QString()}},
        {"frReport11", {QStringLiteral("030 Сумма разницы между суммой уплаченного минимального налога и суммой "
                                       "исчисленного в общем порядке налога за предыдущий налоговый период"),
                        QString()}},
        {"frReport_tn", {QStringLiteral("x")}},
        {"frReport_tn", {QStringLiteral("По доверенности №____ от  \"    \"_______  20__ года, выданной "
                                        "[ADOQuery_bl.\"z\"]")}},
        {"frReport_kassa", {QStringLiteral("Квартал [ADOQuery_kassa.\"q\"]")}},
        {"frReportss", {QStringLiteral("Книга  расчетов с плательщиками-получателями")}},
        {"frReport_zh", {QStringLiteral("Наименование, шифр, номер ")}},
        {"frReport_nz", {QStringLiteral("Итого к оплате по заказ-наряду на работы: [str5]")}},
    };
    for (const Case& c : cases) {
        const Template t = loadForm(c.form);
        int found = 0;
        for (const MemoObject& m : t.memos)
            found += m.lines == c.lines;
        EXPECT_GE(found, 1) << c.form << ": " << c.lines.join(u'|').toStdString();
    }
    struct Absent {
        const char* form;
        const char* text;
    };
    const Absent absent[] = {
        {"frReportpr", "гола"}, {"frReport_sf", "постановлениюм"}, {"frReport11", "предидущий"},
        {"frReport_kassa", "ADOQuery_bank"}, {"frReport_kassa", "Книга доходов и расходов"},
        {"frReportss", "ADOQuerys."}, {"frReport_zh", "Итого к оплате по заказу"},
    };
    for (const Absent& a : absent) {
        const Template t = loadForm(a.form);
        for (const MemoObject& m : t.memos)
            EXPECT_FALSE(m.lines.join(u'\n').contains(QString::fromUtf8(a.text))) << a.form << " " << a.text;
    }
}

TEST(TemplateSources, BandsCarryTheirDataSetsAndGroupConditions)
{
    struct Case {
        const char* form;
        const char* band;
        BandKind kind;
        int top;
        int height;
        const char* formatText;
        const char* rowCondition = "";   // master data: the condition a printed row meets
        bool repeats = false;
    };
    const Case cases[] = {
        {"frReport_sh", "MasterHeader1", BandKind::MasterHeader, 450, 11, ""},
        {"frReport_sf", "ReportTitle1", BandKind::ReportTitle, -15, 364, ""},
        {"frReport_zh", "ReportTitle1", BandKind::ReportTitle, -8, 254, ""},
        {"frReport_nz", "ReportTitle1", BandKind::ReportTitle, -8, 250, ""},
        {"frReport_zh", "MasterData1", BandKind::MasterData, 360, 32, "frDBDataSet_bl"},
        {"frReport10", "MasterData1", BandKind::MasterData, 360, 25, "[Нет]", "[ADOQuery11.\"shown\"]"},
        {"frReport_kudir", "MasterData1", BandKind::MasterData, 388, 18, "frDBDataSet11", "[ADOQuery11.\"shown\"]"},
        {"frReport_kudir", "MasterHeader1", BandKind::MasterHeader, 60, 98, "", "", true},
        {"frReport11", "GroupHeader3", BandKind::GroupHeader, 220, 18, "[ADOQuery11.\"ds9\"]"},
        {"frReport11", "GroupHeader4", BandKind::GroupHeader, 260, 18, "[ADOQuery11.\"ds6\"]"},
        {"frReport11", "GroupHeader1", BandKind::GroupHeader, 180, 18, "[ADOQuery11.\"g\"]"},
        {"frReport11", "ReportSummary1", BandKind::ReportSummary, 732, 208, ""},
        {"frReport_kassa", "MasterData1", BandKind::MasterData, 272, 20, "frDBDataSet_kassa"},
        {"frReport_kassa", "GroupHeader2", BandKind::GroupHeader, 168, 20, "[ADOQuery_kassa.\"q\"]"},
        {"frReportss", "GroupHeader3", BandKind::GroupHeader, 136, 24, "[ADOQueryss.\"k\"]"},
        {"frReportss", "MasterData1", BandKind::MasterData, 164, 20, "frDBDataSetss"},
        {"frReport_kas", "GroupHeader1", BandKind::GroupHeader, 196, 28, "[ADOTable_kassa.\"dd\"]"},
    };
    for (const Case& c : cases) {
        const Template t = loadForm(c.form);
        const auto it = std::find_if(t.bands.begin(), t.bands.end(),
                                     [&](const Band& b) { return b.name == QLatin1String(c.band); });
        ASSERT_NE(it, t.bands.end()) << c.form << " " << c.band;
        EXPECT_EQ(it->kind, c.kind) << c.form << " " << c.band;
        EXPECT_EQ(it->y, c.top) << c.form << " " << c.band;
        EXPECT_EQ(it->height, c.height) << c.form << " " << c.band;
        EXPECT_EQ(it->formatText, QString::fromUtf8(c.formatText)) << c.form << " " << c.band;
        EXPECT_EQ(it->rowCondition(), QString::fromUtf8(c.rowCondition)) << c.form << " " << c.band;
        EXPECT_EQ(it->repeatsOnEveryPage(), c.repeats) << c.form << " " << c.band;
    }
}

// Cutting a stream anywhere never crashes or reads past the end. With the wrapper every cut is
// a damaged stream; without it a cut at a record boundary is a shorter valid stream, which must
// then be exactly what the writer gives for what was read.
TEST(TemplateSources, StreamsCutAtEveryLength)
{
    for (const Form& f : kForms) {
        SCOPED_TRACE(f.name);
        const Template source = loadForm(f.name);
        const QByteArray stored = writeStoredTemplate(source);
        const QByteArray stream = writeTemplateStream(source);
        int validPrefixes = 0;
        for (qsizetype n = 0; n < stream.size(); ++n) {
            const StoredTemplateLoad wrapped = readStoredTemplate(stored.left(8 + n), source.name);
            ASSERT_FALSE(wrapped.ok()) << n;
            ASSERT_EQ(wrapped.message->text, kBadFormatText) << n;
            ASSERT_EQ(wrapped.tmpl.pages.size(), 1u) << n;

            const QByteArray cut = stream.left(n);
            const StoredTemplateLoad r = readTemplateStream(cut, source.name);
            if (r.ok()) {
                ++validPrefixes;
                ASSERT_EQ(writeTemplateStream(r.tmpl), cut) << n;
            } else {
                ASSERT_EQ(r.message->text, kBadFormatText) << n;
                ASSERT_EQ(r.tmpl.pages.size(), 1u) << n;
                ASSERT_TRUE(r.tmpl.memos.empty() && r.tmpl.bands.empty()) << n;
            }
        }
        // Valid cuts: after the header, the page, each band and memo (the full stream is not cut).
        EXPECT_EQ(validPrefixes, 2 + f.bands + f.memos);
    }
}

// A damaged stream is refused with the load error, or what the reader makes of it the writer takes and
// the reader reads back the same; `accepted` and `refused` count the two.
testing::AssertionResult refusedOrReadBackWhole(const QByteArray& stream, const QString& name, int& accepted,
                                                int& refused)
{
    const StoredTemplateLoad r = readTemplateStream(stream, name);
    if (!r.ok()) {
        ++refused;
        if (r.message->caption != kLoadErrorCaption)
            return testing::AssertionFailure() << "refused with " << r.message->caption.toStdString();
        return testing::AssertionSuccess();
    }
    ++accepted;
    QByteArray again;
    try {
        again = writeTemplateStream(r.tmpl);
    } catch (const UserError& e) {
        return testing::AssertionFailure() << "read, but the writer refuses it: " << e.text().toStdString();
    }
    const StoredTemplateLoad back = readTemplateStream(again, name);
    if (!back.ok() || !(back.tmpl == r.tmpl))
        return testing::AssertionFailure() << "read back otherwise";
    return testing::AssertionSuccess();
}

// Bounded random damage of every form's stream: the reader returns a template or a message,
// and whatever it returns can be written and reads back the same.
TEST(TemplateSources, RandomlyDamagedStreamsAreReadSafely)
{
    std::mt19937 rng(20240523u);
    int accepted = 0, refused = 0;
    for (const Form& f : kForms) {
        const Template source = loadForm(f.name);
        const QByteArray stream = writeTemplateStream(source);
        for (int round = 0; round < 300; ++round) {
            QByteArray s = stream;
            const int edits = 1 + int(rng() % 6);
            for (int e = 0; e < edits && !s.isEmpty(); ++e) {
                const qsizetype at = qsizetype(rng() % std::uint32_t(s.size()));
                switch (rng() % 5) {
                case 0: s[at] = char(rng()); break;
                case 1: s[at] = char(s[at] ^ (1 << (rng() % 8))); break;
                case 2: s.remove(at, 1 + qsizetype(rng() % 8)); break;
                case 3: s.insert(at, char(rng())); break;
                case 4: {
                    // A large length or count where a small one stood.
                    const char big[] = {char(0xFF), char(0xFF), char(0xFF), char(0x7F)};
                    for (int k = 0; k < 4 && at + k < s.size(); ++k)
                        s[at + k] = big[k];
                    break;
                }
                }
            }
            ASSERT_TRUE(refusedOrReadBackWhole(s, source.name, accepted, refused));
        }
    }
    // Both outcomes occur, so the damage reaches the structure and the texts alike.
    EXPECT_GT(accepted, 0);
    EXPECT_GT(refused, 0);
}

// Every field of the writer's own streams set to the values that break readers (zero, all ones, the
// high bit, one more): the reader refuses the stream, or what it reads the writer takes and the
// reader reads back the same. Fields are taken one, two and four bytes wide at every offset of the
// header, the page and the bands, then at every seventh offset of the objects, to bound the time.
TEST(TemplateSources, WritersStreamsMutatedFieldByFieldAreRefusedOrReadBackWhole)
{
    int accepted = 0, refused = 0;
    for (const char* name : {"frReport_kas"}) {
        const Template source = loadForm(name);
        const QByteArray stream = writeTemplateStream(source);
        for (qsizetype at = 0; at < stream.size(); at += at < 800 ? 1 : 7) {
            for (const int width : {1, 2, 4}) {
                if (at + width > stream.size())
                    continue;
                const std::uint32_t original = [&] {
                    std::uint32_t v = 0;
                    for (int k = 0; k < width; ++k)
                        v |= std::uint32_t(std::uint8_t(stream[at + k])) << (8 * k);
                    return v;
                }();
                const std::uint32_t ones = width == 4 ? 0xFFFFFFFFu : (1u << (8 * width)) - 1;
                for (const std::uint32_t value : {0u, ones, (ones >> 1) + 1, (original + 1) & ones}) {
                    if (value == original)
                        continue;
                    QByteArray s = stream;
                    for (int k = 0; k < width; ++k)
                        s[at + k] = char((value >> (8 * k)) & 0xFF);
                    ASSERT_TRUE(refusedOrReadBackWhole(s, source.name, accepted, refused))
                        << name << " offset " << at << " width " << width << " value " << value;
                }
            }
        }
    }
    EXPECT_GT(accepted, 0);
    EXPECT_GT(refused, 0);
}

TEST(TemplateSources, RandomBytesAreRefusedSafely)
{
    std::mt19937 rng(7u);
    for (int round = 0; round < 2000; ++round) {
        QByteArray s(qsizetype(rng() % 300), Qt::Uninitialized);
        for (char& c : s)
            c = char(rng());
        if (!s.isEmpty() && round % 2 == 0)
            s[0] = char(23);  // get past the version byte
        const StoredTemplateLoad r = readStoredTemplate(s);
        ASSERT_FALSE(r.ok());
        const StoredTemplateLoad inner = readTemplateStream(s);
        if (!inner.ok()) {
            ASSERT_EQ(inner.message->caption, kLoadErrorCaption);
        }
    }
}

} // namespace
} // namespace vi23
