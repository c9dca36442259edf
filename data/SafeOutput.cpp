#include "SafeOutput.h"
#include "Error.h"

#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace vi23 {

namespace {

struct Protected {
    dev_t device;
    ino_t inode;
    QString path;   // canonical, for the journal beside it
};

std::mutex& protectedMutex()
{
    static std::mutex m;
    return m;
}

std::vector<Protected>& protectedFiles()
{
    static std::vector<Protected> files;
    return files;
}

QByteArray native(const QString& path) { return QFile::encodeName(path); }

// The file a write to `target` would replace: symbolic links followed, folders made absolute.
QString resolveTarget(const QString& target)
{
    const QFileInfo info(target);
    if (info.exists())
        return info.canonicalFilePath();
    const QString folder = QFileInfo(info.absolutePath()).canonicalFilePath();
    return folder.isEmpty() ? info.absoluteFilePath() : folder + u'/' + info.fileName();
}

bool isProtected(const QString& finalPath, const struct stat* st)
{
    std::lock_guard lock(protectedMutex());
    for (const Protected& p : protectedFiles()) {
        if (st && st->st_dev == p.device && st->st_ino == p.inode)
            return true;
        for (const char* suffix : {"", "-journal", "-wal", "-shm"}) {
            if (finalPath == p.path + QLatin1String(suffix))
                return true;
        }
    }
    return false;
}

int closeChecked(int fd)
{
    // A close interrupted by a signal has still released the descriptor on Linux.
    return ::close(fd) == 0 || errno == EINTR ? 0 : errno;
}

} // namespace

void protectFile(const QString& path)
{
    struct stat st {};
    const QString canonical = QFileInfo(path).canonicalFilePath();
    if (canonical.isEmpty() || ::stat(native(canonical).constData(), &st) != 0)
        return;
    std::lock_guard lock(protectedMutex());
    protectedFiles().push_back({st.st_dev, st.st_ino, canonical});
}

void unprotectFile(const QString& path)
{
    const QString canonical = QFileInfo(path).canonicalFilePath();
    std::lock_guard lock(protectedMutex());
    auto& files = protectedFiles();
    for (auto it = files.begin(); it != files.end(); ++it) {
        if (it->path == canonical || it->path == path) {
            files.erase(it);
            return;
        }
    }
}

QString fileErrorText(int error, const QString& path)
{
    const QString folder = QFileInfo(path).absolutePath();
    switch (error) {
    case ENOSPC:
    case EDQUOT:
        return QStringLiteral("Нет места на диске: файл %1 не записан. Освободите место и повторите").arg(path);
    case EFBIG:
        return QStringLiteral("Файл %1 превышает допустимый размер и не записан").arg(path);
    case EROFS:
        return QStringLiteral("Папка %1 доступна только для чтения: файл %2 не записан").arg(folder, path);
    case EACCES:
    case EPERM:
        return QStringLiteral("Нет прав на запись в папку %1: файл %2 не записан").arg(folder, path);
    case ENOENT:
    case ENOTDIR:
        return QStringLiteral("Папка %1 не существует: файл %2 не записан").arg(folder, path);
    case EISDIR:
        return QStringLiteral("%1 — это папка, а не файл").arg(path);
    case EIO:
        return QStringLiteral("Ошибка ввода-вывода при записи файла %1; файл не записан").arg(path);
    default:
        return QStringLiteral("Не удается записать файл %1 (код ошибки системы %2)").arg(path).arg(error);
    }
}

QString fileReadErrorText(const QString& path)
{
    const QFileInfo info(path);
    if (!info.exists())
        return QStringLiteral("файла %1 нет. Проверьте путь к файлу").arg(path);
    if (info.isDir())
        return QStringLiteral("%1 — это папка, а не файл. Укажите файл").arg(path);
    if (!info.isReadable())
        return QStringLiteral("нет прав на чтение файла %1. Проверьте права на файл").arg(path);
    return QStringLiteral("ошибка ввода-вывода при чтении файла %1. Проверьте диск и повторите").arg(path);
}

