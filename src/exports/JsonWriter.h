// JsonWriter: one JSON document written straight to a stream.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <type_traits>

namespace tarvolin::exports {

// Quotes `text` as a JSON string. Bytes that are not part of valid UTF-8 become \udc80-\udcff
// (the surrogateescape convention), so names that are not UTF-8 can be recovered byte for byte.
std::string jsonQuoted(std::string_view text);

// Writes compact JSON to `out`; keys and values are added in order and commas placed for the
// caller. The caller checks the stream for errors once at the end.
class JsonWriter {
public:
    explicit JsonWriter(std::FILE* out) : m_out(out) {}

    void beginObject();
    void endObject();
    void beginArray(std::string_view key);
    void endArray();
    void field(std::string_view key, std::string_view value);
    void field(std::string_view key, const char* value) { field(key, std::string_view(value)); }
    void field(std::string_view key, bool value);
    template <class Integer>
    requires(std::is_integral_v<Integer> &&
             !std::is_same_v<Integer, bool>) void field(std::string_view key, Integer value) {
        number(key, static_cast<std::int64_t>(value));
    }

private:
    void separate();
    void key(std::string_view name);
    void number(std::string_view key, std::int64_t value);

    std::FILE* m_out;
    bool m_needComma = false;
};

}  // namespace tarvolin::exports
