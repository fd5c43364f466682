#pragma once

// Where the program's data.mdb lives. Every connection, the backup and the restore ask
// dataFolder(), so they always work on the same file.

#include <QString>

namespace db {

// The folder of the database file in use: the folder set with setDataFolder(), or else the
// current directory at the moment of asking (a program started from a folder works there).
QString dataFolder();
// An empty folder returns to the current directory.
void setDataFolder(const QString &folder);

// The user's own data folder: $XDG_DATA_HOME/waybill, usually ~/.local/share/waybill.
QString userDataFolder();

// Creates folder (with its parents) and an empty database in it when it holds no data.mdb.
// An existing data.mdb is never touched. Throws DbError with a Chinese text on failure.
void createDataFolder(const QString &folder);

} // namespace db
