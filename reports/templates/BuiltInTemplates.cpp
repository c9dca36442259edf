#include "reports/templates/BuiltInTemplates.h"

#include "data/Error.h"

#include <QFile>

namespace vi23 {

namespace {

QByteArray readResource(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

} // namespace

const Template* BuiltInTemplates::find(const QString& name) const
{
    const auto it = byName_.find(name);
    return it == byName_.end() ? nullptr : &it->second;
}

BuiltInTemplates loadBuiltInTemplates()
{
    const QByteArray index = readResource(QStringLiteral(":/templates/index.txt"));
    if (index.isEmpty())
        throw UserError(QStringLiteral("В программе нет шаблонов печатных форм"));
    BuiltInTemplates result;
    for (const QByteArray& line : index.split('\n')) {
        const QList<QByteArray> parts = line.trimmed().split(' ');
        if (parts.size() != 2)
            continue;
        const QString name = QString::fromUtf8(parts[0]);
        StoredTemplateLoad load = readStoredTemplate(
            readResource(QStringLiteral(":/templates/%1.tplbin").arg(name)), name);
        load.tmpl.defaultDataSet = QString::fromUtf8(parts[1]);
        if (!load.ok())
            result.problems_.push_back({name, *load.message});
        result.names_.push_back(name);
        result.byName_[name] = std::move(load.tmpl);
    }
    return result;
}

} // namespace vi23
