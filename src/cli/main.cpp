// tarvolin-cli: the headless front end over the scan engine.
#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/CheckUpdateCommand.h"
#include "cli/CliOutput.h"
#ifdef TARVOLIN_CLI_HTML
#include "cli/HtmlCommand.h"
#endif
#include "cli/ReportCommand.h"
#include "cli/ScanCommand.h"
#include "cli/TreeCommand.h"
#include "common/Version.h"

namespace {

constexpr char kUsage[] =
    "Usage:\n"
    "  tarvolin-cli scan PATH [--sort name|size|change|files|folders]\n"
    "                         [--ascending|--descending] [--no-files]\n"
    "                         [--format table|json|csv|tsv] [--quote] [--no-headers]\n"
    "      Scans PATH and lists its subfolders, then its files, with their totals.\n"
    "      Without --sort in scan order; --ascending (default) and --descending apply to --sort.\n"
    "      csv and tsv: a title line, then one line per row; --quote wraps every field in\n"
    "      quotes, --no-headers leaves the title line out.\n"
    "  tarvolin-cli tree PATH [-o FILE]\n"
    "      Prints the folder tree below PATH; FILE gets CR LF line ends.\n"
    "  tarvolin-cli report PATH [--largest] [--oldest] [--types] [--temp]\n"
    "                           [--format table|json|csv|tsv] [--quote] [--no-headers]\n"
    "                           [--mask TEXT]\n"
    "      The 50 largest and the 50 oldest files below PATH, the space per file type and the\n"
    "      temp files (paths containing a pattern of the \";\"-separated mask TEXT, by default\n"
    "      \"/temp;/tmp/;.tmp;~.;.~;.old;.chk\"). Without a report flag all four are listed;\n"
    "      csv and tsv list the one report chosen by its flag.\n"
#ifdef TARVOLIN_CLI_HTML
    "  tarvolin-cli html PATH -o FILE [--no-drives] [--no-graph]\n"
    "      Scans PATH and writes the HTML report FILE with style.css and graph.jpg beside it\n"
    "      (no display needed); --no-drives leaves out the drive space table, --no-graph the\n"
    "      graph picture.\n"
#else
    "  tarvolin-cli html: not in this build (it was built without the desktop program).\n"
#endif
    "  tarvolin-cli check-update\n"
    "      Asks the update server for the latest version (exit 0 found, 1 failed).\n"
    "  tarvolin-cli --help | --version\n"
    "\n"
    "Exit status: 0 success, 1 the scan completed with errors, 2 bad arguments or a path that\n"
    "is not a folder, 130 stopped with Ctrl+C (what was found so far is printed).\n";

}  // namespace

int main(int argc, char** argv) {
    using namespace tarvolin::cli;
    std::vector<std::string_view> arguments(argv + 1, argv + argc);
    if (arguments.empty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string_view command = arguments.front();
    const std::vector<std::string_view> rest(arguments.begin() + 1, arguments.end());
    if (command == "--help" || command == "-h" || command == "help") {
        std::fputs(kUsage, stdout);
        return kExitOk;
    }
    if (command == "--version") {
        std::printf("tarvolin-cli %s\n", tarvolin::kVersionText);
        return kExitOk;
    }
    if (command == "scan") {
        const auto options = parseScanArguments(rest, stderr);
        return options ? runScanCommand(*options, stdout, stderr) : kExitUsage;
    }
    if (command == "tree") return runTreeCommand(rest, stdout, stderr);
    if (command == "report") {
        const auto options = parseReportArguments(rest, stderr);
        return options ? runReportCommand(*options, stdout, stderr) : kExitUsage;
    }
    if (command == "check-update") return runCheckUpdateCommand(rest, stdout, stderr);
    if (command == "html") {
#ifdef TARVOLIN_CLI_HTML
        return runHtmlCommand(rest, stdout, stderr);
#else
        std::fputs("html: not in this build (it was built without the desktop program)\n", stderr);
        return kExitUsage;
#endif
    }
    std::fprintf(stderr, "unknown command: %.*s\n\n%s", static_cast<int>(command.size()),
                 command.data(), kUsage);
    return kExitUsage;
}
