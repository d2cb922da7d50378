// The standard error box of a failed export or output operation.
#pragma once

class QWidget;

namespace tarvolin {
class CAppException;
}

namespace tarvolin::ui {

// Modal box with the error icon and appExceptionText(error), titled with the product's name.
void showAppException(QWidget* parent, const CAppException& error);

}  // namespace tarvolin::ui
