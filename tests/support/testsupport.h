#pragma once

// Shared fixtures: databases made by the program's own init code in a temporary folder, and a
// recorder for the message and error boxes.

#include <QDir>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

class QWidget;

namespace testsupport {

// A temporary folder holding a new data.mdb; the current directory is moved there while it lives
// (the program opens data.mdb in the current directory) and restored afterwards.
class DatabaseFolder
{
public:
    DatabaseFolder();
    ~DatabaseFolder();
    QString path() const { return m_dir.path(); }
    QString databasePath() const { return m_dir.filePath(QStringLiteral("data.mdb")); }

    // Inserts rows (cells in table order) through a connection of its own.
    void insert(const QString &table, const QVector<QStringList> &rows) const;
    // Reads a table back through a fresh connection, every column as text, in rowid order.
    QVector<QStringList> rows(const QString &table) const;

private:
    QTemporaryDir m_dir;
    QString m_previousDir;
};

// Collects what messages::show and messages::showError would have shown while it lives.
class MessageLog
{
public:
    MessageLog();
    ~MessageLog();
    QStringList messages;
    QStringList errors;
    void clear()
    {
        messages.clear();
        errors.clear();
    }
};

} // namespace testsupport
