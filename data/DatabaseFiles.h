#pragma once

// Backup and restore copies of the address database file data.mdb in the data folder (the folder
// of the database file in use, never the folder of the installed program).
// Both write a temporary file beside the target and rename it into place once it is complete,
// so a failed copy never leaves a half-written file and never destroys the previous one.

#include <QString>

#include <functional>
#include <stdexcept>

namespace backup {

// A failed backup or restore. The text says why; it never contains the database key. A failure
// of the file system also carries the file, the system's error number and its own text.
class CopyError : public std::runtime_error
{
public:
    explicit CopyError(const QString &message, const QString &path = QString(), int code = 0,
                       const QString &systemText = QString())
        : std::runtime_error(message.toStdString()), m_path(path), m_systemText(systemText), m_code(code)
    {
    }
    QString message() const { return QString::fromUtf8(what()); }
    QString path() const { return m_path; }
    int code() const { return m_code; }
    QString systemText() const { return m_systemText; }

private:
    QString m_path, m_systemText;
    int m_code;
};

class DatabaseFiles
{
public:
    explicit DatabaseFiles(const QString &dataFolder = QString()) : m_folder(dataFolder) {}

    void setDataFolder(const QString &folder) { m_folder = folder; }
    QString dataFolder() const { return m_folder; }
    // <data folder>/data.mdb
    QString databasePath() const;

    // The file a backup under the chosen name goes to: the name with ".bak" appended, always.
    static QString backupPath(const QString &chosenName);

    // Copies data.mdb byte for byte to backupPath(chosenName), replacing an existing file.
    // The copy is read under a shared lock of the database, so it is a whole database even
    // while other connections are open. Throws CopyError.
    void backup(const QString &chosenName) const;

    // Throws CopyError unless the file opens with the database password, holds the tables
    // outrxx and inrxx with all their named columns and passes SQLite's integrity check.
    static void checkDatabase(const QString &path);

    // Replaces data.mdb by a copy of source. The copy is made to a temporary file in the
    // data folder, flushed to disk and checked with checkDatabase(); only then does
    // beforeReplace run (the caller closes its connection there) and the copy is renamed over
    // data.mdb. On any failure data.mdb is left as it was and the temporary file is removed.
    // Throws CopyError.
    void restore(const QString &source, const std::function<void()> &beforeReplace = {}) const;

    // For tests: runs before every block a copy writes; returning false makes that write fail.
    using WriteHook = std::function<bool(qint64 offset, qint64 size)>;
    void setWriteHook(WriteHook hook) { m_writeHook = std::move(hook); }

    static constexpr qint64 kBlockSize = 64 * 1024;

private:
    QString m_folder;
    WriteHook m_writeHook;
};

} // namespace backup
