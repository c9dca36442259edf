// Build-time compiler of the template sources: each .tpl becomes its stored stream (with the outer
// wrapper), and an index names each stream's template and default data set, which the stream
// itself does not carry.
#include "reports/TemplateSource.h"
#include "reports/templates/StoredTemplate.h"

#include "data/Error.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdio>

namespace {

void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate) || f.write(bytes) != bytes.size() || !f.flush())
        throw vi23::UserError(QStringLiteral("Не удается записать %1").arg(path));
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: vi23_tplc OUTPUT_DIR SOURCE.tpl...\n");
        return 2;
    }
    const QDir out(args[1]);
    try {
        QByteArray index;
        for (qsizetype i = 2; i < args.size(); ++i) {
            const vi23::Template t = vi23::loadTemplateSource(args[i]);
            if (t.name != QFileInfo(args[i]).completeBaseName())
                throw vi23::UserError(QStringLiteral("%1: шаблон назван %2").arg(args[i], t.name));
            const QByteArray stored = vi23::writeStoredTemplate(t);
            // Refuse to carry a stream that does not read back as its source.
            vi23::StoredTemplateLoad back = vi23::readStoredTemplate(stored, t.name);
            back.tmpl.defaultDataSet = t.defaultDataSet;
            if (!back.ok() || !(back.tmpl == t))
                throw vi23::UserError(QStringLiteral("%1: поток не читается обратно").arg(args[i]));
            writeFile(out.filePath(t.name + QStringLiteral(".tplbin")), stored);
            index += (t.name + u' ' + t.defaultDataSet + u'\n').toUtf8();
        }
        writeFile(out.filePath(QStringLiteral("index.txt")), index);
    } catch (const vi23::UserError& e) {
        std::fprintf(stderr, "vi23_tplc: %s\n", e.text().toUtf8().constData());
        return 1;
    }
    return 0;
}
