#pragma once

// The print preview window: one page at a time in a zoomable view, all pages as thumbnails, the
// generation progress and page position in the status bar, and buttons for zoom, page moves,
// printer set-up, print and close.

#include <QWidget>

#include <array>

class QFrame;
class QLabel;
class QSplitter;
class QStatusBar;
class QTabWidget;
class QToolButton;

namespace printing {

class PreviewControl;
class QuickRep;
class ThumbGrid;

// The title of the last report whose preview was opened, shared by all preview windows.
extern QString PreviewTitle;
// Set only while a window moves the thumbnail selection itself.
extern bool ChangingThumbRow;

class TQRStandardPreview : public QWidget
{
    Q_OBJECT
public:
    explicit TQRStandardPreview(QuickRep *report);
    ~TQRStandardPreview() override;

    void ShowAndRefresh();

    QString panelText(int panel) const;
    // The note on shortened addresses at the right of the status bar; empty when all fit.
    QString addressNote() const;
    int currentPage() const;
    int pageCount() const;

    // The buttons, in toolbar order (RzBitBtn1 ... RzBitBtn10).
    std::array<QToolButton *, 10> RzBitBtn{};
    QWidget *ToolBar1;
    QTabWidget *Tabs;
    QWidget *TabThumbs;
    ThumbGrid *ThumbGrid_;
    QSplitter *Splitter2;
    PreviewControl *QRPreview;
    QFrame *Splitter1;
    QStatusBar *StatusBar;

    int ThumbTextHeight = 0, ThumbWidth = 0, ThumbHeight = 0, ThumbXOffset = 0, ThumbYOffset = 0;

    void FirstPageClick();
    void PrevPageClick();
    void NextPageClick();
    void LastPageClick();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void FormKeyDown(int key, Qt::KeyboardModifiers modifiers);
    void QRPreviewPageAvailable(int pageCount);
    void QRPreviewProgressUpdate(int percent);
    void ThumbGridDrawCell(QPainter &painter, const QRect &cell, int row);
    void ThumbGridSelectCell(int row);
    void ThumbGridResize();
    void RzBitBtn1Click();
    void RzBitBtn2Click();
    void RzBitBtn3Click();
    void RzBitBtn8Click();
    void RzBitBtn9Click();
    void RzBitBtn10Click();

    void RefreshStatusBar();
    void fitToWorkArea();
    void MoveToPage(int n);

    QuickRep *ReportPrinter;
    std::array<QLabel *, 3> m_panels{};
    QLabel *m_addressNote = nullptr;
    int LastProgress = 0;
};

} // namespace printing
