#include "ui/dialogs/dialog_model.h"

#include <algorithm>
#include <cctype>

namespace ui {

std::vector<std::string> SplitChoices(std::string_view text) {
    std::vector<std::string> out;
    size_t start = 0;
    while (start <= text.size()) {
        const size_t bar = text.find('|', start);
        const size_t end = bar == std::string_view::npos ? text.size() : bar;
        out.emplace_back(text.substr(start, end - start));
        if (bar == std::string_view::npos) break;
        start = bar + 1;
    }
    return out;
}

std::optional<uint32_t> UnsignedNumber(std::string_view text) {
    while (!text.empty() && text.front() == ' ') text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    if (text.empty() || text.size() > 10) return std::nullopt;
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<uint32_t>(value);
}

std::string Upper(std::string_view text) {
    std::string out(text);
    for (char& c : out) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return out;
}

int FindEntry(const std::vector<std::string>& entries, std::string_view text) {
    const std::string wanted = Upper(text);
    for (size_t i = 0; i < entries.size(); ++i)
        if (Upper(entries[i]) == wanted) return static_cast<int>(i);
    return -1;
}

std::string FormatMessage(std::string_view pattern, const std::vector<std::string>& args) {
    std::string out;
    for (size_t i = 0; i < pattern.size(); ++i) {
        if (pattern[i] == '%' && i + 3 < pattern.size() && pattern[i + 2] == ':' &&
            std::isdigit(static_cast<unsigned char>(pattern[i + 1]))) {
            const size_t n = static_cast<size_t>(pattern[i + 1] - '0');
            out += n < args.size() ? args[n] : std::string();
            i += 3;
            continue;
        }
        out.push_back(pattern[i]);
    }
    return out;
}

}  // namespace ui
