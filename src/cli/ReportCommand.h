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
};

// Parses the arguments after "report": PATH [--largest] [--oldest] [--types] [--temp]
// [--format table|json|csv|tsv] [--quote] [--no-headers] [--mask TEXT]. Without a report flag
// all four are chosen; csv and tsv take exactly one, since a delimited file holds one table.
// Writes the reason to `errors` and returns none when the arguments are not valid.
std::optional<ReportOptions> parseReportArguments(const std::vector<std::string_view>& arguments,
                                                  std::FILE* errors);

// Runs the report scan and prints the chosen reports in the order of the pages (largest,
// oldest, file types, temp files), rows as right after a refresh; returns the exit code.
int runReportCommand(const ReportOptions& options, std::FILE* out, std::FILE* errors);

}  // namespace tarvolin::cli
