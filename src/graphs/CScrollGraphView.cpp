#include "graphs/CScrollGraphView.h"

#include <algorithm>

#include <QClipboard>
#include <QFileDialog>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QImageWriter>
#include <QKeyEvent>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QScrollBar>

#include "common/AppException.h"
#include "common/SizeText.h"
#include "common/Version.h"
#include "graphs/GraphTexts.h"
#include "scan/ScanController.h"
#include "ui/AppExceptionBox.h"
#include "ui/Options.h"

namespace tarvolin::graphs {
namespace {

constexpr int kDotsPerMeterAt96Dpi = 3780;
constexpr int kLineStep = 25;  // one row of the bar graph

QString productTitle() {
    return QString::fromUtf8(kProductName);
}

// 1-pixel strokes are centred on pixel centres when anti-aliased, so that they cover the same
// pixels as the aliased drawing of the exported image.
qreal strokeOffset(const QPainter& painter) {
    return painter.testRenderHint(QPainter::Antialiasing) ? 0.5 : 0.0;
}

}  // namespace

CScrollGraphView::CScrollGraphView(scan::ScanController& scans, QWidget* parent)
    : QAbstractScrollArea(parent), m_scans(scans) {
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::NoFrame);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    ReloadSettings();
    connect(&m_scans, &scan::ScanController::scanStarting, this, &CScrollGraphView::onScanStarting);
    connect(&m_scans, &scan::ScanController::scanComplete, this, &CScrollGraphView::onScanComplete);
}

CScrollGraphView::~CScrollGraphView() = default;

QRect CScrollGraphView::clientRect() const {
    // A hidden view (a collapsed pane) lays out its viewport only when shown; its own size less
    // the frame stands in, so that exports still take the pane's width.
    if (!isVisible()) return QRect(QPoint(0, 0), maximumViewportSize());
    return viewport()->rect();
}

void CScrollGraphView::ReloadSettings() {
    using namespace ui::option;
    m_gradientEnabled = ui::readOption(kUseGradientGraphBack) != 0;
    m_gradientType = ui::readOption(kGraphGradientEffectType);
    m_primary = ui::readOption(kGraphBackPrimary);
    m_secondary = ui::readOption(kGraphBackSecondary);
    m_primary.setAlpha(255);
    m_secondary.setAlpha(255);
}

void CScrollGraphView::setBrowserPathSource(std::function<std::string()> source) {
    m_browserPath = std::move(source);
}

std::string CScrollGraphView::browserPath() const {
    return m_browserPath ? m_browserPath() : std::string();
}

QFont CScrollGraphView::graphFont(const QString& face, double pointSize, bool bold,
                                  const QPainter& painter) {
    QFont font(face);
    // A face this machine lacks is replaced by the nearest installed one; Arial, the default,
    // becomes its metric twin or at least a sans-serif face, never the system's serif.
    font.setStyleHint(QFont::SansSerif);
    const QPaintDevice* device = painter.device();
    const int dpi =
        device != nullptr && device->logicalDpiY() > 0 ? device->logicalDpiY() : kFontDpi;
    // Qt turns points into pixels at the device's resolution; undo that to get 96-dpi pixels.
    font.setPointSizeF(pointSize * kFontDpi / dpi);
    font.setBold(bold);
    if (!painter.testRenderHint(QPainter::TextAntialiasing)) {
        font.setStyleStrategy(QFont::NoAntialias);
    }
    return font;
}

void CScrollGraphView::DrawTitle(QPainter& painter, const QString& title, const QString& subtitle,
                                 bool framed) {
    const QFont font =
        graphFont(ui::readOption(ui::option::kGraphTitleFontFaceName), 11.0, true, painter);
    const QFontMetricsF metrics(font, painter.device());
    const auto measure = [&metrics](const QString& text) {
        return text.isEmpty() ? QSizeF()
                              : QSizeF(metrics.horizontalAdvance(text), metrics.height());
    };
    const QSizeF titleSize = measure(title);
    const QSizeF subtitleSize = measure(subtitle);
    const QRect client = clientRect();
    const int mid = client.width() / 2;
    const qreal x1 = mid - titleSize.width() / 2 - subtitleSize.width() / 2;
    const qreal offset = strokeOffset(painter);
    constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine | Qt::TextDontClip;

    painter.save();
    painter.setFont(font);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QColor::fromRgba(kText));
    painter.drawText(QRectF(QPointF(x1, 10), titleSize), kTextFlags, title);
    const QPen outline(QColor::fromRgba(kOutline), 1.0);
    if (framed) {
        painter.setPen(outline);
        painter.drawRect(QRectF(x1 - 5, 8, titleSize.width() + 10, titleSize.height() + 4)
                             .translated(offset, offset));
    }
    if (!subtitle.isEmpty()) {
        // The box shares its left edge with the title's frame.
        const QRectF box(x1 + titleSize.width() + 5, 8, subtitleSize.width() + 10,
                         subtitleSize.height() + 4);
        painter.fillRect(box, QColor::fromRgba(kBoxFill));
        painter.setPen(outline);
        painter.drawRect(box.translated(offset, offset));
        painter.setPen(QColor::fromRgba(kText));
        painter.drawText(QRectF(QPointF(x1 + titleSize.width() + 10, 10), subtitleSize), kTextFlags,
                         subtitle);
    }
    painter.restore();
}

