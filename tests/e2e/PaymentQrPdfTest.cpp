// The invoice's payment code read back from its PDF page by a QR reader, and no code without a БИК.
#include "PrintFixture.h"

#include "tests/ToolRun.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

namespace vi23::e2e {
namespace {

using ::vi23::test::Outcome;
using ::vi23::test::run;

// The QR codes zbarimg reads on the first page of the PDF, one per line.
QStringList codesOnPage(const QString& pdf, const QString& dir)
{
    const QString pdftoppm = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    const QString zbarimg = QStandardPaths::findExecutable(QStringLiteral("zbarimg"));
    if (pdftoppm.isEmpty() || zbarimg.isEmpty()) {
        ADD_FAILURE() << "pdftoppm (poppler-utils) and zbarimg (zbar-tools) are needed";
        return {};
    }
    const Outcome picture = run(pdftoppm, {QStringLiteral("-r"), QStringLiteral("150"), QStringLiteral("-f"),
                                           QStringLiteral("1"), QStringLiteral("-l"), QStringLiteral("1"),
                                           QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf,
                                           QStringLiteral("page")},
                                dir);
    EXPECT_EQ(picture.exitCode, 0) << picture.err.toStdString();
    const Outcome read = run(zbarimg, {QStringLiteral("--quiet"), QStringLiteral("--raw"), QStringLiteral("-Sdisable"),
                                       QStringLiteral("-Sqrcode.enable"), QStringLiteral("page.png")},
                             dir);
    // zbarimg ends with 4 when the picture holds no code.
    EXPECT_TRUE(read.exitCode == 0 || read.exitCode == 4) << read.err.toStdString();
    QStringList codes = read.out.split(u'\n', Qt::SkipEmptyParts);
    return codes;
}

TEST(PaymentQrPdf, InvoicePdfCarriesThePaymentCodeAndNoneWithoutBic)
{
    PrintFixture fixture;
    fixture.fillReferenceLists();
    const long long key = fixture.addDocument(QStringLiteral("Счет"));
    const QString dir = QFileInfo(fixture.path()).absolutePath();
    const auto printPdf = [&] {
        const Outcome r = run(QStringLiteral(VI23_PRINT_EXE),
                              {QStringLiteral("document"), QString::number(key), QStringLiteral("--pdf"),
                               QStringLiteral("invoice.pdf")},
                              dir);
        EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
        return codesOnPage(QDir(dir).filePath(QStringLiteral("invoice.pdf")), dir);
    };
    // 3 × 10,15 at 18 %, 2 × 25 at 0 %, 1,5 × 1000 at 20 %: 1580,45 and VAT 5,48 + 300,00.
    EXPECT_EQ(printPdf(), QStringList{QStringLiteral(
                  "ST00012|Name=ООО «Север»|PersonalAcc=40702810000000000077|BankName=ПАО Тверьбанк|BIC=042800001|"
                  "CorrespAcc=30101810000000000001|Sum=188593|Purpose=Оплата по счету № 15 от 05.11.2024, в т.ч. НДС "
                  "305,48 руб.|PayeeINN=6950000001|KPP=695001001")});

    DataSet& pr1 = fixture.store().dataSet(u"ADOTable_pr1");
    pr1.first();
    pr1.edit();
    pr1.setText(u"buk", QString());
    pr1.post();
    EXPECT_EQ(printPdf(), QStringList());
}

} // namespace
} // namespace vi23::e2e
