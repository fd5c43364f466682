#include "addressbook/RecipientExport.h"

#include "data/CheckedSaveFile.h"
#include "data/Database.h"
#include "xls/XlsWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QSignalBlocker>

QString exportDataset(db::Dataset &dataset, const QString &path, const ExportProgress &progress)
{
    // The export never writes over the database it reads from.
    const QString target = QFileInfo(path).canonicalFilePath();
    if (!target.isEmpty() && dataset.connection() &&
        target == QFileInfo(dataset.connection()->path()).canonicalFilePath())
        return QStringLiteral("不能把导出文件写到数据库文件上: %1").arg(QDir::toNativeSeparators(path));

    // The walk moves the current row once per row. A grid bound to the dataset would follow every
    // move, which costs far more than the export, so observers hear only of the row the walk ends
    // on: the last one.
    struct Announce
    {
        db::Dataset &dataset;
        ~Announce() { emit dataset.currentChanged(dataset.currentRow()); }
    } announce{dataset};
    const QSignalBlocker quiet(dataset);

    try {
        dataset.first();
        const QStringList header = dataset.fieldNames();
        const int total = dataset.recordCount();
        XlsWriter book;
        auto startSheet = [&] {
            book.addSheet(QStringLiteral("Sheet%1").arg(book.sheetCount() + 1));
            book.appendRow(header);
        };
        startSheet();
        QStringList cells;
        cells.resize(header.size());
        int done = 0;
        while (!dataset.eof()) {
            if (book.rowCount() == XlsWriter::kMaxRows)
                startSheet();
            const int row = dataset.currentRow();
            for (int c = 0; c < cells.size(); ++c)
                cells[c] = dataset.value(row, c);
            book.appendRow(cells);
            if (progress && ++done % 4096 == 0)
                progress(done, total);
            dataset.next();
        }
        for (int i = 0; i < 2; ++i)
            book.addSheet(QStringLiteral("Sheet%1").arg(book.sheetCount() + 1));
        if (progress)
            progress(total, total);
        book.save(path);
        return QString();
    } catch (const files::FileError &e) {
        return e.message();
    } catch (const XlsError &e) {
        return e.message();
    } catch (const db::DbError &e) {
        return e.message();
    }
}
