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

} // namespace vi23::help
