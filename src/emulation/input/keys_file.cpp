#include "emulation/input/keys_file.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "commands/settings_record.h"
#include "commands/variables.h"
#include "console/messages.h"
#include "emulation/input/macros.h"
#include "ui/message_box.h"

namespace emulation {

namespace {

constexpr uint16_t kMsgDiskOrDirectoryFull = 605;
// File names are short strings.
constexpr size_t kNameCapacity = 255;
// The old text form writes Ctrl-Z as NUL because Ctrl-Z ends a text file.
constexpr int kTextEnd = 26;

void StatusMessageBox(std::string_view text) {
    ui::LangMessageBoxShort(text);
}

constexpr KeysFileHooks kDefaultHooks{StatusMessageBox};

// Where the bytes of a keys file come from.
class ByteInput {
  public:
    // Reads up to count bytes; fewer at the end of the data or on an error.
    virtual size_t Read(uint8_t* buffer, size_t count) = 0;
    virtual bool Failed() const = 0;
    int Get() {
        uint8_t b = 0;
        return Read(&b, 1) == 1 ? b : -1;
    }

  protected:
    ~ByteInput() = default;
};

class MemoryInput final : public ByteInput {
  public:
    explicit MemoryInput(std::span<const uint8_t> bytes) : bytes_(bytes) {}
    size_t Read(uint8_t* buffer, size_t count) override {
        const size_t n = std::min(count, bytes_.size() - at_);
        std::copy_n(bytes_.data() + at_, n, buffer);
        at_ += n;
        return n;
    }
    bool Failed() const override { return false; }

  private:
    std::span<const uint8_t> bytes_;
    size_t at_ = 0;
};

class FileInput final : public ByteInput {
  public:
    explicit FileInput(std::FILE* file) : file_(file) {}
    size_t Read(uint8_t* buffer, size_t count) override {
        return std::fread(buffer, 1, count, file_);
    }
    bool Failed() const override { return std::ferror(file_) != 0; }

