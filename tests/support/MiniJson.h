// MiniJson: a small JSON reader for checking what the programs print.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace tarvolin::test {

// Strings come back as raw bytes: \udc80-\udcff escapes turn back into the byte they stand for,
// other escapes into UTF-8. Throws std::runtime_error on malformed input.
struct Json {
    enum class Kind { Null, Bool, Number, String, Array, Object } kind = Kind::Null;
    bool boolean = false;
    double number = 0;
    std::string text;
    std::vector<Json> items;
    std::map<std::string, Json> fields;

    static Json parse(const std::string& input);
    const Json& operator[](const std::string& key) const;  // throws when absent
    const Json& operator[](std::size_t index) const { return items.at(index); }
    std::int64_t integer() const { return static_cast<std::int64_t>(number); }
};

}  // namespace tarvolin::test
