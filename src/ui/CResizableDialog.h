// CResizableDialog: the base of dialogs the user may resize, which come back where they were.
#pragma once

#include <QDialog>
#include <QString>

namespace tarvolin::ui {

// User-interface thread; owned like any dialog (usually a stack object run with exec()).
// Subclasses lay out their controls with Qt layouts, which stretch and anchor them. On first
// showing the dialog's size becomes its minimum and the rectangle stored under the profile
// section is restored; closing the dialog (done), or destroying it while it is shown, stores it
// again as "left,top,right,bottom,1,0" in the entry "WindowPlacement".
class CResizableDialog : public QDialog {
    Q_OBJECT

public:
    explicit CResizableDialog(const QString& profileSection, QWidget* parent = nullptr);
    ~CResizableDialog() override;

    QString profileSection() const { return m_profileSection; }

    // Applies the stored rectangle when it is six numbers and lies on a screen.
    bool restoreWindowRect();
    void saveWindowRect() const;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString m_profileSection;
    bool m_shownBefore = false;
};

}  // namespace tarvolin::ui
