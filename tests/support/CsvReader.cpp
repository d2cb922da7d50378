#include "support/CsvReader.h"

#include <unistd.h>

#include <cstdio>
#include <fstream>

#include "support/MiniJson.h"
#include "support/RunProcess.h"

namespace tarvolin::test {

std::optional<std::vector<std::vector<std::string>>> readDelimited(const std::string& text,
                                                                   char delimiter) {
    char name[] = "/tmp/tarvolin-csv-XXXXXX";
    const int fd = mkstemp(name);
    if (fd < 0) return std::nullopt;
    close(fd);
    std::ofstream(name, std::ios::binary) << text;
    const std::string script =
        "import csv, json, sys\n"
        "with open(sys.argv[1], encoding='utf-8', errors='surrogateescape', newline='') as f:\n"
        "    print(json.dumps(list(csv.reader(f, delimiter=sys.argv[2]))))\n";
    const ProcessResult run =
        runProcess({"/usr/bin/python3", "-c", script, name, std::string(1, delimiter)});
    std::remove(name);
    if (run.exitCode != 0) return std::nullopt;
    std::vector<std::vector<std::string>> rows;
    for (const Json& row : Json::parse(run.out).items) {
        rows.emplace_back();
        for (const Json& cell : row.items)
            rows.back().push_back(cell.text);
    }
    return rows;
}

}  // namespace tarvolin::test
