#pragma once

// Which recipients a batch prints: a list of 1-based positions typed by a user ("2,5-9"), or
// the rows of the grid's selection or search, found again by rowid in the batch's own dataset.
// Either way the result is 0-based rows of the dataset in table order, each once.

#include <QString>

#include <functional>
#include <optional>
#include <vector>

namespace db {
class Dataset;
}

namespace printing {

struct RowChoice
{
    std::vector<int> rows;
    QString error; // why the list was refused; rows is then empty
};

// What a batch prints: the whole book, the rows of the main window's search, or the rows selected
// in its grid.
enum class BatchScope { All, Search, Selection };

// How the main window hands its search and selection to the batch window, as rowids (the batch
// reads through a connection of its own). Either may be unset.
struct RecipientSets
{
    // Empty when no search is active (a search that found nothing gives an empty list).
    std::function<std::optional<std::vector<qint64>>()> searchRowIds;
    std::function<std::vector<qint64>()> selectedRowIds;
};

// Positions and ranges separated by commas, e.g. "2,5-9", among rowCount rows. A malformed list
// or a position outside 1..rowCount is refused with a message naming it.
RowChoice parsePositionList(const QString &list, int rowCount);

// The rows of dataset that hold these rowids, in table order; rowids no longer there are left out.
std::vector<int> rowsOfRowIds(const db::Dataset &dataset, const std::vector<qint64> &rowids);

} // namespace printing