void syncFolder(const QString& folder)
{
    const int fd = ::open(native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// Buffers the bytes and writes them to the descriptor, keeping the first failure's error number.
class SafeOutputFile::Device : public QIODevice {
public:
    explicit Device(int fd) : fd_(fd) { open(QIODevice::WriteOnly | QIODevice::Unbuffered); }
    int error() const { return error_; }

    bool flushBuffer()
    {
        const char* p = buffer_.constData();
        qsizetype left = buffer_.size();
        while (left > 0 && error_ == 0) {
            const ssize_t n = ::write(fd_, p, size_t(left));
            if (n < 0) {
                if (errno != EINTR)
                    error_ = errno;
                continue;
            }
            if (n == 0) {
                error_ = ENOSPC;
                break;
            }
            p += n;
            left -= n;
        }
        buffer_.clear();
        return error_ == 0;
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }
    qint64 writeData(const char* data, qint64 size) override
    {
        if (error_ != 0)
            return -1;
        buffer_.append(data, size);
        if (buffer_.size() >= kChunk && !flushBuffer())
            return -1;
        return size;
    }

private:
    static constexpr qsizetype kChunk = 1 << 16;
    int fd_;
    int error_ = 0;
    QByteArray buffer_;
};

SafeOutputFile::SafeOutputFile(const QString& target) : target_(target), finalPath_(resolveTarget(target))
{
    struct stat st {};
    const bool exists = ::stat(native(finalPath_).constData(), &st) == 0;
    if (isProtected(finalPath_, exists ? &st : nullptr))
        throw UserError(QStringLiteral("%1 — это файл открытой базы данных; он не будет перезаписан. "
                                       "Укажите другое имя файла")
                            .arg(target_));
    if (exists && S_ISDIR(st.st_mode))
        throw UserError(fileErrorText(EISDIR, target_));
    // A device or a pipe would be replaced by a file or take a part of it: neither is an output.
    if (exists && !S_ISREG(st.st_mode))
        throw UserError(QStringLiteral("%1 — не обычный файл (устройство или канал); укажите имя файла").arg(target_));
    const QString folder = QFileInfo(finalPath_).absolutePath();
    const QString base = QFileInfo(finalPath_).fileName();
    for (int attempt = 0; fd_ < 0; ++attempt) {
        tempPath_ = QStringLiteral("%1/.%2.%3.tmp").arg(folder, base).arg(QRandomGenerator::global()->generate(), 8, 16, QChar(u'0'));
        fd_ = ::open(native(tempPath_).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd_ < 0 && (errno != EEXIST || attempt > 100)) {
            const int error = errno;
            tempPath_.clear();
            throw UserError(fileErrorText(error, target_));
        }
    }
    // A replaced file keeps its permissions.
    if (exists)
        ::fchmod(fd_, st.st_mode & 07777);
    device_ = new Device(fd_);
}

SafeOutputFile::~SafeOutputFile()
{
    delete device_;
    if (fd_ >= 0)
        ::close(fd_);
    if (!committed_)
        ::unlink(native(tempPath_).constData());
}

QIODevice& SafeOutputFile::device()
{
    return *device_;
}

void SafeOutputFile::write(const QByteArray& bytes)
{
    device_->write(bytes);
    if (device_->error() != 0)
        throw UserError(fileErrorText(device_->error(), target_));
}

void SafeOutputFile::commit()
{
    int error = device_->flushBuffer() ? 0 : device_->error();
    // The data reaches the disk before the new name does; a library may have written the file by its
    // name, so it is synced through the name.
    const int written = error == 0 ? ::open(native(tempPath_).constData(), O_RDONLY | O_CLOEXEC) : -1;
    if (error == 0 && (written < 0 || ::fsync(written) != 0))
        error = errno;
    if (written >= 0)
        ::close(written);
    const int closeError = closeChecked(fd_);
    fd_ = -1;
    if (error == 0)
        error = closeError;
    if (error == 0 && ::rename(native(tempPath_).constData(), native(finalPath_).constData()) != 0)
        error = errno;
    if (error != 0)
        throw UserError(fileErrorText(error, target_));
    committed_ = true;
    syncFolder(QFileInfo(finalPath_).absolutePath());
}

void writeFileSafely(const QString& target, const QByteArray& contents)
{
    SafeOutputFile file(target);
    file.write(contents);
    file.commit();
}

} // namespace vi23
