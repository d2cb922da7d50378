// readDelimited: delimited text read back by Python's csv module, a reader independent of ours.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace tarvolin::test {

// The rows Python's csv.reader finds in `text` with `delimiter`; bytes that are not UTF-8 come
// back as they were. None when python3 cannot be run.
std::optional<std::vector<std::vector<std::string>>> readDelimited(const std::string& text,
                                                                   char delimiter);

}  // namespace tarvolin::test
