// CSmartFrameWnd: a main window that saves and restores its placement in the settings key.
#pragma once

#include <optional>

#include <QMainWindow>
#include <QString>

#include "ui/WindowPlacement.h"

namespace tarvolin::ui {

// Base of the main frame; lives on the user-interface thread, owned like any top-level window.
// Typical use: at first showing, loadPlacement("WindowPos") and applyPlacement() it, or show()
// plainly when it fails; at close, savePlacement("WindowPos").
class CSmartFrameWnd : public QMainWindow {
    Q_OBJECT

public:
    explicit CSmartFrameWnd(QWidget* parent = nullptr, Qt::WindowFlags flags = {});

    // The window as it stands: a minimised window as kShow, or kShowMaximized when it would be
    // restored maximised; the normal rectangle is the un-maximised geometry.
    WindowPlacement currentPlacement() const;

    void savePlacement(const QString& valueName) const;
    void savePlacement(const WindowPlacement& placement, const QString& valueName) const;
    // Only a stored text of exactly ten numbers.
    std::optional<WindowPlacement> loadPlacement(const QString& valueName) const;

    // Moves the window to the normal rectangle when it lies on a screen, then shows it by the
    // show command: maximised, minimised, or normal for every other command.
    void applyPlacement(const WindowPlacement& placement);
};

}  // namespace tarvolin::ui
