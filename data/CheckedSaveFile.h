#pragma once

// Writing a file so that a failure is never reported as success: the bytes go to a temporary
// file beside the target, every write(2), the fsync and the rename are checked, and only a
// complete, synced file replaces the target. QSaveFile is not enough on Qt 6.4: its commit()
// returns true when its last buffered flush failed (a full disk), leaving an empty file.

#include <QIODevice>
#include <QString>

#include <stdexcept>

namespace files {

// A failed file operation. It carries the file, the system's error number and the system's own
// text, so the message can be shown, logged or translated with its reason.
class FileError : public std::runtime_error
{
public:
    FileError(const QString &action, const QString &path, int code, const QString &systemText);
    QString action() const { return m_action; }
    QString path() const { return m_path; }
    int code() const { return m_code; } // errno, 0 when the failure was not the system's
    QString systemText() const { return m_systemText; }
    // In Chinese: "无法<action> <path>：<cause>。<what to do>（<system text>）".
    QString message() const { return QString::fromUtf8(what()); }

    // A FileError from errno as it stands now.
    static FileError fromErrno(const QString &action, const QString &path);

private:
    QString m_action, m_path, m_systemText;
    int m_code;
};

// Temporary files of the program are named "<target name>.waybill-tmp-XXXXXX" (six letters or
// digits) beside their target, and are locked while they are being written.
QString temporaryNameFor(const QString &target);
bool isTemporaryName(const QString &fileName);

// Removes temporary files of the program that an interrupted backup, restore or export left in
// folder: only files whose names match the pattern and that no running copy of the program
// holds locked. Returns how many were removed.
int removeLeftoverTemporaryFiles(const QString &folder);

// A write-only device over a temporary file beside the target. Writes are buffered and every
// write(2) is checked; the first failure is kept, later writes fail too, and commit() throws it.
// Destroying the object without a successful commit() removes the temporary file.
class CheckedSaveFile : public QIODevice
{
public:
    explicit CheckedSaveFile(const QString &target);
    ~CheckedSaveFile() override;

    QString target() const { return m_target; }
    QString temporaryPath() const { return m_tempPath; }

    // Creates the temporary file and opens the device for writing. Throws FileError.
    void create();

    // Writes the buffer out and syncs the file to disk. Throws FileError (the first failed
    // write, if any, comes first).
    void sync();

    // The last count bytes of the file as it is on disk now (after sync()).
    QByteArray tail(int count);
    qint64 sizeOnDisk();

    // sync(), then renames the temporary file over the target and syncs the folder. On failure
    // the temporary file is removed, the target is left as it was, and FileError is thrown.
    void commit();

    // Removes the temporary file; the target is left as it was.
    void discard();

    bool isSequential() const override { return true; }
    // The first failed write, if any.
    bool hasWriteError() const { return m_errorCode != 0; }

protected:
    qint64 readData(char *, qint64) override { return -1; }
    qint64 writeData(const char *data, qint64 size) override;

private:
    bool flushBuffer();
    void throwIfFailed();
    void fail(const QString &action, int code);

    QString m_target;
    QString m_tempPath;
    int m_fd = -1;
    QByteArray m_buffer;
    int m_errorCode = 0;
    QString m_errorAction;
    bool m_committed = false;
};

// Commits a PDF that a QPdfWriter or QPrinter wrote into file's temporary file, once it is
// whole: the painter ended well and the file, synced to disk, ends with the %%EOF trailer that
// a PDF writer puts last. Otherwise the temporary file is removed and FileError is thrown.
void commitPdf(CheckedSaveFile &file, bool painterEnded);

} // namespace files
