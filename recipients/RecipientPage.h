#pragma once

// The recipient page of the main window: the three editing panels, the recipient grid and the
// record counters, and the operations of the recipient bar.

#include <QObject>

class QGroupBox;
class QLabel;
class TForm1;

class RecipientPage : public QObject
{
    Q_OBJECT
public:
    explicit RecipientPage(TForm1 *form);

    void showAddPanel();
    void setTotalCounter();
    void setPositionCounter();

    QGroupBox *GroupBox3 = nullptr; // search panel
    QGroupBox *GroupBox4 = nullptr; // modify panel
    QGroupBox *GroupBox5 = nullptr; // add panel
    QLabel *Label31 = nullptr;      // total counter
    QLabel *Label33 = nullptr;      // position counter

private:
    TForm1 *m_form;
};
