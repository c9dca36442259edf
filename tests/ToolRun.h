#pragma once
// Runs a command-line companion in a folder, offscreen, and gives back its exit code and output.
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>
#include <gtest/gtest.h>
#include <map>

namespace vi23::test {

struct Outcome {
    int exitCode = -1;
    QString out;
    QString err;
};

inline Outcome run(const QString& program, const QStringList& args, const QString& dir,
                   const std::map<QString, QString>& env = {})
{
    QProcess p;
    p.setWorkingDirectory(dir);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    for (const auto& [name, value] : env)
        environment.insert(name, value);
    p.setProcessEnvironment(environment);
    p.start(program, args);
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
        ADD_FAILURE() << program.toStdString() << " did not finish";
        return {};
    }
    Outcome r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

} // namespace vi23::test
