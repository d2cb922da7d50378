#include "ui/CHistoryCombo.h"

#include "ui/SettingsStore.h"

namespace tarvolin::ui {
namespace {

QString historyGroup(const QString& listName) {
    return QStringLiteral("ComboHistory/") + listName;
}

}  // namespace

CHistoryCombo::CHistoryCombo(QWidget* parent) : QComboBox(parent) {
    setEditable(true);
    // The owner decides what enters the history (a path that was scanned), not the Enter key.
    setInsertPolicy(QComboBox::NoInsert);
    // Inline completion would turn "/dat" + Enter into whichever longer entry it proposed.
    setCompleter(nullptr);
}

void CHistoryCombo::addEntry(const QString& text) {
    if (text.isEmpty()) return;
    const int found = findText(text, Qt::MatchStartsWith);
    if (found >= 0) removeItem(found);
    insertItem(0, text);
    setCurrentIndex(0);
    if (count() > m_maxEntries) removeItem(count() - 1);
}

void CHistoryCombo::saveHistory(const QString& listName) const {
    if (listName.isEmpty()) return;
    const auto settings = openSettingsKey();
    settings->beginGroup(historyGroup(listName));
    settings->remove(QString());
    for (int index = 0; index < count(); ++index)
        settings->setValue(listName + QString::number(index), itemText(index));
    settings->endGroup();
}

void CHistoryCombo::loadHistory(const QString& listName) {
    if (listName.isEmpty()) return;
    // By index, not by enumeration: the store lists PathHistory10 before PathHistory2.
    const auto settings = openSettingsKey();
    settings->beginGroup(historyGroup(listName));
    for (int index = 0;; ++index) {
        const auto text = storedText(*settings, listName + QString::number(index));
        if (!text) break;
        addItem(*text);
    }
    settings->endGroup();
    if (count() > 0) setCurrentIndex(0);
}

void CHistoryCombo::clearHistory(const QString& listName) {
    if (!listName.isEmpty()) openSettingsKey()->remove(historyGroup(listName));
    clear();
}

}  // namespace tarvolin::ui