  private:
    std::FILE* file_;
};

// The key of an old text line from its first character.
uint16_t OldFormKey(int c) {
    if (c == 0xAA) return 403;
    if (c >= 0xB3 && c <= 0xBA) return static_cast<uint16_t>(c + 210);
    if (c == 0xF2) return 419;
    if (c == 0xFE) return 388;
    if (c >= 0x80) return static_cast<uint16_t>(c + 128);
    if (c == 0) return 26;
    return static_cast<uint16_t>(c);
}

bool ReadTextForm(ByteInput& in, int c) {
    std::string text;
    while (c >= 0 && c != kTextEnd) {
        if (c == '\r' || c == '\n') {  // an empty line defines nothing
            c = in.Get();
            continue;
        }
        const uint16_t key = OldFormKey(c);
        text.clear();
        for (c = in.Get(); c >= 0 && c != '\r' && c != '\n' && c != kTextEnd; c = in.Get()) {
            // Past the longest definition the line only has to be too long.
            if (text.size() > MaxMacroTextLength) continue;
            if (c == 0) {
                text += static_cast<char>(26);
            } else if (c >= 0x80) {
                text += '\0';
                text += static_cast<char>((c + 128) & 0xFF);
            } else {
                text += static_cast<char>(c);
            }
        }
        if (!DefineMacro(key, text, 0, ScopePermanent)) return false;
        if (c == '\r' || c == '\n') c = in.Get();
    }
    return !in.Failed();
}

bool ReadBinaryForm(ByteInput& in) {
    const int version = in.Get();
    if (version < 0) return false;
    if (version != 1 && version != 2) return !in.Failed();
    const size_t headLength = version == 2 ? 5 : 4;
    std::string text;
    for (;;) {
        uint8_t head[5] = {};
        const size_t got = in.Read(head, headLength);
        if (got == 0) return !in.Failed();
        if (got < headLength) return false;
        const auto key = static_cast<uint16_t>(head[0] | head[1] << 8);
        const size_t length = static_cast<size_t>(head[2] | head[3] << 8);
        const uint8_t utf8 = version == 2 && head[4] != 0 ? 1 : 0;
        text.resize(length);
        if (in.Read(reinterpret_cast<uint8_t*>(text.data()), length) < length) return false;
        if (!DefineMacro(key, text, utf8, ScopePermanent)) return false;
    }
}

bool ReadKeys(ByteInput& in) {
    const int first = in.Get();
    if (first < 0) return !in.Failed();
    if (first != 0) return ReadTextForm(in, first);
    return ReadBinaryForm(in);
}

bool AfterBlank(std::string_view name) {
    return name > std::string_view(" ");
}

bool IsRegularFile(const std::string& name) {
    struct stat info {};
    return stat(name.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

// Writes a new file beside the old one and puts it in place only when it is
// complete, so that a full disk never leaves a cut-off keys file.
bool WriteWholeFile(const std::string& name, const std::vector<uint8_t>& bytes) {
    const std::string fresh = name + ".~new";
    std::FILE* file = std::fopen(fresh.c_str(), "wb");
    if (file == nullptr) return false;
    bool complete = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    complete = std::fflush(file) == 0 && complete;
    complete = std::fclose(file) == 0 && complete;
    if (!complete) {
        std::remove(fresh.c_str());
        return false;
    }
    if (std::rename(fresh.c_str(), name.c_str()) == 0) return true;
    // Windows will not rename onto an existing file: the old one steps aside
    // first, so that one of the two copies exists at every moment.
    const std::string old = name + ".~old";
    std::remove(old.c_str());
    if (!IsRegularFile(name) || std::rename(name.c_str(), old.c_str()) != 0) {
        std::remove(fresh.c_str());
        return false;
    }
    if (std::rename(fresh.c_str(), name.c_str()) != 0) {
        std::rename(old.c_str(), name.c_str());
        std::remove(fresh.c_str());
        return false;
    }
    std::remove(old.c_str());
    return true;
}

void StoreKeyFileName(std::string_view name) {
    commands::PString<255>& field = commands::Settings.KeyFileName;
    if (field.View() != name) commands::AssignZeroFilled(field, name);
}

void ClearCurrentSet() {
    MacroList& list = CurrentMacroList();
    for (const auto& [order, nodes] : list)
        for (const MacroRec& node : nodes) Macros.TextBytes -= node.Text.size();
    list.clear();
}

bool LoadKeysFileNamed(std::string path, bool replace) {
    if (path.size() > kNameCapacity) path.resize(kNameCapacity);
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) return false;
    if (replace) {
        if (commands::Settings.KeyFileName.View() != path) {
            Macros.KeysChanged = true;
            StoreKeyFileName(path);
        }
        ClearCurrentSet();
    }
    FileInput input(file);
    const bool ok = ReadKeys(input);
    std::fclose(file);
    if (replace) Macros.KeysChanged = false;
    return ok;
}

// The folder part of a file name, with its separator; empty when none.
std::string FolderOf(std::string_view name) {
    const size_t cut = name.find_last_of("\\/:");
    return cut == std::string_view::npos ? std::string() : std::string(name.substr(0, cut + 1));
}

// A host names a file, not a place: only the last part of the name counts,
// and a name that leads out of the folder is none.
std::string HostFileName(std::string_view name) {
    const size_t cut = name.find_last_of("\\/:");
    if (cut != std::string_view::npos) name.remove_prefix(cut + 1);
    if (name.empty() || name == "." || name == "..") return {};
    return std::string(name);
}

}  // namespace

KeysFileHooks KeysFileServices = kDefaultHooks;

void ResetKeysFileHooks() {
    KeysFileServices = kDefaultHooks;
}

bool ReadKeysDefinitions(std::span<const uint8_t> bytes) {
    MemoryInput input(bytes);
    return ReadKeys(input);
}

std::vector<uint8_t> KeysFileBytes() {
    std::vector<uint8_t> bytes{0, KeysFileVersion};
    for (const auto& [order, nodes] : CurrentMacroList()) {
        for (const MacroRec& node : nodes) {
            if (node.Scope != ScopePermanent) continue;
            const auto length = static_cast<uint16_t>(node.Text.size());
            bytes.push_back(static_cast<uint8_t>(node.Key));
            bytes.push_back(static_cast<uint8_t>(node.Key >> 8));
            bytes.push_back(static_cast<uint8_t>(length));
            bytes.push_back(static_cast<uint8_t>(length >> 8));
            bytes.push_back(node.Utf8);
            bytes.insert(bytes.end(), node.Text.begin(), node.Text.end());
        }
    }
    return bytes;
}

bool LoadKeysFile(std::string_view name, bool replace) {
    if (name.size() > kNameCapacity) name = name.substr(0, kNameCapacity);
    if (!AfterBlank(name)) return false;
    return LoadKeysFileNamed(commands::ExpandVariables(name), replace);
}

bool SaveKeysFile(std::string_view name) {
    if (name.size() > kNameCapacity) name = name.substr(0, kNameCapacity);
    std::string target;
    if (AfterBlank(name)) {
        target = name;
    } else {
        target = commands::Settings.KeyFileName.Str();
        if (target.empty()) target = DefaultKeysFileName;
    }
    StoreKeyFileName(target);
    if (WriteWholeFile(target, KeysFileBytes())) {
        Macros.KeysChanged = false;
        return true;
    }
    if (!RunErrorKeyMacro())
        KeysFileServices.ShowStatusMessage(console::GetMessageText(kMsgDiskOrDirectoryFull, true));
    return false;
}

bool LoadHostKeysFile(std::string_view name) {
    if (Macros.HostSetLoaded) {
        UseSecondKeySet(true);
        return true;
    }
    const std::string fileName = HostFileName(name);
    if (fileName.empty()) return false;
    const std::string userKeysFile = commands::Settings.KeyFileName.Str();
    // Whether the user's own definitions wait to be saved is not the host's
    // to decide: a load of its file must not drop the question at exit.
    const bool userKeysChanged = Macros.KeysChanged;
    UseSecondKeySet(true);
    ClearCurrentSet();
    const bool ok = LoadKeysFileNamed(FolderOf(userKeysFile) + fileName, true);
    StoreKeyFileName(userKeysFile);
    Macros.KeysChanged = userKeysChanged;
    if (!ok && CurrentMacroList().empty()) {
        // Nothing of the host's came: the user's keys stay in use.
        UseSecondKeySet(false);
        return false;
    }
    Macros.HostSetLoaded = true;
    return ok;
}

}  // namespace emulation
