// PathBar: the "Path" label, the path history combo and the Go button above the panes.
#pragma once

#include <QString>
#include <QWidget>

class QToolButton;

namespace tarvolin::ui {
class CHistoryCombo;
}  // namespace tarvolin::ui

namespace tarvolin::app {

// Owned by the main frame's second toolbar; UI thread. Emits navigateRequested with the text to
// go to when Go is pressed, Enter is typed in the combo or a history entry is chosen.
class PathBar final : public QWidget {
    Q_OBJECT

public:
    explicit PathBar(QWidget* parent = nullptr);

    ui::CHistoryCombo* combo() const { return m_combo; }
    QString text() const;
    void selectAllText();

    // The frame's own history rule: nothing when `historyCount` is 0 or when an entry already
    // begins with `path` (ignoring case); otherwise `path` goes on top, selected, and the list
    // is cut to `historyCount` entries.
    void addToHistory(const QString& path, int historyCount);

signals:
    void navigateRequested(const QString& text);

private:
    ui::CHistoryCombo* m_combo;  // child
    QToolButton* m_goButton;     // child
};

}  // namespace tarvolin::app
