// tarvolin-cli report: the four file reports of a report scan, as the report pages list them.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliOutput.h"

namespace tarvolin::cli {

struct ReportOptions {
    std::string path;  // as given; resolved when the command runs
    bool largest = false;
    bool oldest = false;
    bool types = false;
    bool temp = false;
    OutputFormat format = OutputFormat::Table;
    DelimitedOptions delimited;       // for csv and tsv
    std::optional<std::string> mask;  // none: the default temp file mask
    // A column of a chosen report: name, number, size, date, path, type, ext, count or space;
    // a report without it keeps its own order. None: each report's own order.
    std::optional<std::string> sortColumn;
    std::optional<bool> ascending;  // none: ascending with sortColumn, else each report's own
};

// Parses the arguments after "report": PATH [--largest] [--oldest] [--types] [--temp]
// [--format table|json|csv|tsv] [--quote] [--no-headers] [--mask TEXT] [--sort COLUMN]
// [--ascending|--descending]. Without a report flag all four are chosen; csv and tsv take
// exactly one, since a delimited file holds one table. Writes the reason to `errors` and
// returns none when the arguments are not valid.
std::optional<ReportOptions> parseReportArguments(const std::vector<std::string_view>& arguments,
                                                  std::FILE* errors);

// Runs the report scan and prints the chosen reports in the order of the pages (largest,
// oldest, file types, temp files); returns the exit code. A terminal has no header to click,
// so the rows come sorted: largest files largest first, oldest files oldest first, file types
// by space (largest first), temp files by path; each largest file keeps its "#".
int runReportCommand(const ReportOptions& options, std::FILE* out, std::FILE* errors);

}  // namespace tarvolin::cli
