// CDriveSpaceListCtrl: the "Drive Space" pane's list of fixed volumes with their total and free
// space.
#pragma once

#include <QIcon>
#include <QPoint>
#include <QTableView>

#include <string>

class QStandardItemModel;
class QTimer;

namespace tarvolin::drives {

class VolumeSource;

// Lives on the UI thread, owned by its parent (the pane's dock widget). Asks its VolumeSource for
// the volumes once at creation and then every kRefreshMilliseconds, updating the rows in place so
// that neither the view nor the selection jumps. It offers no actions of its own: a context
// menu request goes to whoever connected contextMenuRequested.
class CDriveSpaceListCtrl : public QTableView {
    Q_OBJECT

public:
    static constexpr int kRefreshMilliseconds = 5000;
    enum Column { kDriveColumn, kTotalColumn, kFreeColumn, kColumnCount };

    // The running system's volumes.
    explicit CDriveSpaceListCtrl(QWidget* parent = nullptr);
    // `source` must outlive the list.
    explicit CDriveSpaceListCtrl(const VolumeSource& source, QWidget* parent = nullptr);

    // The mount point (bytes) of a row; empty for a row that does not exist.
    std::string volumePath(int row) const;
    // The selected row's mount point; empty when nothing is selected.
    std::string selectedPath() const;

    QSize sizeHint() const override;

public slots:
    void refresh();

signals:
    // The user asked for a menu on a selected volume, at `globalPos`.
    void contextMenuRequested(const std::string& path, const QPoint& globalPos);

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;
    bool viewportEvent(QEvent* event) override;

private:
    void fitFreeColumn();

    const VolumeSource& m_source;  // owned by the creator, or the process-wide system source
    QStandardItemModel* m_model;   // owned through Qt's parenting
    QTimer* m_timer;               // owned through Qt's parenting
    QIcon m_driveIcon;
};

}  // namespace tarvolin::drives
