#include "reports/CLargestFilesReport.h"

#include <QFile>
#include <QGroupBox>
#include <QItemSelectionModel>
#include <QVBoxLayout>

#include "graphs/CStaticBarGraph.h"
#include "reports/ReportCollections.h"

namespace tarvolin::reports {

CLargestFilesReport::CLargestFilesReport(ReportCollections& collections, QWidget* parent)
    : CPropertyPageBase(QString::fromLatin1(kLargestFilesTitle), collections, parent),
      m_list(new CLargestFilesListCtrl(false, true, QAbstractItemView::ExtendedSelection, this)),
      m_graph(nullptr) {
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeDescription(kDescription));
    layout->addWidget(m_list, 1);
    auto* box = new QGroupBox(kGraphTitle, this);
    auto* boxLayout = new QVBoxLayout(box);
    m_graph = new graphs::CStaticBarGraph(box);
    m_graph->setToolTip(kGraphHelp);  // where no band lies under the mouse
    boxLayout->addWidget(m_graph);
    layout->addWidget(box);

    connect(m_graph, &graphs::CStaticBarGraph::bandClicked, this,
            &CLargestFilesReport::selectRowNumbered);
}

void CLargestFilesReport::refreshReport() {
    m_list->setRows(largestFileRows(collections().largestFiles()));
    rebuildGraph();
}

void CLargestFilesReport::rebuildGraph() {
    m_graph->Clear();
    for (const LargestFileRow& row : m_list->rows()) {
        graphs::GraphBand band;
        band.value = row.size / 1024;
        band.label = QString::fromLatin1(row.numberText.c_str());
        band.toolTip = QStringLiteral("%1 (%2)").arg(
            QFile::decodeName(QByteArray::fromStdString(row.fileName)),
            QString::fromLatin1(row.sizeText.c_str()));
        m_graph->AddBand(std::move(band));
    }
    m_graph->update();
}

void CLargestFilesReport::selectRowNumbered(const QString& label) {
    const std::vector<LargestFileRow>& rows = m_list->rows();
    for (std::size_t i = 0; i < rows.size(); ++i) {
        if (QString::fromLatin1(rows[i].numberText.c_str()) != label) continue;
        const QModelIndex index = m_list->model()->index(static_cast<int>(i), 0);
        m_list->selectionModel()->setCurrentIndex(
            index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
        m_list->scrollTo(index);
        return;
    }
    m_list->clearSelection();
}

}  // namespace tarvolin::reports
