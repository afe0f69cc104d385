// Printable forms of bytes and UTF-16 units, for the text tests' failure messages.
#ifndef OLVAN_TESTS_TEXT_HEX_H
#define OLVAN_TESTS_TEXT_HEX_H

#include <cstdio>
#include <string>
#include <type_traits>

namespace olvan_test {

// Each value in hex, two digits a byte and four a unit, a blank after each.
template <typename Text>
std::string hex_of(const Text &values) {
    std::string out;
    char buffer[8];
    for (auto value : values) {
        const auto number = static_cast<unsigned>(static_cast<std::make_unsigned_t<decltype(value)>>(value));
        std::snprintf(buffer, sizeof buffer, sizeof value == 1 ? "%02X " : "%04X ", number);
        out += buffer;
    }
    return out;
}

inline std::string hex(const std::string &bytes) { return hex_of(bytes); }
inline std::string hex(const std::u16string &units) { return hex_of(units); }

}  // namespace olvan_test

#endif