void CScrollGraphView::DrawBackground(QPainter& painter, const QRect& rect) {
    if (!m_gradientEnabled) {
        painter.fillRect(rect, m_primary);
        return;
    }
    // The diagonal gradients run corner to corner, their lines of equal colour parallel to the
    // other diagonal, however wide the rectangle is.
    const QRectF r(rect);
    const qreal w = r.width();
    const qreal h = r.height();
    const qreal k = w * w + h * h > 0 ? 2 * w * h / (w * w + h * h) : 0;
    QLinearGradient gradient;
    switch (m_gradientType) {
        case 1:  // horizontal
            gradient.setStart(r.topLeft());
            gradient.setFinalStop(r.topRight());
            break;
        case 2:  // forward diagonal
            gradient.setStart(r.topLeft());
            gradient.setFinalStop(r.topLeft() + QPointF(h * k, w * k));
            break;
        case 3:  // backward diagonal
            gradient.setStart(r.topRight());
            gradient.setFinalStop(r.topRight() + QPointF(-h * k, w * k));
            break;
        default:  // vertical
            gradient.setStart(r.topLeft());
            gradient.setFinalStop(r.bottomLeft());
            break;
    }
    gradient.setColorAt(0, m_primary);
    gradient.setColorAt(1, m_secondary);
    painter.fillRect(rect, gradient);
}

void CScrollGraphView::Redraw() {
    viewport()->update();
}

void CScrollGraphView::setScrollSizes(int width, int height) {
    if (width == m_scrollWidth && height == m_scrollHeight) return;
    m_scrollWidth = width;
    m_scrollHeight = height;
    // Usually called while painting: the scroll bars follow once the paint is over.
    QMetaObject::invokeMethod(
        this, [this] { applyScrollSizes(); }, Qt::QueuedConnection);
}

void CScrollGraphView::applyScrollSizes() {
    const QSize page = viewport()->size();
    QScrollBar* vertical = verticalScrollBar();
    vertical->setRange(0, std::max(0, m_scrollHeight - page.height()));
    vertical->setPageStep(std::max(1, page.height()));
    vertical->setSingleStep(kLineStep);
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setRange(0, std::max(0, m_scrollWidth - page.width()));
    horizontal->setPageStep(std::max(1, page.width()));
    horizontal->setSingleStep(kLineStep);
}

void CScrollGraphView::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(viewport());
    if (!painter.isActive()) return;
    painter.fillRect(viewport()->rect(), palette().color(QPalette::Base));
    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setRenderHint(QPainter::TextAntialiasing, true);
    const QPoint scrolled(horizontalScrollBar()->value(), verticalScrollBar()->value());
    painter.translate(-scrolled);
    m_drawArea = viewport()->rect().translated(scrolled);
    DrawGraph(painter);
}

void CScrollGraphView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    applyScrollSizes();
}

void CScrollGraphView::keyPressEvent(QKeyEvent* event) {
    QScrollBar* vertical = verticalScrollBar();
    QScrollBar* horizontal = horizontalScrollBar();
    switch (event->key()) {
        case Qt::Key_PageUp:
            vertical->triggerAction(QAbstractSlider::SliderPageStepSub);
            break;
        case Qt::Key_PageDown:
            vertical->triggerAction(QAbstractSlider::SliderPageStepAdd);
            break;
        case Qt::Key_End:
            vertical->triggerAction(QAbstractSlider::SliderToMaximum);
            horizontal->triggerAction(QAbstractSlider::SliderToMaximum);
            break;
        case Qt::Key_Home:
            vertical->triggerAction(QAbstractSlider::SliderToMinimum);
            horizontal->triggerAction(QAbstractSlider::SliderToMinimum);
            break;
        case Qt::Key_Left:
            horizontal->triggerAction(QAbstractSlider::SliderSingleStepSub);
            break;
        case Qt::Key_Up:
            vertical->triggerAction(QAbstractSlider::SliderSingleStepSub);
            break;
        case Qt::Key_Right:
            horizontal->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            break;
        case Qt::Key_Down:
            vertical->triggerAction(QAbstractSlider::SliderSingleStepAdd);
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
            return;
    }
    event->accept();
}

