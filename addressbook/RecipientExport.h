#pragma once

#include <QString>

#include <functional>

namespace db {
class Dataset;
}

// Called now and then during an export with the rows written so far and the rows in all.
using ExportProgress = std::function<void(int rowsDone, int rowCount)>;

// Writes the dataset's current result to an Excel 97-2003 workbook at path, exactly as named:
// a header row with every field name in field order, then every row from the first, each cell the
// field's text. The dataset is walked with first() and next() until eof, so afterwards it stands
// on its last row; its currentChanged() is held back during the walk and emitted once at the end
// for that row, so a bound grid follows without redrawing for every row. A sheet holds 65,535
// rows under its header; further rows continue on the next sheets ("Sheet2", ...), each with the
// header again. Two empty sheets follow the data, as in a new Excel workbook.
//
// The file is written beside the target and renamed over it only when complete. Returns an empty
// text on success; otherwise why it failed, and no file was written or changed.
QString exportDataset(db::Dataset &dataset, const QString &path, const ExportProgress &progress = {});
