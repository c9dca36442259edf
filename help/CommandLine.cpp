#include "CommandLine.h"

#include <QByteArray>
#include <cstdio>
#include <cstring>

namespace vi23::help {

namespace {

void write(std::FILE* stream, const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

QString version()
{
    return QStringLiteral(VI23_VERSION);
}

QString versionText(const ProgramHelp& help)
{
    return QStringLiteral("%1 (Вельмар) %2\n").arg(QString::fromUtf8(help.name), version());
}

QString helpText(const ProgramHelp& help)
{
    return QStringLiteral("%1 — %2\n\n%3\n%4")
        .arg(QString::fromUtf8(help.name), QString::fromUtf8(help.summary), QString::fromUtf8(help.usage),
             QString::fromUtf8(help.details));
}

int answerStandardOptions(int argc, char** argv, const ProgramHelp& help)
{
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            write(stdout, helpText(help));
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            write(stdout, versionText(help));
            return 0;
        }
    }
    return -1;
}

int usageError(const ProgramHelp& help, const QString& mistake)
{
    QString text = mistake.isEmpty() ? QString() : mistake + u'\n';
    text += QString::fromUtf8(help.usage);
    text += QStringLiteral("Подробнее: %1 --help\n").arg(QString::fromUtf8(help.name));
    write(stderr, text);
    return 2;
}

QString takeDatabaseOption(QStringList& arguments, const QString& fallback, QString* mistake)
{
    QString named;
    for (qsizetype i = 0; i < arguments.size();) {
        const QString& argument = arguments[i];
        if (argument.startsWith(u"--db=")) {
            named = argument.mid(5);
            arguments.remove(i);
        } else if (argument == u"--db") {
            if (i + 1 >= arguments.size() || arguments[i + 1].isEmpty()) {
                *mistake = QStringLiteral("После --db укажите файл базы данных или строку подключения к серверу");
                arguments.remove(i);
                return {};
            }
            named = arguments[i + 1];
            arguments.remove(i, 2);
        } else {
            ++i;
        }
    }
    if (!named.isEmpty())
        return named;
    const QString environment = qEnvironmentVariable("VI23_DB");
    return environment.isEmpty() ? fallback : environment;
}

} // namespace vi23::help
