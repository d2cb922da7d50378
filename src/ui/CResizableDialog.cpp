#include "ui/CResizableDialog.h"

#include "app/NumberText.h"
#include "app/Options.h"
#include "app/SettingsStore.h"
#include "app/WindowPlacement.h"

namespace tarvolin::ui {
namespace {

const QString kEntry = QString::fromLatin1(app::option::kWindowPlacement);
constexpr int kShowNormal = 1;  // only the rectangle is meaningful; the rest is fixed

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
        app::parseExactNumbers(app::GetProfileString(m_profileSection, kEntry, QString()), 6);
    if (!numbers) return false;
    const auto& v = *numbers;
    const QRect rect = app::rectFromEdges(v[0], v[1], v[2], v[3]);
    if (!app::isOnAnyScreen(rect)) return false;
    setGeometry(rect);
    return true;
}

void CResizableDialog::saveWindowRect() const {
    const QRect rect = geometry();
    app::WriteProfileString(m_profileSection, kEntry,
                            app::joinNumbers({rect.left(), rect.top(), rect.left() + rect.width(),
                                              rect.top() + rect.height(), kShowNormal, 0}));
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
