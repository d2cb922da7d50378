#include "ui/CHistoryCombo.h"

#include "ui/NumberText.h"
#include "ui/SettingsStore.h"

#include <QTimer>

#include <algorithm>
#include <utility>
#include <vector>

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
    // The list closes itself just before it reports the entry picked in it.
    connect(this, &QComboBox::activated, this, [this](int index) {
        if (!m_closingPopup) return;
        m_closingPopup = false;
        emit entryChosen(index);
    });
}

void CHistoryCombo::hidePopup() {
    m_closingPopup = true;
    QComboBox::hidePopup();
    QTimer::singleShot(0, this, [this] { m_closingPopup = false; });
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
    // In the order of the numbers, not of enumeration: the store lists PathHistory10 before
    // PathHistory2. A list edited by hand may have gaps, empty or repeated entries, other
    // values and more entries than are kept; what is usable of it is loaded.
    const auto settings = openSettingsKey();
    settings->beginGroup(historyGroup(listName));
    std::vector<std::pair<int, QString>> numbered;
    for (const QString& name : settings->childKeys()) {
        const int index = historyIndexOf(name, listName);
        if (index >= 0) numbered.emplace_back(index, name);
    }
    std::stable_sort(numbered.begin(), numbered.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    for (const auto& entry : numbered) {
        if (count() >= m_maxEntries) break;
        const auto text = storedText(*settings, entry.second);
        if (text && !text->isEmpty() &&
            findText(*text, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
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
