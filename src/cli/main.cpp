// tarvolin-cli: the headless front end over the scan engine.
#include <stdlib.h>

#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CheckUpdateCommand.h"
#include "cli/CliOutput.h"
#include "cli/HistoryCommand.h"
#ifdef TARVOLIN_CLI_HTML
#include "cli/HtmlCommand.h"
#endif
#include "cli/ReportCommand.h"
#include "cli/ScanCommand.h"
#include "cli/TreeCommand.h"
#include "common/Version.h"
#include "scan/PosixDirectoryReader.h"
#include "scan/ScanThreads.h"

namespace {

// Takes "--threads N" out of `arguments`; the walks read the count where they read the
// environment's. False, with the reason on stderr, when N is not a valid count.
bool takeThreadsOption(std::vector<std::string_view>& arguments) {
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        if (arguments[i] != "--threads") continue;
        const std::string value = i + 1 < arguments.size() ? std::string(arguments[i + 1]) : "";
        if (tarvolin::scan::parseScanThreads(value) == 0) {
            std::fprintf(stderr, "--threads needs a number from 1 to %u\n",
                         tarvolin::scan::kMaxScanThreads);
            return false;
        }
        setenv(tarvolin::scan::kScanThreadsVariable, value.c_str(), 1);
        arguments.erase(arguments.begin() + static_cast<std::ptrdiff_t>(i),
                        arguments.begin() + static_cast<std::ptrdiff_t>(i) + 2);
        --i;
    }
    return true;
}

constexpr char kUsage[] =
    "Usage:\n"
    "  tarvolin-cli scan PATH [--sort name|size|change|files|folders]\n"
    "                         [--ascending|--descending] [--no-files]\n"
    "                         [--format table|json|csv|tsv] [--quote] [--no-headers]\n"
    "      Scans PATH and lists its subfolders, then its files, with their totals.\n"
    "      Without --sort in scan order; --ascending (default) and --descending apply to --sort.\n"
    "      csv and tsv: a title line, then one line per row; --quote wraps every field in\n"
    "      quotes, --no-headers leaves the title line out.\n"
    "                         [--save] [--db FILE]\n"
    "      --save keeps the scan in the scan history (exit 4 when it cannot be saved).\n"
    "  tarvolin-cli history PATH [--format table|json] [--db FILE]\n"
    "      Lists the saved scans of PATH and of the folders above it, newest first.\n"
    "  tarvolin-cli changes PATH [--since ID|YYYY-MM-DD] [--depth N] [--save]\n"
    "                            [--format table|json] [--db FILE]\n"
    "      Scans PATH and lists the folders whose size changed since a saved scan (by default\n"
    "      the newest that covers PATH; a date picks the newest saved on or before that day),\n"
    "      largest change first; --depth N keeps folders at most N levels below PATH.\n"
    "      Exit 3 when no saved scan covers PATH.\n"
    "  tarvolin-cli tree PATH [-o FILE]\n"
    "      Prints the folder tree below PATH; FILE gets CR LF line ends and the names' raw\n"
    "      bytes, a terminal sees control characters escaped.\n"
    "  tarvolin-cli report PATH [--largest] [--oldest] [--types] [--temp]\n"
    "                           [--format table|json|csv|tsv] [--quote] [--no-headers]\n"
    "                           [--mask TEXT]\n"
    "                           [--sort name|number|size|date|path|type|ext|count|space]\n"
    "                           [--ascending|--descending]\n"
    "      The 50 largest and the 50 oldest files below PATH, the space per file type and the\n"
    "      temp files (paths containing a pattern of the \";\"-separated mask TEXT, by default\n"
    "      \"/temp;/tmp/;.tmp;~.;.~;.old;.chk\"). Without a report flag all four are listed:\n"
    "      largest first, oldest first, types by space, temp files by path (--sort orders the\n"
    "      reports that have the column, ascending unless --descending); csv and tsv list the\n"
    "      one report chosen by its flag.\n"
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
    "Every command that scans takes --threads N (1 to 256): how many threads read the disk\n"
    "at once, 1 being a plain walk in order; it overrides $TARVOLIN_SCAN_THREADS. By default\n"
    "eight per core, at most 16; up to 32 beyond those read ahead, but not on a rotating disk.\n"
    "\n"
    "The scan history is $XDG_DATA_HOME/Brelland/Tarvolin/history.sqlite, or\n"
    "$TARVOLIN_HISTORY_DB, or FILE of --db; only --save writes to it.\n"
    "\n"
    "Exit status: 0 success, 1 the scan completed with errors (each on stderr as\n"
    "\"PATH: TEXT (code: N)\"), 2 bad arguments, a path that is not a folder or a relative path\n"
    "while the current folder is gone, 3 no saved scan covers PATH (changes), 4 --save could\n"
    "not save, 130 stopped with Ctrl+C (what was found so far is printed).\n";

}  // namespace

int main(int argc, char** argv) {
    using namespace tarvolin::cli;
    tarvolin::scan::raiseOpenFileLimit();
    std::vector<std::string_view> arguments(argv + 1, argv + argc);
    if (arguments.empty()) {
        std::fputs(kUsage, stderr);
        return kExitUsage;
    }
    const std::string_view command = arguments.front();
    std::vector<std::string_view> rest(arguments.begin() + 1, arguments.end());
    if (!takeThreadsOption(rest)) return kExitUsage;
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
    if (command == "history") return runHistoryCommand(rest, stdout, stderr);
    if (command == "changes") return runChangesCommand(rest, stdout, stderr);
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
