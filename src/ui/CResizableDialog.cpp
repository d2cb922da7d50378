#include "ui/CResizableDialog.h"

#include "ui/NumberText.h"
#include "ui/Options.h"
#include "ui/SettingsStore.h"
#include "ui/WindowPlacement.h"

namespace tarvolin::ui {
namespace {

const QString kEntry = QString::fromLatin1(option::kWindowPlacement);

}  // namespace

CResizableDialog::CResizableDialog(const QString& profileSection, QWidget* parent)
    : QDialog(parent), m_profileSection(profileSection) {
    setSizeGripEnabled(true);
}

CResizableDialog::~CResizableDialog() {
    // A dialog torn down with its parent never reaches done().
    if (isVisible()) saveWindowRect();
}

bool CResizableDialog::restoreWindowRect() {
    const auto numbers =
        parseExactNumbers(GetProfileString(m_profileSection, kEntry, QString()), 6);
    if (!numbers) return false;
    const auto& v = *numbers;
    const QRect rect = rectFromEdges(v[0], v[1], v[2], v[3]);
    if (!isOnAnyScreen(rect)) return false;
    setGeometry(rect);
    return true;
}

void CResizableDialog::saveWindowRect() const {
    const QRect rect = geometry();
    WriteProfileString(m_profileSection, kEntry,
                       joinNumbers({rect.left(), rect.top(), rect.left() + rect.width(),
                                    rect.top() + rect.height(),
                                    // only the rectangle means anything here
                                    static_cast<int>(kShowNormal), 0}));
}

void CResizableDialog::done(int result) {
    saveWindowRect();
    QDialog::done(result);
}

void CResizableDialog::showEvent(QShowEvent* event) {
    if (!m_shownBefore) {
        m_shownBefore = true;
        // The layout's first size is the smallest at which every control still fits.
        setMinimumSize(size());
        restoreWindowRect();
    }
    QDialog::showEvent(event);
}

}  // namespace tarvolin::ui
