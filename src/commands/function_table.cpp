#include "commands/function_table.h"

namespace commands {
namespace {

constexpr bool IsTableSorted() {
    // Strictly ascending bytes; std::string_view compares as unsigned bytes
    // with a prefix sorting first, which is the order the lookup relies on.
    for (std::size_t k = 1; k < FunctionTableSize; ++k)
        if (!(FunctionTable[k - 1].Name < FunctionTable[k].Name)) return false;
    return true;
}

constexpr bool AreNamesWellFormed() {
    for (std::size_t k = 1; k <= FunctionCount; ++k) {
        const FunctionEntry& entry = FunctionTable[k];
        if (entry.Name.empty() || entry.Name.size() > 15) return false;
        if (entry.Code < 1 || entry.Code > LastFunctionCode) return false;
        for (char c : entry.Name)
            if (c >= 'a' && c <= 'z') return false;
    }
    return true;
}

static_assert(FunctionTable.front().Name.empty() && FunctionTable.front().Code == 0);
static_assert(FunctionTable.back().Name == "~~~~~~~~~~~~~");
static_assert(IsTableSorted(), "the lookup needs the names in ascending byte order");
static_assert(AreNamesWellFormed());

// The first `length` bytes of name (all of it when it is shorter).
constexpr std::string_view Head(std::string_view name, std::size_t length) {
    return name.substr(0, length);
}

}  // namespace

bool IsAbbreviation(std::string_view word, std::string_view name) {
    return !word.empty() && name.starts_with(word);
}

int LookupFunction(std::string_view word) {
    // A walk in table order: the first name whose beginning sorts above the
    // word ends the search, and a name that begins with the word is taken
    // only when the name before it sorts below the word and the name after
    // it does not begin with it too; the guards make both neighbours exist.
    for (int k = 1; k <= FunctionCount; ++k) {
        const std::string_view name = FunctionTable[k].Name;
        if (word < Head(name, word.size())) return NoFunction;
        if (word > FunctionTable[k - 1].Name && IsAbbreviation(word, name) &&
            !IsAbbreviation(word, FunctionTable[k + 1].Name))
            return k;
        if (word == name) return k;
    }
    return NoFunction;
}

}  // namespace commands
