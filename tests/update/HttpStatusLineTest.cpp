#include "update/HttpStatusLine.h"

#include <gtest/gtest.h>

#include <climits>

namespace tarvolin::update {
namespace {

TEST(HttpStatusLineTest, SplitsTheFirstLineIntoVersionCodeAndReason) {
    const struct {
        const char* response;
        bool ok;
        const char* version;
        int code;
        const char* reason;
    } cases[] = {
        {"HTTP/1.0 200 OK\r\nServer: x\r\n\r\nbody", true, "HTTP/1.0", 200, "OK"},
        {"HTTP/1.1 404 Not Found\r\n", true, "HTTP/1.1", 404, "Not Found"},
        {"HTTP/1.0   301 \t Moved  Permanently\r\n", true, "HTTP/1.0", 301, "Moved  Permanently"},
        {"HTTP/1.0 200 \r\n", true, "HTTP/1.0", 200, ""},
        {"HTTP/1.0 abc Odd\r\n", true, "HTTP/1.0", 0, "Odd"},
        {"HTTP/1.0 99999999999999999999 Huge\r\n", true, "HTTP/1.0", INT_MAX, "Huge"},
        {"HTTP/1.0 -99999999999999999999 Tiny\r\n", true, "HTTP/1.0", INT_MIN, "Tiny"},
        {"HTTP/1.0 200\r\n", false, "", 0, ""},        // no reason phrase
        {"HTTP/1.0 200 OK", false, "", 0, ""},         // no CR
        {"HTTP/1.0\r\n200 OK\r\n", false, "", 0, ""},  // the line ends before the code
        {"", false, "", 0, ""},
    };
    for (const auto& c : cases) {
        HttpStatusLine line;
        line.code = -1;
        ASSERT_EQ(parseHttpStatusLine(c.response, line), c.ok) << c.response;
        if (!c.ok) {
            EXPECT_EQ(line.code, -1) << "left untouched: " << c.response;
            continue;
        }
        EXPECT_EQ(line.version, c.version) << c.response;
        EXPECT_EQ(line.code, c.code) << c.response;
        EXPECT_EQ(line.reason, c.reason) << c.response;
    }
}

}  // namespace
}  // namespace tarvolin::update