void CScrollGraphView::onScanStarting() {
    m_statusText.clear();
    m_statusFlag = false;
    // At once, not after a paint: a new folder is shown from its top.
    m_scrollWidth = 0;
    m_scrollHeight = 0;
    applyScrollSizes();
    scanStarting();
    Redraw();
}

void CScrollGraphView::onScanComplete(bool stopped) {
    m_statusFlag = stopped;
    if (const auto totals = m_scans.lastRootTotals()) {
        m_statusText = QString::fromStdString(formatSize(totals->size));
    }
    Redraw();
}

QImage CScrollGraphView::createGraphImage(const QSize& size) {
    return QImage(size, QImage::Format_RGB888);
}

QImage CScrollGraphView::renderGraphImage(int* failureCode) {
    const auto fail = [failureCode](int code) {
        if (failureCode != nullptr) *failureCode = code;
        return QImage();
    };
    const QSize size(clientRect().width(), imageHeight());
    // An image too large for memory comes back null, as does one of no size.
    QImage image = size.isEmpty() ? QImage() : createGraphImage(size);
    if (image.isNull()) return fail(kDrawingOutOfMemory);
    image.setDotsPerMeterX(kDotsPerMeterAt96Dpi);
    image.setDotsPerMeterY(kDotsPerMeterAt96Dpi);
    QPainter painter;
    if (!painter.begin(&image)) return fail(kDrawingGenericError);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setRenderHint(QPainter::TextAntialiasing, false);
    const QRect screenArea = m_drawArea;
    m_drawArea = QRect(QPoint(0, 0), size);
    DrawGraph(painter);
    m_drawArea = screenArea;
    painter.end();
    if (failureCode != nullptr) *failureCode = 0;
    return image;
}

void CScrollGraphView::showDrawingError(int code) {
    QMessageBox::critical(this, productTitle(), drawingErrorText(code));
}

void CScrollGraphView::DrawGraphToFile(const QString& path, const QString& mimeType) {
    int failure = 0;
    const QImage image = renderGraphImage(&failure);
    if (image.isNull()) throw GraphDrawingError(failure);
    const QByteArray format = imageWriterFormat(mimeType);
    if (format.isEmpty() || !QImageWriter::supportedImageFormats().contains(format)) {
        throw CAppException(kEncoderNotFoundText, 0, true);
    }
    QImageWriter writer(path, format);
    if (!writer.write(image)) {
        throw CAppException(saveFailedText(path), static_cast<int>(writer.error()), false);
    }
}

void CScrollGraphView::saveGraphImageAs(const QString& path) {
    if (path.isEmpty()) return;
    const QString mimeType = imageMimeTypeForExtension(fileExtension(path));
    if (mimeType.isEmpty()) {
        QMessageBox::critical(this, productTitle(), QString::fromUtf8(kUnsupportedImageTypeText));
        return;
    }
    try {
        DrawGraphToFile(path, mimeType);
    } catch (const GraphDrawingError& error) {
        showDrawingError(error.code());
    } catch (const CAppException& error) {
        ui::showAppException(this, error);
    }
}

void CScrollGraphView::SaveGraphImage() {
    QFileDialog dialog(this, tr("Save As"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setNameFilters(QString::fromUtf8(kImageFileFilter).split(QStringLiteral(";;")));
    dialog.setDefaultSuffix(QString::fromUtf8(kDefaultImageExtension));
    // A name typed without an extension takes the one of the type chosen in the dialog.
    connect(&dialog, &QFileDialog::filterSelected, &dialog, [&dialog](const QString& filter) {
        const qsizetype star = filter.indexOf(QStringLiteral("(*."));
        if (star >= 0) dialog.setDefaultSuffix(filter.mid(star + 3).chopped(1));
    });
    if (dialog.exec() != QDialog::Accepted) return;
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return;
    saveGraphImageAs(chosen.front());
}

void CScrollGraphView::CopyGraphImage() {
    int failure = 0;
    const QImage image = renderGraphImage(&failure);
    if (image.isNull()) {
        showDrawingError(failure);
        return;
    }
    QGuiApplication::clipboard()->setImage(image);
}

}  // namespace tarvolin::graphs
