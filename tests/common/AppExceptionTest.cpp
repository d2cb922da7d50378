#include "common/AppException.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>

namespace tarvolin {
namespace {

constexpr char kLead[] =
    "An error has occurred during program execution.\nProgram error description: ";

TEST(AppException, TextNamesTheSystemErrorOnlyForANonZeroSystemCode) {
    const struct {
        int code;
        bool isSystemCode;
        std::string tail;
    } cases[] = {
        {EACCES, true, "\nSystem error code: 13\nSystem error code description: Permission denied"},
        {987654, true, "\nSystem error code: 987654\nSystem error code description: Unknown error"},
        {0, true, ""},
        {EACCES, false, ""},  // a library's own code is not shown
    };
    for (const auto& c : cases) {
        const CAppException error("Failed to save image to specified path (/x.png)", c.code,
                                  c.isSystemCode);
        EXPECT_EQ(appExceptionText(error),
                  kLead + std::string("Failed to save image to specified path (/x.png)") + c.tail)
            << c.code << " " << c.isSystemCode;
        EXPECT_STREQ(error.what(), "Failed to save image to specified path (/x.png)");
    }
}

}  // namespace
}  // namespace tarvolin
