#pragma once

// The two tables of data.mdb: their columns, a new empty file, the file the program opens.

#include "data/Connection.h"

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <stdexcept>
#include <vector>

struct sqlite3;
struct sqlite3_stmt;

namespace db {

// The file every connection of the program opens: data.mdb in dataFolder() (DataFolder.h) at
// the moment of connecting.
QString connectionPath();

// Throws DbError naming the first column of outrxx or inrxx the open database lacks.
void requireColumns(Connection &connection);

// Creates a new, empty, keyed database with the two tables. Refuses to touch an existing file.
void createDatabase(const QString &path);

// The column names of the two tables, in table order.
QStringList senderColumns();
QStringList recipientColumns();

} // namespace db
