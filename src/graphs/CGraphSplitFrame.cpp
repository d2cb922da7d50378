#include "graphs/CGraphSplitFrame.h"

#include <QAction>
#include <QIcon>
#include <QToolBar>
#include <QVBoxLayout>

#include "graphs/CScrollGraphBarView.h"

namespace tarvolin::graphs {

CGraphSplitFrame::CGraphSplitFrame(scan::ScanController& scans, QWidget* parent)
    : QWidget(parent), m_view(new CScrollGraphBarView(scans, this)), m_toolBar(new QToolBar(this)) {
    setObjectName(QStringLiteral("GraphPane"));
    m_toolBar->setIconSize(QSize(16, 16));
    m_toolBar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    m_save = m_toolBar->addAction(QIcon::fromTheme(QStringLiteral("document-save-as")),
                                  tr("Save graph image"));
    m_copy = m_toolBar->addAction(QIcon::fromTheme(QStringLiteral("edit-copy")),
                                  tr("Copy graph image to clipboard"));
    m_customize = m_toolBar->addAction(QIcon::fromTheme(QStringLiteral("preferences-desktop")),
                                       tr("Customize graph appearance"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(m_toolBar);
    layout->addWidget(m_view, 1);
    setFocusProxy(m_view);

    connect(m_save, &QAction::triggered, m_view, &CScrollGraphBarView::SaveGraphImage);
    connect(m_copy, &QAction::triggered, m_view, &CScrollGraphBarView::CopyGraphImage);
    connect(m_customize, &QAction::triggered, this, &CGraphSplitFrame::customizeRequested);
}

QAction* CGraphSplitFrame::action(int commandId) const {
    switch (commandId) {
        case kSaveGraphImage:
            return m_save;
        case kCopyGraphImage:
            return m_copy;
        case kCustomizeGraph:
            return m_customize;
        default:
            return nullptr;
    }
}

}  // namespace tarvolin::graphs
