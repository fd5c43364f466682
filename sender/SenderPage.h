#pragma once

// The sender page: seven edits for the one sender record, loaded at start-up and saved by
// "保 存". It edits the current row of the sender query.

#include <QObject>

class QLineEdit;
class QLabel;
class QWidget;

namespace db {
class Dataset;
}

class SenderPage : public QObject
{
    Q_OBJECT
public:
    // Builds the labels and edits inside page (the main window's sender page box).
    SenderPage(QWidget *page, db::Dataset *senderQuery, QObject *parent = nullptr);

    // Fills the edits from the sender query's current row (empty texts when it has none).
    void load();
    // Checks the three required fields, then writes all seven columns to the sender record,
    // creating it when the table is empty. Returns true when the row was written.
    bool save(QWidget *messageOwner);

    QLineEdit *companyEdit = nullptr;
    QLineEdit *nameEdit = nullptr;
    QLineEdit *addressEdit = nullptr;
    QLineEdit *postcodeEdit = nullptr;
    QLineEdit *phoneEdit = nullptr;
    QLineEdit *mobileEdit = nullptr;
    QLineEdit *signatureEdit = nullptr;

private:
    QLineEdit *edit(int column) const;
    db::Dataset *m_query;
};
