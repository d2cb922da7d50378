// StatusMessagePane: pane 0 of the status bar, a message with an optional error icon.
#pragma once

#include <QString>
#include <QWidget>

class QLabel;

namespace tarvolin::app {

// Owned by the status bar; UI thread. A double-click is reported to the frame, which opens the
// error report while errors are recorded.
class StatusMessagePane final : public QWidget {
    Q_OBJECT

public:
    explicit StatusMessagePane(QWidget* parent = nullptr);

    void setMessage(const QString& text);
    QString message() const;
    void setErrorIcon(bool shown);
    bool errorIconShown() const;

signals:
    void doubleClicked();

protected:
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QLabel* m_icon;  // child
    QLabel* m_text;  // child
};

}  // namespace tarvolin::app
