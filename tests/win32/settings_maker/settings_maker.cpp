// Settings maker: writes the compiled-in default settings record to the file named by the first
// argument, after applying NAME=VALUE arguments for the few fields the end to end tests set.
// Exit status 0 when the file was written, 2 for an unknown or malformed argument.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "commands/settings_record.h"

namespace {

bool ParseByte(std::string_view text, uint8_t& out) {
    if (text.empty() || text.size() > 3) return false;
    unsigned value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (value > 255) return false;
    out = static_cast<uint8_t>(value);
    return true;
}

bool Apply(commands::SettingsRecord& r, std::string_view name, std::string_view value) {
    if (name == "ReconnectMode") return ParseByte(value, r.ReconnectMode);
    if (name == "SaveMode") return ParseByte(value, r.SaveMode);
    if (name == "StatusLine") return ParseByte(value, r.StatusLine);
    if (name == "AllowAccelerators") return ParseByte(value, r.AllowAccelerators);
    if (name == "KeyFileName") {
        commands::AssignZeroFilled(r.KeyFileName, value);
        return value.size() <= r.KeyFileName.Capacity;
    }
    if (name == "CharsetKind") return ParseByte(value, r.CharsetKind);
    if (name == "RemoteCmd11") return ParseByte(value, r.RemoteCmd11);
    if (name == "XferDebug") return ParseByte(value, r.XferDebug);
    if (name == "DownloadLock") return ParseByte(value, r.DownloadLock);
    if (name == "DownloadDir") {
        r.DownloadDir = std::string(value);
        return value.size() <= 255;
    }
    if (name == "JumpScroll") {
        uint8_t speed = 0;
        if (!ParseByte(value, speed)) return false;
        r.JumpScroll.Set(speed);
        return true;
    }
    if (name == "CodePage") {
        uint32_t set = 0;
        if (value.empty() || value.size() > 10) return false;
        for (char c : value) {
            if (c < '0' || c > '9') return false;
            set = set * 10 + static_cast<uint32_t>(c - '0');
        }
        r.CodePage.Set(set);
        return true;
    }
    if (name == "ZmodemAutoReceive") return ParseByte(value, r.ZmodemAutoReceive);
    if (name == "DownloadDir") {
        r.DownloadDir = std::string(value);
        return value.size() <= 255;
    }
    if (name == "TerminalType") {
        r.TerminalType = std::string(value);
        return value.size() <= 20;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: vz_settings_maker FILE [NAME=VALUE...]\n");
        return 2;
    }
    commands::SettingsRecord record = commands::DefaultSettings();
    for (int i = 2; i < argc; ++i) {
        std::string_view arg(argv[i]);
        size_t eq = arg.find('=');
        if (eq == std::string_view::npos || !Apply(record, arg.substr(0, eq), arg.substr(eq + 1))) {
            std::fprintf(stderr, "vz_settings_maker: cannot apply %s\n", argv[i]);
            return 2;
        }
    }
    FILE* f = std::fopen(argv[1], "wb");
    if (!f) {
        std::fprintf(stderr, "vz_settings_maker: cannot create %s\n", argv[1]);
        return 1;
    }
    bool written = std::fwrite(&record, sizeof record, 1, f) == 1;
    written = std::fclose(f) == 0 && written;
    return written ? 0 : 1;
}
