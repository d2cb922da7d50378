// Fuzz target: any bytes as the server's response, through the status-line parser and on to
// what the update check would show.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "update/EventSocket.h"
#include "update/HttpStatusLine.h"
#include "update/UpdateCheckResult.h"

using namespace tarvolin::update;

namespace {

void require(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view response(reinterpret_cast<const char*>(data), size);
    HttpStatusLine status;
    const bool parsed = parseHttpStatusLine(response, status);
    if (parsed) {
        require(status.version.find_first_of(" \r") == std::string::npos);
        require(status.reason.find('\r') == std::string::npos);
        require(status.version.size() + status.reason.size() < size);
    }

    const UpdateCheckResult result =
        evaluateUpdateResponse(parsed ? kHttpOk : kHttpBadStatusLine, status, response, "1, 0");
    if (result.state == UpdateCheckState::Done) {
        require(parsed && status.code >= 200 && status.code < 300);
        require(result.statusText == kUpdateCompletedText);
        require(result.installedVersion == "1.0");
        require(result.downloadLink.empty() || isWebLink(result.downloadLink));
        require(result.whatsNewLink.empty() || isWebLink(result.whatsNewLink));
    } else {
        require(result.installedVersion == kUnknownVersionText);
        require(result.latestVersion == kUnknownVersionText);
        require(result.downloadLink.empty() && result.whatsNewLink.empty());
        const bool httpError = parsed && (status.code < 200 || status.code >= 300);
        require(!httpError || result.statusText == kUpdateErrorPrefix + status.reason);
        require(parsed || result.statusText == kUpdateFailedText);
    }
    return 0;
}
