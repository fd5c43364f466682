#pragma once

// An Excel 97-2003 workbook (.xls: BIFF8 records in a compound document file) whose cells all hold
// text. Every text goes once into the workbook's shared string table, so a text that looks like a
// number (a postcode, a mobile number) stays text with its leading zeros.

#include <QByteArray>
#include <QHash>
#include <QString>
#include <QStringList>

#include <stdexcept>
#include <vector>

class QIODevice;

// Input that the file format cannot hold: a full sheet, too many columns, a text longer than a
// cell takes, a bad sheet name.
class XlsError : public std::runtime_error
{
public:
    explicit XlsError(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString message() const { return QString::fromUtf8(what()); }
};

class XlsWriter
{
public:
    static constexpr int kMaxRows = 65536;
    static constexpr int kMaxColumns = 256;
    static constexpr int kMaxTextLength = 32767;
    static constexpr int kMaxSheetNameLength = 31;

    // Starts a new sheet; the rows appended next go onto it. Throws XlsError for a name that is
    // empty, too long, already used or holds one of []:*?/\ .
    void addSheet(const QString &name);
    int sheetCount() const { return int(m_sheets.size()); }
    // Rows the current (last added) sheet holds.
    int rowCount() const;

    // Appends a row of texts to the current sheet; cell i goes to column i. Throws XlsError,
    // adding nothing, when there is no sheet, the sheet is full, the row has more than
    // kMaxColumns cells or a text is longer than kMaxTextLength.
    void appendRow(const QStringList &cells);

    // Writes the whole file. Returns false when the device fails (see its errorString()).
    bool write(QIODevice *device) const;

    // Writes the file to path through a temporary file beside it that replaces path only once it
    // is complete and synced to disk. Throws files::FileError; path is then untouched.
    void save(const QString &path) const;

private:
    struct Sheet
    {
        QString name;
        QByteArray cells;              // LABELSST records
        std::vector<quint16> rowCells; // cells of each row
        int rows = 0;
        int columns = 0;
    };

    // The Workbook stream in pieces: the globals, then each sheet's records.
    std::vector<QByteArray> workbookStream() const;

    std::vector<Sheet> m_sheets;
    QHash<QString, quint32> m_stringIndex; // each text and its place in the string table
    quint32 m_cellCount = 0;
};
