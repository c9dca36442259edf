#pragma once
// The old-format sample file, copied into a folder of the test's own, whole or with bytes changed.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

inline void PrintTo(const QString& s, std::ostream* os)
{
    *os << '"' << s.toStdString() << '"';
}

namespace vi23::jet::test {

inline QByteArray fixtureBytes()
{
    QFile file(QStringLiteral(VI23_JET_FIXTURE));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << "missing " VI23_JET_FIXTURE;
    return file.readAll();
}

// Replaces the first occurrence of a byte pattern; fails the test when the file lacks it.
inline void replaceFirst(QByteArray& bytes, const QByteArray& pattern, const QByteArray& replacement)
{
    const qsizetype at = bytes.indexOf(pattern);
    ASSERT_GE(at, 0) << "pattern not in the sample file";
    bytes.replace(at, replacement.size(), replacement);
}

class OldFile {
public:
    explicit OldFile(const QString& name = QStringLiteral("old.mdb"),
                     const std::function<void(QByteArray&)>& change = {})
        : path_(dir_.filePath(name))
    {
        bytes_ = fixtureBytes();
        if (change)
            change(bytes_);
        QFile file(path_);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes_);
    }

    const QString& path() const { return path_; }
    QString dir() const { return dir_.path(); }
    QString file(const QString& name) const { return dir_.filePath(name); }
    const QByteArray& bytes() const { return bytes_; }
    QStringList entries() const { return QDir(dir_.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name); }
    // The file as written, byte for byte: the importer only ever reads it.
    bool unchanged() const
    {
        QFile file(path_);
        return file.open(QIODevice::ReadOnly) && file.readAll() == bytes_;
    }

private:
    QTemporaryDir dir_;
    QString path_;
    QByteArray bytes_;
};

} // namespace vi23::jet::test
