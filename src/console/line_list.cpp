#include "console/line_list.h"

#include <algorithm>

namespace console {

namespace {

template <typename Char>
constexpr Char kLf = static_cast<Char>(10);

template <typename Char>
Char Upper(Char c) {
    return c >= Char('a') && c <= Char('z') ? static_cast<Char>(c - 32) : c;
}

// True when a sorts after b with letter case ignored.
template <typename Char>
bool SortsAfter(std::basic_string_view<Char> a, std::basic_string_view<Char> b) {
    return std::lexicographical_compare(b.begin(), b.end(), a.begin(), a.end(), [](Char x, Char y) {
        return static_cast<uint32_t>(Upper(x)) < static_cast<uint32_t>(Upper(y));
    });
}

// Offset of the start of line n (1-based), or npos when the text has fewer lines.
template <typename Char>
size_t LineStart(std::basic_string_view<Char> text, size_t n) {
    size_t pos = 0;
    for (size_t line = 1; line < n; ++line) {
        pos = text.find(kLf<Char>, pos);
        if (pos == std::basic_string_view<Char>::npos) return pos;
        ++pos;
    }
    return pos;
}

}  // namespace

template <typename Char>
size_t LineCount(std::basic_string_view<Char> text) {
    if (text.empty()) return 0;
    return 1 + static_cast<size_t>(std::count(text.begin(), text.end(), kLf<Char>));
}

template <typename Char>
std::basic_string<Char> LineOfText(std::basic_string_view<Char> text, size_t n) {
    if (n < 1 || text.empty()) return {};
    size_t start = LineStart(text, n);
    if (start == std::basic_string_view<Char>::npos) return {};
    size_t end = text.find(kLf<Char>, start);
    return std::basic_string<Char>(text.substr(start, end == text.npos ? text.npos : end - start));
}

template <typename Char>
void InsertLineAt(std::basic_string_view<Char> lineView, std::basic_string<Char>& text, size_t n) {
    const std::basic_string<Char> line(lineView);  // the line may be a view into the text
    // An empty text takes the line alone, without a line end that would add an empty line.
    if (text.empty()) {
        text.assign(line);
        return;
    }
    std::basic_string<Char> withLf(line);
    withLf += kLf<Char>;
    if (n <= 1) {
        text.insert(0, withLf);
        return;
    }
    size_t start = LineStart(std::basic_string_view<Char>(text), n);
    if (start != std::basic_string<Char>::npos) {
        text.insert(start, withLf);
    } else {
        text += kLf<Char>;
        text.append(line);
    }
}

template <typename Char>
void InsertLineSorted(std::basic_string_view<Char> lineView, std::basic_string<Char>& text) {
    const std::basic_string<Char> line(lineView);  // the line may be a view into the text
    if (text.empty()) {
        text.assign(line);
        return;
    }
    std::basic_string_view<Char> view(text);
    for (size_t pos = 0; pos <= view.size();) {
        size_t end = view.find(kLf<Char>, pos);
        size_t stop = end == view.npos ? view.size() : end;
        if (SortsAfter(view.substr(pos, stop - pos), std::basic_string_view<Char>(line))) {
            std::basic_string<Char> withLf(line);
            withLf += kLf<Char>;
            text.insert(pos, withLf);
            return;
        }
        if (end == view.npos) break;
        pos = end + 1;
    }
    text += kLf<Char>;
    text.append(line);
}

template size_t LineCount<char>(std::string_view);
template size_t LineCount<char16_t>(std::u16string_view);
template std::string LineOfText<char>(std::string_view, size_t);
template std::u16string LineOfText<char16_t>(std::u16string_view, size_t);
template void InsertLineAt<char>(std::string_view, std::string&, size_t);
template void InsertLineAt<char16_t>(std::u16string_view, std::u16string&, size_t);
template void InsertLineSorted<char>(std::string_view, std::string&);
template void InsertLineSorted<char16_t>(std::u16string_view, std::u16string&);

}  // namespace console
