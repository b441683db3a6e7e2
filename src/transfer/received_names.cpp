#include "transfer/received_names.h"

#include <array>

#include "transfer/transfer_files.h"
#include "transfer/transfer_tools.h"

namespace transfer {

namespace {

bool IsDeviceName(std::string_view name) {
    // The device is the part before the first dot; trailing blanks do not count.
    std::string base = UpperCaseName(name.substr(0, name.find('.')));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    static constexpr std::array<std::string_view, 7> kPlain = {"CON",    "PRN",     "AUX",   "NUL",
                                                               "CONIN$", "CONOUT$", "CLOCK$"};
    for (std::string_view d : kPlain)
        if (base == d) return true;
    if (base.size() == 4 && (base.starts_with("COM") || base.starts_with("LPT")) &&
        base[3] >= '0' && base[3] <= '9')
        return true;
    return false;
}

}  // namespace

std::string SafeReceivedName(std::string_view hostName) {
    const size_t cut = hostName.find_last_of("/\\");
    std::string_view name = cut == std::string_view::npos ? hostName : hostName.substr(cut + 1);
    // A drive in front ("C:NAME") goes with the folders.
    if (name.size() >= 2 && name[1] == ':') name.remove_prefix(2);
    std::string safe;
    for (char ch : name) {
        const unsigned char c = static_cast<unsigned char>(ch);
        if (c < 0x20 || c == 0x7F || ch == ':' || ch == '<' || ch == '>' || ch == '"' ||
            ch == '|' || ch == '?' || ch == '*')
            safe += '_';
        else
            safe += ch;
    }
    // Windows drops trailing dots and blanks, which would make two names one.
    while (!safe.empty() && (safe.back() == '.' || safe.back() == ' ')) safe.pop_back();
    size_t lead = 0;
    while (lead < safe.size() && safe[lead] == ' ') ++lead;
    safe.erase(0, lead);
    if (safe.empty()) return {};
    if (IsDeviceName(safe)) safe.insert(safe.begin(), '_');
    return safe;
}

std::string JoinFolder(std::string_view folder, std::string_view name) {
    if (folder.empty()) return std::string(name);
    const char last = folder.back();
    if (last == '/' || last == '\\' || last == ':') return std::string(folder) + std::string(name);
    const bool slashes =
        folder.find('/') != std::string_view::npos && folder.find('\\') == std::string_view::npos;
    return std::string(folder) + (slashes ? '/' : '\\') + std::string(name);
}

bool RenameExistingFile(const std::string& name) {
    std::string candidate = name;
    for (int tries = 0; tries < 19; ++tries) {
        candidate += '$';
        if (candidate.size() > 255) return false;
        // Only a free name is taken: a rename onto a taken one would lose
        // that file on systems where rename replaces.
        if (TransferFileExists(candidate)) continue;
        return TransferFiles().Rename(name, candidate) == kIoOk;
    }
    return false;
}

}  // namespace transfer
