#pragma once
// Output files (PDF, page dumps, CSV, saved reports, spreadsheets) that never replace the open
// database and never leave a partial file behind: the bytes go to a temporary file beside the
// target, every write, the flush to disk and the close are checked, and only a complete file is
// renamed into place with the permissions of a new file of the user's (a replaced file keeps its
// own). Only a plain file or a new name is a target: a device, a pipe or a folder is refused.
#include <QByteArray>
#include <QIODevice>
#include <QString>

namespace vi23 {

// Files no output may replace while they are open: the database (and its journal). They are known
// by device and inode, so another name, a hard link or a symbolic link to them is refused as well.
void protectFile(const QString& path);
void unprotectFile(const QString& path);

// Russian text for a failed file operation on `path`, from the system's error number: no space on
// the disk, no rights, a read-only folder, a missing folder.
QString fileErrorText(int error, const QString& path);
// Why a file could not be read, in words the user can act on (Qt's own text is English).
QString fileReadErrorText(const QString& path);

// Makes the names last changed in the folder (a rename, a new file) last through a power cut.
void syncFolder(const QString& folder);

class SafeOutputFile {
public:
    // Refuses a protected file and anything but a plain file as target and creates the temporary
    // file; throws UserError.
    explicit SafeOutputFile(const QString& target);
    // Removes the temporary file unless commit() succeeded.
    ~SafeOutputFile();
    SafeOutputFile(const SafeOutputFile&) = delete;
    SafeOutputFile& operator=(const SafeOutputFile&) = delete;

    // Open for writing; a failed write is remembered and reported by commit().
    QIODevice& device();
    void write(const QByteArray& bytes);
    // The temporary file's name, for a library that writes a file by its name; commit() then syncs
    // and renames what it wrote.
    const QString& temporaryPath() const { return tempPath_; }
    // Flushes, syncs and closes the temporary file and renames it over the target; throws UserError
    // with the first failure, leaving the target as it was.
    void commit();

private:
    class Device;
    QString target_;     // as the user named it, for messages
    QString finalPath_;  // the file that is replaced (symbolic links followed)
    QString tempPath_;
    int fd_ = -1;
    Device* device_ = nullptr;
    bool committed_ = false;
};

// The whole contents in one go, through SafeOutputFile.
void writeFileSafely(const QString& target, const QByteArray& contents);

} // namespace vi23
