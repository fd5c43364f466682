#pragma once

// The small dialog behind "校 准" in the print windows: a printer, its horizontal and vertical
// offset in millimetres, "打印校准页" to print the calibration page with those offsets, and
// "保存" to keep them for that printer.

#include <QDialog>

class QComboBox;
class QDoubleSpinBox;
class QLabel;
class QPushButton;

namespace printing {

class PrinterCalibrationDialog : public QDialog
{
    Q_OBJECT
public:
    // A window-modal child of parent, starting at printer (or the first printer there is).
    PrinterCalibrationDialog(const QString &printer, QWidget *parent);

    QComboBox *printerBox;
    QDoubleSpinBox *dxBox;
    QDoubleSpinBox *dyBox;
    QPushButton *testPageButton;
    QPushButton *saveButton;
    QPushButton *closeButton;
    QLabel *status;

    // The printer's stored offset into the boxes.
    void loadOffset();
    // Stores the boxes' offset for the printer; false (with the message shown) when it failed.
    bool saveOffset();
    // Prints the calibration page on the printer with the boxes' offset.
    bool printTestPage();
};

} // namespace printing
