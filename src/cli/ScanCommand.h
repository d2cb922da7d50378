// tarvolin-cli scan: a folder scan printed as the details view lists it.
#pragma once

#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CliOutput.h"
#include "scan/CTarvolinDoc.h"

namespace tarvolin::cli {

struct ScanOptions {
    std::string path;                      // as given; resolved when the command runs
    std::optional<scan::SortKey> sortKey;  // none: scan order
    bool ascending = true;
    bool includeFiles = true;
    OutputFormat format = OutputFormat::Table;
    DelimitedOptions delimited;  // for csv and tsv
};

// Parses the arguments after "scan"; writes the reason to `errors` and returns none when they
// are not valid.
std::optional<ScanOptions> parseScanArguments(const std::vector<std::string_view>& arguments,
                                              std::FILE* errors);

// Runs the scan and prints it; returns the process exit code.
int runScanCommand(const ScanOptions& options, std::FILE* out, std::FILE* errors);

}  // namespace tarvolin::cli
