#include "ui/AppExceptionBox.h"

#include <QMessageBox>
#include <QString>

#include "common/AppException.h"
#include "common/Version.h"

namespace tarvolin::ui {

void showAppException(QWidget* parent, const CAppException& error) {
    QMessageBox::critical(parent, QString::fromUtf8(kProductName),
                          QString::fromStdString(appExceptionText(error)));
}

}  // namespace tarvolin::ui
