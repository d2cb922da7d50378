#include "views/ItemActions.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QMessageBox>

namespace tarvolin::views {
namespace {

class DesktopItemActions final : public ItemActions {
public:
    bool confirm(QWidget* parent, const QString& title, const QString& question) override {
        return QMessageBox::question(parent, title, question, QMessageBox::Yes | QMessageBox::No,
                                     QMessageBox::No) == QMessageBox::Yes;
    }
    void showError(QWidget* parent, const QString& title, const QString& text) override {
        QMessageBox::critical(parent, title, text);
    }
    bool openUrl(const QUrl& url) override { return QDesktopServices::openUrl(url); }
    void copyText(const QString& text) override { QApplication::clipboard()->setText(text); }
};

std::shared_ptr<ItemActions>& installed() {
    static std::shared_ptr<ItemActions> actions;
    return actions;
}

}  // namespace

std::shared_ptr<ItemActions> ItemActions::current() {
    if (!installed()) installed() = std::make_shared<DesktopItemActions>();
    return installed();
}

void ItemActions::install(std::shared_ptr<ItemActions> actions) {
    installed() = std::move(actions);
}

}  // namespace tarvolin::views
