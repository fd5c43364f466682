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
class WaybillPrintJob;
class ThumbGrid;

// The title of the last report whose preview was opened, shared by all preview windows.
extern QString lastPreviewTitle;
// Set only while a window moves the thumbnail selection itself.
extern bool changingThumbnailRow;

class PreviewWindow : public QWidget
{
    Q_OBJECT
public:
    explicit PreviewWindow(WaybillPrintJob *report);
    ~PreviewWindow() override;

    void showAndRefresh();

    QString panelText(int panel) const;
    // The note on shortened addresses at the right of the status bar; empty when all fit.
    QString addressNote() const;
    int currentPage() const;
    int pageCount() const;

    // The buttons, in toolbar order (RzBitBtn1 ... RzBitBtn10).
    std::array<QToolButton *, 10> buttons{};
    QWidget *toolBar;
    QTabWidget *tabs;
    QWidget *thumbnailTab;
    ThumbGrid *thumbnails;
    QSplitter *splitter;
    PreviewControl *pageView;
    QFrame *toolBarLine;
    QStatusBar *statusBar;

    int thumbTextHeight = 0, thumbWidth = 0, thumbHeight = 0, thumbXOffset = 0, thumbYOffset = 0;

    void firstPage();
    void previousPage();
    void nextPage();
    void lastPage();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void handleKey(int key, Qt::KeyboardModifiers modifiers);
    void pagesAvailable(int pageCount);
    void progressUpdated(int percent);
    void drawThumbnail(QPainter &painter, const QRect &cell, int row);
    void thumbnailSelected(int row);
    void resizeThumbnails();
    void showWholePage();
    void showPageWidth();
    void showActualSize();
    void setUpPrinter();
    void printReport();
    void closePreview();

    void refreshStatusBar();
    void fitToWorkArea();
    void moveToPage(int n);

    WaybillPrintJob *m_report;
    std::array<QLabel *, 3> m_panels{};
    QLabel *m_addressNote = nullptr;
    int m_lastProgress = 0;
};

} // namespace printing
