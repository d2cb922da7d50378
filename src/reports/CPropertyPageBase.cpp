#include "reports/CPropertyPageBase.h"

#include "exports/ItemViewTable.h"
#include "exports/ListExport.h"
#include "exports/ListPrinter.h"
#include "reports/ReportList.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QStyle>

namespace tarvolin::reports {

void CPropertyPageBase::PrintReport() {
    exports::PrintList(this, exports::ItemViewTable(*reportList()));
}

void CPropertyPageBase::ExportReport() {
    exports::ExportListToFile(this, exports::ItemViewTable(*reportList()));
}

CPropertyPageBase::CPropertyPageBase(const QString& title, ReportCollections& collections,
                                     QWidget* parent)
    : QWidget(parent), m_title(title), m_collections(collections) {}

QWidget* CPropertyPageBase::makeDescription(const QString& text) {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* icon = new QLabel(row);
    icon->setPixmap(style()->standardIcon(QStyle::SP_FileDialogInfoView).pixmap(32, 32));
    icon->setAlignment(Qt::AlignTop);
    auto* label = new QLabel(text, row);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    layout->addWidget(icon);
    layout->addWidget(label, 1);
    return row;
}

}  // namespace tarvolin::reports
