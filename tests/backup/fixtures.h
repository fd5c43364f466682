#pragma once

// Small address databases for the backup tests, made by the program's own init code.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

namespace fixtures {

// A new database at path with one sender row and `recipients` recipient rows, all marked with tag.
void makeDatabase(const QString &path, const QString &tag, int recipients = 3);
// Runs statements on a database through a connection of its own.
void exec(const QString &path, const QStringList &statements);
// A table's rows, every column as text, in rowid order.
QVector<QStringList> rows(const QString &path, const QString &table);
QByteArray bytes(const QString &path);
void writeBytes(const QString &path, const QByteArray &content);
// The names in a folder, sorted.
QStringList entries(const QString &folder);

} // namespace fixtures
