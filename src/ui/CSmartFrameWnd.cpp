#include "ui/CSmartFrameWnd.h"

#include "ui/SettingsStore.h"

namespace tarvolin::ui {

CSmartFrameWnd::CSmartFrameWnd(QWidget* parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags) {}

WindowPlacement CSmartFrameWnd::currentPlacement() const {
    WindowPlacement placement;
    const Qt::WindowStates state = windowState();
    const bool maximised = state & (Qt::WindowMaximized | Qt::WindowFullScreen);
    if (state & Qt::WindowMinimized)
        placement.showCommand = maximised ? kShowMaximized : kShow;
    else
        placement.showCommand = maximised ? kShowMaximized : kShowNormal;
    placement.normalRect = normalGeometry().isEmpty() ? geometry() : normalGeometry();
    return placement;
}

void CSmartFrameWnd::savePlacement(const QString& valueName) const {
    savePlacement(currentPlacement(), valueName);
}

void CSmartFrameWnd::savePlacement(const WindowPlacement& placement,
                                   const QString& valueName) const {
    SetRegString(QString(), valueName, formatPlacement(placement));
}

std::optional<WindowPlacement> CSmartFrameWnd::loadPlacement(const QString& valueName) const {
    const QString text = GetRegString(QString(), valueName, QString());
    if (text.isEmpty()) return std::nullopt;
    return parsePlacement(text);
}

void CSmartFrameWnd::applyPlacement(const WindowPlacement& placement) {
    if (isOnAnyScreen(placement.normalRect)) setGeometry(placement.normalRect);
    switch (placement.showCommand) {
        case kShowMaximized:
            showMaximized();
            break;
        case kShowMinimized:
        case kMinimize:
        case kShowMinNoActive:
            showMinimized();
            break;
        default:
            showNormal();
            break;
    }
}

}  // namespace tarvolin::ui
