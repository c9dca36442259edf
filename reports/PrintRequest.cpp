#include "reports/PrintRequest.h"

namespace vi23 {

PreparedReport preparePrint(const Template& form, RowSourceResolver& rows, const PrintRequest& request)
{
    PreparedReport pages = prepareReport(form, rows, request.values, {}, request.runs);
    if (request.finish)
        request.finish(pages);
    return pages;
}

QString reportFileName(QString words)
{
    for (QChar& c : words) {
        if (QStringView(u"/\\:*?\"<>|").contains(c))
            c = u'_';
    }
    return words + QStringLiteral(".pdf");
}

} // namespace vi23
