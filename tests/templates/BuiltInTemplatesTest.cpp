// The forms the program carries: all twenty-one are found by name and equal their sources.
#include "reports/TemplateSource.h"
#include "reports/templates/BuiltInTemplates.h"

#include <gtest/gtest.h>

namespace vi23 {
namespace {

TEST(BuiltInTemplates, AllTwentyThreeLoadAndAreFoundByName)
{
    const QStringList expected = {
        QStringLiteral("frReport_sh"),   QStringLiteral("frReport_akt"),  QStringLiteral("frReport_chek"),
        QStringLiteral("frReport_z"),    QStringLiteral("frReport_zh"),   QStringLiteral("frReport_nz"),
        QStringLiteral("frReport_sf"),   QStringLiteral("frReport_tn"),   QStringLiteral("frReportpr"),
        QStringLiteral("frReport11"),    QStringLiteral("frReport10"),    QStringLiteral("frReport_bank"),
        QStringLiteral("frReport_kassa"), QStringLiteral("frReport2"),    QStringLiteral("frReportss"),
        QStringLiteral("frRepor_t"),     QStringLiteral("frReport_kas"),  QStringLiteral("frReport_kudir"),
        QStringLiteral("frRepor_t26"),   QStringLiteral("frReport_sf26"), QStringLiteral("frReport_upd"),
        QStringLiteral("frReport_rko"),  QStringLiteral("frReport_sverka"),
    };
    const BuiltInTemplates forms = loadBuiltInTemplates();
    EXPECT_EQ(forms.names(), expected);
    EXPECT_TRUE(forms.problems().empty());
    for (const QString& name : expected) {
        SCOPED_TRACE(name.toStdString());
        const Template* t = forms.find(name);
        ASSERT_NE(t, nullptr);
        EXPECT_EQ(t->name, name);
        // The carried stream is the current source, default data set included.
        EXPECT_EQ(*t, loadTemplateSource(QStringLiteral(VI23_TEMPLATE_DIR "/%1.tpl").arg(name)));
    }
    EXPECT_EQ(forms.find(QStringLiteral("frReport")), nullptr);
    EXPECT_EQ(forms.find(QStringLiteral("frreport_sh")), nullptr);
}

} // namespace
} // namespace vi23
