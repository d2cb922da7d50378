#include "cli/CheckUpdateCommand.h"

#include <future>
#include <string>

#include "cli/CliOutput.h"
#include "update/UpdateCheck.h"

namespace tarvolin::cli {
namespace {

constexpr int kExitCheckFailed = 1;

// The reason phrase and the version come from the server; control bytes in them must not
// reach a terminal.
std::string printable(std::string_view text) {
    std::string clean(text);
    for (char& c : clean) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) c = '?';
    }
    return clean;
}

}  // namespace

int runCheckUpdateCommand(const std::vector<std::string_view>& arguments, std::FILE* out,
                          std::FILE* errors) {
    if (!arguments.empty()) {
        std::fprintf(errors, "unexpected argument: %.*s\n", static_cast<int>(arguments[0].size()),
                     arguments[0].data());
        return kExitUsage;
    }
    std::string problem;
    update::UpdateCheck check(update::UpdateCheckConfig::fromEnvironment(&problem));
    if (!problem.empty()) std::fprintf(errors, "%s\n", problem.c_str());

    std::promise<update::UpdateCheckResult> promise;
    std::future<update::UpdateCheckResult> future = promise.get_future();
    check.start(
        [&promise](update::UpdateCheckResult result) { promise.set_value(std::move(result)); });
    // The exchange is bounded as a whole (the name look-up by the resolver's own time-outs), so
    // the worker always answers.
    const update::UpdateCheckResult result = future.get();

    std::fprintf(out, "%s\n", printable(result.statusText).c_str());
    if (!result.reason.empty()) std::fprintf(out, "Reason: %s\n", result.reason.c_str());
    std::fprintf(out, "Installed version: %s\nLatest version: %s\n",
                 printable(result.installedVersion).c_str(),
                 printable(result.latestVersion).c_str());
    const bool completed = result.state == update::UpdateCheckState::Done;
    return completed ? kExitOk : kExitCheckFailed;
}

}  // namespace tarvolin::cli
