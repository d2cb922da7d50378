// CAppException: the error object of exports and other output that fails part-way.
#pragma once

#include <exception>
#include <string>
#include <utility>

namespace tarvolin {

// Thrown by an export or output operation; the command that started it catches it and shows
// appExceptionText() in one error box. `code` is an errno value when `isSystemCode` is set,
// otherwise whatever the failing library reported (not shown to the user).
class CAppException : public std::exception {
public:
    CAppException(std::string message, int code, bool isSystemCode)
        : m_message(std::move(message)), m_code(code), m_isSystemCode(isSystemCode) {}

    const char* what() const noexcept override { return m_message.c_str(); }
    const std::string& message() const { return m_message; }
    int code() const { return m_code; }
    bool isSystemCode() const { return m_isSystemCode; }

private:
    std::string m_message;
    int m_code;
    bool m_isSystemCode;
};

// "An error has occurred during program execution.\nProgram error description: <message>",
// followed, for a non-zero system code, by the code and the system's text for it.
std::string appExceptionText(const CAppException& error);

}  // namespace tarvolin
