// ItemActions: the dialogs and desktop services the item context menu and the details view use,
// behind one interface so that tests can run them without dialogs or a desktop.
#pragma once

#include <memory>

#include <QString>
#include <QUrl>

class QWidget;

namespace tarvolin::views {

// Called on the UI thread. The installed instance is shared: whoever holds it keeps it alive.
class ItemActions {
public:
    virtual ~ItemActions() = default;

    // A yes/no question; true for yes.
    virtual bool confirm(QWidget* parent, const QString& title, const QString& question) = 0;
    virtual void showError(QWidget* parent, const QString& title, const QString& text) = 0;
    // Hands a file URL to the desktop; false when nothing could open it.
    virtual bool openUrl(const QUrl& url) = 0;
    virtual void copyText(const QString& text) = 0;

    // The installed actions: message boxes, QDesktopServices and the clipboard unless a test
    // installed its own.
    static std::shared_ptr<ItemActions> current();
    // nullptr goes back to the desktop's.
    static void install(std::shared_ptr<ItemActions> actions);
};

}  // namespace tarvolin::views
