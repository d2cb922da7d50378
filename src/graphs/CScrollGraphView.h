// CScrollGraphView: the base of the scrolling graph panes: margins, background, title line,
// keyboard scrolling, painting and the image export entry points.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include <QAbstractScrollArea>
#include <QColor>
#include <QImage>
#include <QRect>
#include <QString>

class QFont;
class QPainter;

namespace tarvolin::scan {
class ScanController;
}  // namespace tarvolin::scan

namespace tarvolin::graphs {

// Lives on the UI thread, owned by its CGraphSplitFrame. A subclass draws the whole picture in
// DrawGraph, which serves the screen (anti-aliased, scrolled) and the exported image (not
// anti-aliased, from the top) alike: fonts are sized in pixels at 96 dpi, so both lay out the
// same. Coordinates in DrawGraph are those of the whole graph; the scroll offset is applied by
// the painter.
//
// The scan's start and end come straight from the ScanController: start clears the subtitle,
// end sets it to the scan's total size (unless the scan was stopped).
class CScrollGraphView : public QAbstractScrollArea {
    Q_OBJECT

public:
    static constexpr int kTopMargin = 50;          // above the title band
    static constexpr int kSideMargin = 25;         // left of the label column, right of the plot
    static constexpr int kLabelColumnWidth = 125;  // item names left of the plot
    static constexpr int kTitleBandHeight = 25;
    static constexpr QRgb kBoxFill = 0xFFD3D3D3;  // the subtitle's box
    static constexpr QRgb kOutline = 0xFF808080;  // frames of title and subtitle
    static constexpr QRgb kText = 0xFF000000;
    static constexpr int kFontDpi = 96;  // points become pixels at this resolution
    // Codes of the drawing error message: the image could not be painted, or not allocated.
    static constexpr int kDrawingGenericError = 1;
    static constexpr int kDrawingOutOfMemory = 3;

    // `scans` must outlive the view.
    explicit CScrollGraphView(scan::ScanController& scans, QWidget* parent = nullptr);
    ~CScrollGraphView() override;

    // The title line: `title` and `subtitle` centred together as one line; `framed` draws a
    // frame around the title, and a filled box around a non-empty subtitle.
    virtual void DrawTitle(QPainter& painter, const QString& title, const QString& subtitle,
                           bool framed);
    // Gradient or solid fill, from the settings read by ReloadSettings.
    virtual void DrawBackground(QPainter& painter, const QRect& rect);
    // Repaints the whole pane; the frame calls it on every refresh tick.
    virtual void Redraw();
    // Draws the whole graph into an image and writes it as `mimeType` ("image/jpeg",
    // "image/png", "image/bmp" or "image/tiff"). Throws CAppException when no writer exists for
    // the type or the file cannot be written, and GraphDrawingError, writing nothing, when the
    // image cannot be drawn; the command that asked shows the message.
    virtual void DrawGraphToFile(const QString& path, const QString& mimeType);
    // Re-reads the background settings; the options sheet's OK calls it, then Redraw.
    virtual void ReloadSettings();
    // Asks for a file name and type, then saves the image; errors are shown here.
    virtual void SaveGraphImage();
    // Draws the whole graph into an image and puts it on the clipboard; when the image cannot
    // be drawn the drawing error is shown and the clipboard keeps what it had.
    virtual void CopyGraphImage();
    virtual void DrawItems(QPainter& painter) = 0;
    // The whole picture: background, title, items.
    virtual void DrawGraph(QPainter& painter) = 0;

    // What SaveGraphImage does once the dialog returned `path`: the type by its extension
    // (refused with a message when unsupported), then DrawGraphToFile with errors shown.
    void saveGraphImageAs(const QString& path);
    // The picture as the exports draw it, width of the view and height imageHeight(); null
    // when it could not be drawn, with the drawing error code in `failureCode`.
    QImage renderGraphImage(int* failureCode = nullptr);
    // The height of an exported image: the graph's height.
    virtual int imageHeight() const = 0;

    // Where the title takes the folder browser's path from (bytes); none: the document's path.
    void setBrowserPathSource(std::function<std::string()> source);

    QString statusText() const { return m_statusText; }
    bool statusFlag() const { return m_statusFlag; }
    // The scroll height DrawGraph asked for last (0 after a scan started).
    int scrollHeight() const { return m_scrollHeight; }

    // A font of `pointSize` points at kFontDpi, whatever the painter's device resolution.
    static QFont graphFont(const QString& face, double pointSize, bool bold,
                           const QPainter& painter);

protected:
    // The view's client area: the scrolled viewport, at the origin.
    QRect clientRect() const;
    // The part of the graph being drawn, in graph coordinates: the visible part on screen, the
    // whole image for an export. Drawing outside it may be skipped.
    QRect drawArea() const { return m_drawArea; }
    // Only vertical scrolling is offered; `height` beyond the viewport scrolls.
    void setScrollSizes(int width, int height);
    scan::ScanController& scans() const { return m_scans; }
    std::string browserPath() const;

    // The image the exports draw into; a subclass in tests may refuse it.
    virtual QImage createGraphImage(const QSize& size);
    // Called at scan start after the base has reset its state.
    virtual void scanStarting() {}

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void onScanStarting();
    void onScanComplete(bool stopped);
    void applyScrollSizes();
    void showDrawingError(int code);

    scan::ScanController& m_scans;
    std::function<std::string()> m_browserPath;

    bool m_gradientEnabled = true;
    int m_gradientType = 0;
    QColor m_primary = Qt::black;  // both black until the settings are read
    QColor m_secondary = Qt::black;
    QString m_statusText;
    bool m_statusFlag = false;  // the last scan was stopped: its total is not shown
    QRect m_drawArea;
    int m_scrollWidth = 0;
    int m_scrollHeight = 0;
};

}  // namespace tarvolin::graphs
