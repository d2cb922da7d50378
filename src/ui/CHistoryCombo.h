// CHistoryCombo: an editable path combo box whose list is a history kept in the settings key.
#pragma once

#include <QComboBox>
#include <QString>

namespace tarvolin::ui {

// User-interface thread; owned by its parent widget. A list named N lives in the subkey
// ComboHistory/N as the values N0, N1, ... top entry first. The owner loads it when the combo
// is set up, saves it when the owner closes and clears it on demand.
class CHistoryCombo : public QComboBox {
    Q_OBJECT

public:
    static constexpr int kDefaultMaxEntries = 20;

    explicit CHistoryCombo(QWidget* parent = nullptr);

    void setMaxEntries(int count) { m_maxEntries = count; }
    int maxEntries() const { return m_maxEntries; }

    // Puts `text` on top and selects it. The first entry that begins with `text`, ignoring case,
    // is removed first, and the list is cut to its maximum. Empty text does nothing.
    void addEntry(const QString& text);
    QString entryText(int index) const { return itemText(index); }

    // Replaces the stored list with the entries, top first.
    void saveHistory(const QString& listName) const;
    // Appends the stored entries in index order, gaps closed, empty and repeated entries left
    // out, at most maxEntries(), and selects the first.
    void loadHistory(const QString& listName);
    // Deletes the stored list and empties the combo.
    void clearHistory(const QString& listName);

    void hidePopup() override;

signals:
    // An entry was picked from the open list. Unlike activated(), never sent for Enter in the
    // field or for leaving it with a text that equals an entry.
    void entryChosen(int index);

private:
    int m_maxEntries = kDefaultMaxEntries;
    bool m_closingPopup = false;  // from hidePopup() until the list's choice, if any, arrived
};

}  // namespace tarvolin::ui
