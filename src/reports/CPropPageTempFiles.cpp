#include "reports/CPropPageTempFiles.h"

#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QVBoxLayout>

#include "common/Version.h"
#include "reports/ReportCollections.h"
#include "ui/Options.h"

namespace tarvolin::reports {

CPropPageTempFiles::CPropPageTempFiles(ReportCollections& collections, QWidget* parent)
    : CPropertyPageBase(QString::fromLatin1(kTempFilesTitle), collections, parent),
      m_list(new CTempFilesListCtrl(true, true, QAbstractItemView::ExtendedSelection, this)),
      m_mask(nullptr),
      m_defaults(nullptr) {
    auto* box = new QGroupBox(QStringLiteral("Temp file mask"), this);
    auto* label = new QLabel(kMaskLabel, box);
    label->setWordWrap(true);
    m_mask = new QLineEdit(box);
    label->setBuddy(m_mask);
    m_defaults = new QPushButton(QStringLiteral("&Defaults"), box);
    auto* boxLayout = new QGridLayout(box);
    boxLayout->addWidget(label, 0, 0, 1, 2);
    boxLayout->addWidget(m_mask, 1, 0);
    boxLayout->addWidget(m_defaults, 1, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(makeDescription(kDescription));
    layout->addWidget(m_list, 1);
    layout->addWidget(box);

    const QString stored = ui::readOption(ui::option::kTempFileMask);
    if (!stored.isEmpty()) m_mask->setText(stored);

    connect(m_mask, &QLineEdit::editingFinished, this, &CPropPageTempFiles::applyMask);
    connect(m_defaults, &QPushButton::clicked, this, [this] {
        if (QMessageBox::question(this, QString::fromUtf8(kProductName), kReplaceQuestion,
                                  QMessageBox::Yes | QMessageBox::No,
                                  QMessageBox::Yes) == QMessageBox::Yes) {
            restoreDefaults();
        }
    });
    // Deleted matches leave the collections too, so no later read of them lists the files again.
    connect(m_list, &ReportListBase::rowsDeleted, this,
            [this](const std::vector<std::string>& paths) {
                this->collections().removeTempFiles(paths);
            });
}

void CPropPageTempFiles::refreshReport() {
    m_list->setRows(tempFileRows(collections().tempFiles()));
}

void CPropPageTempFiles::applyMask() {
    ui::writeOption(ui::option::kTempFileMask, m_mask->text());
    const bool hasPatterns =
        collections().setTempFileMask(QFile::encodeName(m_mask->text()).toStdString());
    // The edit also loses the focus when the generator closes; no box pops up after it.
    if (!hasPatterns && isVisible()) {
        QMessageBox message(QMessageBox::Warning, QString::fromUtf8(kProductName), kNoValidEntries,
                            QMessageBox::Ok, this);
        message.exec();
    }
}

void CPropPageTempFiles::restoreDefaults() {
    m_mask->setText(QString::fromLatin1(ui::option::kTempFileMask.defaultValue));
    ui::writeOption(ui::option::kTempFileMask, m_mask->text());
    collections().setTempFileMask(ui::option::kTempFileMask.defaultValue);
}

}  // namespace tarvolin::reports
