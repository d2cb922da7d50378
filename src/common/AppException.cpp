#include "common/AppException.h"

#include "common/ErrorText.h"

namespace tarvolin {

std::string appExceptionText(const CAppException& error) {
    std::string text =
        "An error has occurred during program execution.\nProgram error description: ";
    text += error.message();
    if (error.isSystemCode() && error.code() != 0) {
        text += "\nSystem error code: " + std::to_string(error.code());
        text += "\nSystem error code description: " + systemErrorText(error.code());
    }
    return text;
}

}  // namespace tarvolin
