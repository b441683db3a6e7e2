#pragma once
// Multi-line texts kept in one string with LF between the lines (none after the last). An empty
// text has no lines; a text ending in LF has an empty last line.

#include <string>
#include <string_view>

namespace console {

template <typename Char>
size_t LineCount(std::basic_string_view<Char> text);
// Line n (1-based) without its LF; empty when there is no such line.
template <typename Char>
std::basic_string<Char> LineOfText(std::basic_string_view<Char> text, size_t n);
// Puts the line before line n (n up to 1: in front); after the end when the text has fewer lines.
template <typename Char>
void InsertLineAt(std::basic_string_view<Char> line, std::basic_string<Char>& text, size_t n);
// Puts the line before the first line that sorts after it, letter case ignored (after equal lines).
template <typename Char>
void InsertLineSorted(std::basic_string_view<Char> line, std::basic_string<Char>& text);

// Byte texts and wide texts are both kept this way.
inline size_t LineCount(std::string_view text) {
    return LineCount<char>(text);
}
inline size_t LineCount(std::u16string_view text) {
    return LineCount<char16_t>(text);
}
inline std::string LineOfText(std::string_view text, size_t n) {
    return LineOfText<char>(text, n);
}
inline std::u16string LineOfText(std::u16string_view text, size_t n) {
    return LineOfText<char16_t>(text, n);
}
inline void InsertLineAt(std::string_view line, std::string& text, size_t n) {
    InsertLineAt<char>(line, text, n);
}
inline void InsertLineAt(std::u16string_view line, std::u16string& text, size_t n) {
    InsertLineAt<char16_t>(line, text, n);
}
inline void InsertLineSorted(std::string_view line, std::string& text) {
    InsertLineSorted<char>(line, text);
}
inline void InsertLineSorted(std::u16string_view line, std::u16string& text) {
    InsertLineSorted<char16_t>(line, text);
}

}  // namespace console
