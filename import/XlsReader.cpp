#include "import/XlsReader.h"

#include "import/XlsEmptyTexts.h"

#include <QDir>
#include <QFile>
#include <QTemporaryFile>

#include <freexl.h>

#include <cmath>

QString numberText(double value)
{
    // Whole numbers as plain digits (a mobile number is far beyond what an int holds); others
    // rounded to the 15 digits a spreadsheet shows, without an exponent.
    if (std::isfinite(value) && value == std::floor(value) && std::fabs(value) < 1e15)
        return QString::number(qint64(value));
    const double shown = QString::number(value, 'g', 15).toDouble();
    return QString::number(shown, 'f', QLocale::FloatingPointShortest);
}

namespace {

// Reads path; shownPath names the user's file in messages.
SpreadsheetContent readWorkbook(const QString &path, const QString &shownPath, bool mayRepair)
{
    SpreadsheetContent out;
    const void *handle = nullptr;
    const int rc = freexl_open(QFile::encodeName(path).constData(), &handle);
    struct Closer
    {
        const void *&h;
        ~Closer()
        {
            if (h)
                freexl_close(h);
        }
    } closer{handle};
    // libfreexl refuses a zero-length text anywhere in a workbook as a "crafted" file, and then
    // even answers FREEXL_OK with no handle.
    if (rc != FREEXL_OK || !handle) {
        if (mayRepair && (rc == FREEXL_OK || rc == FREEXL_CRAFTED_FILE)) {
            QTemporaryFile copy(QDir::tempPath() + QStringLiteral("/waybill-import-XXXXXX.xls"));
            if (copy.open() && copyWithoutEmptySharedTexts(path, copy.fileName())) {
                copy.close();
                return readWorkbook(copy.fileName(), shownPath, false);
            }
        }
        out.error = QStringLiteral(
                        "无法读取 %1：它不是完整的 Excel 97-2003 工作簿，或含有读取库不接受的内容"
                        "（例如长度为 0 的文字单元格）。请在表格软件中打开它，另存为 .xls 或 .csv 后再导入")
                        .arg(shownPath);
        return out;
    }
    unsigned int info = 0;
    if (freexl_get_info(handle, FREEXL_BIFF_PASSWORD, &info) == FREEXL_OK && info == FREEXL_BIFF_OBFUSCATED) {
        out.error =
            QStringLiteral("无法读取 %1：工作簿有密码保护。请在表格软件中去掉密码后再导入").arg(shownPath);
        return out;
    }
    unsigned int sheetCount = 0;
    freexl_get_info(handle, FREEXL_BIFF_SHEET_COUNT, &sheetCount);
    for (unsigned int s = 0; s < sheetCount; ++s) {
        SheetRows sheet;
        const char *name = nullptr;
        if (freexl_get_worksheet_name(handle, quint16(s), &name) == FREEXL_OK && name)
            sheet.name = QString::fromUtf8(name);
        unsigned int rows = 0;
        unsigned short columns = 0;
        if (freexl_select_active_worksheet(handle, quint16(s)) != FREEXL_OK ||
            freexl_worksheet_dimensions(handle, &rows, &columns) != FREEXL_OK) {
            out.error = QStringLiteral("无法读取 %1 的工作表 %2").arg(shownPath, sheet.name);
            return out;
        }
        sheet.rows.reserve(rows);
        for (unsigned int r = 0; r < rows; ++r) {
            QStringList cells;
            cells.reserve(columns);
            for (unsigned short c = 0; c < columns; ++c) {
                FreeXL_CellValue value;
                if (freexl_get_cell_value(handle, r, c, &value) != FREEXL_OK) {
                    cells << QString();
                    continue;
                }
                switch (value.type) {
                case FREEXL_CELL_INT:
                    cells << QString::number(value.value.int_value);
                    break;
                case FREEXL_CELL_DOUBLE:
                    cells << numberText(value.value.double_value);
                    break;
                case FREEXL_CELL_TEXT:
                case FREEXL_CELL_SST_TEXT:
                case FREEXL_CELL_DATE:
                case FREEXL_CELL_DATETIME:
                case FREEXL_CELL_TIME:
                    cells << QString::fromUtf8(value.value.text_value);
                    break;
                default:
                    cells << QString();
                }
            }
            while (!cells.isEmpty() && cells.constLast().isEmpty())
                cells.removeLast();
            sheet.rows.push_back(std::move(cells));
        }
        out.sheets.push_back(std::move(sheet));
    }
    return out;
}

} // namespace

SpreadsheetContent readXlsFile(const QString &path)
{
    return readWorkbook(path, QDir::toNativeSeparators(path), true);
}
