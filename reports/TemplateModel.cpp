#include "reports/TemplateModel.h"

namespace vi23 {

PageGeometry pageGeometry(const PageDescription& page)
{
    PageGeometry g;
    g.width = tenthsMmToUnitsX(page.width);
    g.height = tenthsMmToUnitsY(page.height);
    // The reference printer can print everything but its offset on each side.
    const int printableWidth = g.width - 2 * kPrinterOffset;
    const int printableHeight = g.height - 2 * kPrinterOffset;
    const bool use = page.useMargins;
    g.left = use && page.marginLeft != 0 ? page.marginLeft : kPrinterOffset;
    g.top = use && page.marginTop != 0 ? page.marginTop : kPrinterOffset;
    g.right = use && page.marginRight != 0 ? g.width - page.marginRight : kPrinterOffset + printableWidth;
    g.bottom = use && page.marginBottom != 0 ? g.height - page.marginBottom : kPrinterOffset + printableHeight;
    return g;
}

QString bandKindName(BandKind kind)
{
    static const char* const names[kBandKindCount] = {
        "Заголовок отчета", "Итог отчета", "Верх страницы", "Низ страницы", "Заголовок данных",
        "Данные", "Итог данных", "Заголовок подчиненных данных", "Подчиненные данные",
        "Итог подчиненных данных", "Заголовок данных третьего уровня", "Данные третьего уровня",
        "Итог данных третьего уровня", "Фон страницы", "Заголовок колонки", "Итог колонки",
        "Заголовок группы", "Итог группы", "Заголовок перекрестной таблицы", "Данные перекрестной таблицы",
        "Итог перекрестной таблицы", "",
    };
    const int k = int(kind);
    return k >= 0 && k < kBandKindCount ? QString::fromUtf8(names[k]) : QString();
}

QString frameSidesCode(int sides)
{
    QString s;
    if (sides & frame::Left)
        s += u'L';
    if (sides & frame::Top)
        s += u'T';
    if (sides & frame::Right)
        s += u'R';
    if (sides & frame::Bottom)
        s += u'B';
    return s.isEmpty() ? QStringLiteral("-") : s;
}

QString fontFamilyCode(const QString& name)
{
    if (name == u"Arial")
        return QStringLiteral("A");
    if (name == u"Arial Narrow")
        return QStringLiteral("AN");
    if (name == u"Arial Baltic")
        return QStringLiteral("AB");
    return {};
}

QString fontStyleCode(int style)
{
    QString s;
    if (style & fontstyle::Bold)
        s += u'b';
    if (style & fontstyle::Italic)
        s += u'i';
    if (style & fontstyle::Underline)
        s += u'u';
    if (style & fontstyle::StrikeOut)
        s += u's';
    return s;
}

} // namespace vi23
