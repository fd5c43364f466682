#include "printwindows/PrinterCalibrationDialog.h"

#include "printing/CalibrationPage.h"
#include "printwindows/PreviewWindow.h" // QuickRep.h needs the preview window complete
#include "printwindows/WaybillPrintJob.h"
#include "widgets/Messages.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QFormLayout>
#include <QLabel>
#include <QPrinter>
#include <QPrinterInfo>
#include <QPushButton>
#include <QVBoxLayout>

#include <cmath>

namespace printing {

namespace {

QDoubleSpinBox *offsetBox(const QString &name, QWidget *parent)
{
    auto *box = new QDoubleSpinBox(parent);
    box->setObjectName(name);
    box->setLocale(QLocale::c());
    box->setDecimals(1);
    box->setSingleStep(0.1);
    box->setRange(-calibration::kMaxOffsetTenths / 10.0, calibration::kMaxOffsetTenths / 10.0);
    box->setSuffix(QStringLiteral(" mm"));
    return box;
}

Length tenths(const QDoubleSpinBox *box)
{
    return Length::fromTenths(std::round(box->value() * 10.0));
}

} // namespace

PrinterCalibrationDialog::PrinterCalibrationDialog(const QString &printer, QWidget *parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("calibrationDialog"));
    setWindowTitle(QStringLiteral("打印机校准"));
    setWindowModality(Qt::WindowModal);
    setAttribute(Qt::WA_DeleteOnClose);

    printerBox = new QComboBox(this);
    printerBox->setObjectName(QStringLiteral("printerBox"));
    printerBox->addItems(QPrinterInfo::availablePrinterNames());
    const int start = printerBox->findText(printer);
    if (start >= 0)
        printerBox->setCurrentIndex(start);
    dxBox = offsetBox(QStringLiteral("dxBox"), this);
    dyBox = offsetBox(QStringLiteral("dyBox"), this);

    auto *hint =
        new QLabel(QStringLiteral("在空白快递单上打印校准页，量出打印的线比表格上的线向右、向下偏了多少毫米，"
                                  "从偏移量中减去这个数（向左、向上偏则加上），再打印一次核对，最后保存。"
                                  "偏移量只用于这台打印机，不影响 PDF 和预览。"),
                   this);
    hint->setWordWrap(true);
    status = new QLabel(this);
    status->setObjectName(QStringLiteral("status"));

    auto *buttons = new QDialogButtonBox(this);
    testPageButton = buttons->addButton(QStringLiteral("打印校准页"), QDialogButtonBox::ActionRole);
    testPageButton->setObjectName(QStringLiteral("testPageButton"));
    saveButton = buttons->addButton(QStringLiteral("保存"), QDialogButtonBox::ApplyRole);
    saveButton->setObjectName(QStringLiteral("saveButton"));
    closeButton = buttons->addButton(QStringLiteral("关闭"), QDialogButtonBox::RejectRole);
    closeButton->setObjectName(QStringLiteral("closeButton"));

    auto *form = new QFormLayout;
    form->addRow(QStringLiteral("打印机:"), printerBox);
    form->addRow(QStringLiteral("横向偏移（向右为正）:"), dxBox);
    form->addRow(QStringLiteral("纵向偏移（向下为正）:"), dyBox);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(hint);
    layout->addWidget(status);
    layout->addWidget(buttons);
    setMinimumWidth(420);

    if (printerBox->count() == 0) {
        status->setText(QStringLiteral("没有可用的打印机"));
        for (QWidget *w : {static_cast<QWidget *>(printerBox), static_cast<QWidget *>(dxBox),
                           static_cast<QWidget *>(dyBox), static_cast<QWidget *>(testPageButton),
                           static_cast<QWidget *>(saveButton)})
            w->setEnabled(false);
    }
    loadOffset();

    connect(printerBox, &QComboBox::currentTextChanged, this, [this] { loadOffset(); });
    connect(testPageButton, &QPushButton::clicked, this,
            [this] { messages::guard(this, [this] { printTestPage(); }); });
    connect(saveButton, &QPushButton::clicked, this,
            [this] { messages::guard(this, [this] { saveOffset(); }); });
    connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

void PrinterCalibrationDialog::loadOffset()
{
    const PrintOffset offset = calibration::stored(printerBox->currentText());
    dxBox->setValue(offset.dx.mm());
    dyBox->setValue(offset.dy.mm());
    if (printerBox->count() > 0)
        status->setText(QStringLiteral("已保存的偏移: %1").arg(calibration::format(offset)));
}

bool PrinterCalibrationDialog::saveOffset()
{
    const QString printer = printerBox->currentText();
    const PrintOffset offset{tenths(dxBox), tenths(dyBox)};
    const QString error = calibration::store(printer, offset);
    if (!error.isEmpty()) {
        messages::showError(this, error);
        return false;
    }
    status->setText(QStringLiteral("已保存 %1 的偏移: %2").arg(printer, calibration::format(offset)));
    return true;
}

bool PrinterCalibrationDialog::printTestPage()
{
    const QString name = printerBox->currentText();
    const QPrinterInfo info = QPrinterInfo::printerInfo(name);
    if (info.isNull()) {
        messages::showError(this, QStringLiteral("找不到打印机: %1").arg(name));
        return false;
    }
    QPrinter printer(info, QPrinter::HighResolution);
    printer.setDocName(QStringLiteral("EMS快递单校准页"));
    const PrintOffset offset{tenths(dxBox), tenths(dyBox)};
    return WaybillPrintJob::printPages(this, printer, calibrationPage(name, offset), 0, 0, 1, offset);
}

} // namespace printing
