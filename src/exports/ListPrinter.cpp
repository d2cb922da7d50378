#include "exports/ListPrinter.h"

#include <algorithm>

#include <QDateTime>
#include <QFontMetricsF>
#include <QGuiApplication>
#include <QLocale>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QScreen>
#include <QWidget>

#include "common/ProductInfo.h"
#include "common/Version.h"
#include "exports/ItemViewTable.h"
#include "exports/ListTable.h"
#include "exports/PrintLayout.h"

namespace tarvolin::exports {
namespace {

constexpr double kMillimetresPerInch = 25.4;

QString fromUtf8(const std::string& text) {
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QFont printFont(const char* face, double points, bool bold = false) {
    QFont font(QString::fromLatin1(face));
    font.setPointSizeF(points);
    font.setBold(bold);
    // Bold is weight 700 whatever the face's own scale.
    if (bold) font.setWeight(QFont::Bold);
    return font;
}

// One page after another on the painter, with the header, footer and title row of each.
class PageWriter {
public:
    PageWriter(QPrinter& printer, QPainter& painter, const ListTable& table)
        : m_printer(printer),
          m_painter(painter),
          m_table(table),
          m_body(printFont(kPrintBodyFace, 9)),
          m_title(printFont(kPrintBodyFace, 9, true)),
          m_header(printFont(kPrintBandFace, 11)),
          m_footer(printFont(kPrintBandFace, 9)) {
        const QRect paper = printer.pageLayout().paintRectPixels(printer.resolution());
        m_page = QRectF(0, 0, paper.width(), paper.height());
        const QFontMetricsF header(m_header, &printer);
        const QFontMetricsF footer(m_footer, &printer);
        m_tableTop = m_page.top() + 2 * header.height();
        m_tableBottom = m_page.bottom() - 2 * footer.height();
        m_bodyLine = QFontMetricsF(m_body, &printer).height();
        m_date = QLocale().toString(QDateTime::currentDateTime().date(), QLocale::ShortFormat) +
                 QLatin1Char(' ') +
                 QLocale().toString(QDateTime::currentDateTime().time(), QLocale::ShortFormat);
    }

    bool printPass(const std::vector<int>& columns, const std::vector<int>& screenWidths) {
        layColumns(columns, screenWidths);
        if (!startPage()) return false;
        for (int row = 0; row < m_table.rowCount(); ++row) {
            QStringList cells;
            for (const int column : columns)
                cells.push_back(fromUtf8(m_table.cellText(row, column)));
            if (m_y + m_bodyLine > m_tableBottom && !startPage()) return false;
            m_y += drawRow(cells, m_body);
        }
        return true;
    }

private:
    void layColumns(const std::vector<int>& columns, const std::vector<int>& screenWidths) {
        double total = 0;
        for (const int column : columns)
            total += std::max(1, screenWidths[static_cast<std::size_t>(column)]);
        m_cells.clear();
        double x = m_page.left();
        for (const int column : columns) {
            const double share =
                std::max(1, screenWidths[static_cast<std::size_t>(column)]) / total;
            const double width = share * m_page.width();
            m_cells.push_back({x, width, fromUtf8(m_table.columnTitle(column))});
            x += width;
        }
    }

    bool startPage() {
        if (m_pages > 0 && !m_printer.newPage()) return false;
        ++m_pages;
        drawBand(QString::fromUtf8("%1\x1F%2\x1E%3")
                     .arg(m_date, QString::fromUtf8(kProductName),
                          QStringLiteral("Page %1").arg(m_pages)),
                 m_header, true);
        drawBand(QString::fromUtf8("%1\x1F%2\x1E%3")
                     .arg(QString::fromUtf8(kCopyrightText), QString::fromUtf8(kMakerName),
                          QString::fromUtf8(kWebSiteUrl)),
                 m_footer, false);
        m_y = m_tableTop;
        QStringList titles;
        for (const Cell& cell : m_cells)
            titles.push_back(cell.title);
        m_y += drawRow(titles, m_title);
        m_painter.setPen(QPen(Qt::black, 0));
        m_painter.drawLine(QPointF(m_page.left(), m_y), QPointF(m_page.right(), m_y));
        m_y += kPrintRuleSpace;
        return true;
    }

    // Header at the top of the printable area, footer at its bottom.
    void drawBand(const QString& text, const QFont& font, bool top) {
        const BandText band = splitBandText(text.toStdString());
        m_painter.setFont(font);
        m_painter.setPen(Qt::black);
        const int vertical = top ? Qt::AlignTop : Qt::AlignBottom;
        m_painter.drawText(m_page, Qt::AlignLeft | vertical, fromUtf8(band.left));
        m_painter.drawText(m_page, Qt::AlignHCenter | vertical, fromUtf8(band.centre));
        m_painter.drawText(m_page, Qt::AlignRight | vertical, fromUtf8(band.right));
    }

    // Left- and top-aligned, one line per line break, never wrapped, clipped at the cell less
    // its gap. The row is as tall as its tallest cell, but never taller than a page's table.
    double drawRow(const QStringList& texts, const QFont& font) {
        m_painter.setFont(font);
        m_painter.setPen(Qt::black);
        const QFontMetricsF metrics(font, &m_printer);
        double height = metrics.height();
        for (const QString& text : texts)
            height = std::max(
                height,
                metrics.boundingRect(QRectF(0, 0, 1e6, 1e6), Qt::AlignLeft | Qt::AlignTop, text)
                    .height());
        height = std::min(height, m_tableBottom - m_y);
        for (int i = 0; i < texts.size(); ++i) {
            const Cell& cell = m_cells[static_cast<std::size_t>(i)];
            const QRectF rect(cell.x, m_y, cell.width * (1 - kPrintCellGap), height);
            m_painter.save();
            m_painter.setClipRect(rect);
            m_painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop, texts[i]);
            m_painter.restore();
        }
        return height;
    }

    struct Cell {
        double x;
        double width;
        QString title;
    };

    QPrinter& m_printer;
    QPainter& m_painter;
    const ListTable& m_table;
    QFont m_body;
    QFont m_title;
    QFont m_header;
    QFont m_footer;
    QRectF m_page;
    double m_tableTop = 0;
    double m_tableBottom = 0;
    double m_bodyLine = 0;
    double m_y = 0;
    int m_pages = 0;
    QString m_date;
    std::vector<Cell> m_cells;
};

}  // namespace

double screenPixelsPerMm(const QWidget* widget) {
    const QScreen* screen = widget != nullptr ? widget->screen() : QGuiApplication::primaryScreen();
    if (screen != nullptr && screen->physicalSize().width() > 0)
        return screen->geometry().width() / screen->physicalSize().width();
    return 96 / kMillimetresPerInch;
}

bool printListOn(QPrinter& printer, const ListTable& table, const std::vector<int>& screenWidths,
                 double screenPixelsPerMm, const QString& jobTitle) {
    const double pageMm = printer.pageLayout().paintRect(QPageLayout::Millimeter).width();
    const auto passes = columnPasses(screenWidths, pageMm * screenPixelsPerMm * 2 / 3);
    if (passes.empty()) return true;
    if (!jobTitle.isEmpty()) printer.setDocName(jobTitle);
    QPainter painter;
    if (!painter.begin(&printer)) return false;
    PageWriter pages(printer, painter, table);
    for (const auto& pass : passes) {
        if (!pages.printPass(pass, screenWidths)) {
            printer.abort();
            return false;
        }
    }
    return painter.end();
}

void PrintList(QWidget* owner, const ItemViewTable& table, const QString& jobTitle) {
    QPrinter printer(QPrinter::ScreenResolution);
    // Half-inch margins until the user chooses others in the dialog.
    printer.setPageMargins(QMarginsF(12.7, 12.7, 12.7, 12.7), QPageLayout::Millimeter);
    QPrintDialog dialog(&printer, owner);
    if (dialog.exec() != QDialog::Accepted) return;
    const bool toFile = printer.outputFormat() == QPrinter::PdfFormat;
    if (!toFile && !printer.isValid()) return;
    if (toFile && printer.outputFileName().isEmpty()) return;
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    printListOn(printer, table, table.columnWidths(), screenPixelsPerMm(owner), jobTitle);
    QGuiApplication::restoreOverrideCursor();
}

}  // namespace tarvolin::exports
