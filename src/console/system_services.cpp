#include "console/system_services.h"

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <system_error>
#include <thread>
#include <vector>

#include "console/dos_time.h"

#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace platform {
namespace {

// Code page 1252, the usual ANSI code page, for 0x80..0x9F (0 where it has no character).
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178};

char16_t Cp1252ToWide(uint8_t b) {
    if (b >= 0x80 && b < 0xA0) return kCp1252High[b - 0x80] ? kCp1252High[b - 0x80] : b;
    return b;
}

char WideToCp1252(char16_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) return static_cast<char>(c);
    for (int i = 0; i < 32; ++i)
        if (kCp1252High[i] == c) return static_cast<char>(0x80 + i);
    return '?';
}

// UTF-8 for the native file system's names.
std::u16string Utf8ToWide(std::string_view s) {
    std::u16string out;
    for (size_t i = 0; i < s.size();) {
        uint8_t b = static_cast<uint8_t>(s[i]);
        uint32_t cp = 0xFFFD;
        size_t len = b < 0x80 ? 1 : (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
        if (len == 0 || i + len > s.size()) {
            ++i;
        } else {
            cp = len == 1 ? b : b & (0xFF >> (len + 1));
            for (size_t k = 1; k < len; ++k) cp = cp << 6 | (static_cast<uint8_t>(s[i + k]) & 0x3F);
            i += len;
        }
        if (cp >= 0x10000 && cp <= 0x10FFFF) {
            cp -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (cp >> 10));
            out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
        } else {
            out += static_cast<char16_t>(cp > 0x10FFFF ? 0xFFFD : cp);
        }
    }
    return out;
}

char AsciiUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
}

// Wildcard match as the system's directory search does it: * and ?, letter case ignored, and
// "*.*" for every name.
bool WildcardMatch(std::string_view pattern, std::string_view name) {
    if (pattern == "*.*") return true;
    size_t p = 0, n = 0, star = std::string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pattern.size() &&
            (pattern[p] == '?' || AsciiUpper(pattern[p]) == AsciiUpper(name[n]))) {
            ++p;
            ++n;
        } else if (p < pattern.size() && pattern[p] == '*') {
            star = p++;
            mark = n;
        } else if (star != std::string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*') ++p;
    return p == pattern.size();
}

#ifndef _WIN32
int32_t PackedLocal(std::time_t t) {
    std::tm tm{};
#ifdef _WIN32
    localtime_s(&tm, &t);
#else
    localtime_r(&t, &tm);
#endif
    console::DateTime dt{
        static_cast<uint16_t>(tm.tm_year + 1900), static_cast<uint16_t>(tm.tm_mon + 1),
        static_cast<uint16_t>(tm.tm_mday),        static_cast<uint16_t>(tm.tm_hour),
        static_cast<uint16_t>(tm.tm_min),         static_cast<uint16_t>(tm.tm_sec)};
    int32_t packed = 0;
    console::PackTime(dt, packed);
    return packed;
}
#endif

// The default services, made of the C++ library (and POSIX calls natively). Until the platform's
// own are installed a Windows build has no program launch and no file times here.
class StdSystemServices final : public SystemServices {
  public:
    std::optional<std::string> EnvironmentVariable(std::string_view name) override {
        const char* value = std::getenv(std::string(name).c_str());
        if (!value) return std::nullopt;
        return std::string(value);
    }

    std::string FullPath(std::string_view path) override {
        std::error_code ec;
        fs::path full = fs::absolute(fs::path(std::string(path)), ec);
        if (ec) return std::string(path);
        return full.lexically_normal().string();
    }

    std::string CurrentDirectory(uint8_t) override {
        std::error_code ec;
        fs::path cwd = fs::current_path(ec);
        return ec ? std::string() : cwd.string();
    }

    std::u16string CurrentDirectoryW() override { return Utf8ToWide(CurrentDirectory(0)); }

    LocalTime Now() override {
        auto now = std::chrono::system_clock::now();
        std::time_t t = std::chrono::system_clock::to_time_t(now);
        std::tm tm{};
#ifdef _WIN32
        localtime_s(&tm, &t);
#else
        localtime_r(&t, &tm);
#endif
        auto ms =
            std::chrono::duration_cast<std::chrono::milliseconds>(now.time_since_epoch()) % 1000;
        return LocalTime{
            static_cast<uint16_t>(tm.tm_year + 1900), static_cast<uint16_t>(tm.tm_mon + 1),
            static_cast<uint16_t>(tm.tm_mday),        static_cast<uint16_t>(tm.tm_hour),
            static_cast<uint16_t>(tm.tm_min),         static_cast<uint16_t>(tm.tm_sec),
            static_cast<uint16_t>(ms.count())};
    }

    uint64_t FindFirstEntry(std::string_view pattern, DirEntry& entry) override {
        std::string text(pattern);
        size_t cut = text.find_last_of("/\\:");
        std::string folder = cut == std::string::npos ? std::string() : text.substr(0, cut + 1);
        std::string mask = cut == std::string::npos ? text : text.substr(cut + 1);
        std::vector<DirEntry> found;
        std::error_code ec;
        fs::path dir = folder.empty() ? fs::path(".") : fs::path(folder);
        if (!fs::is_directory(dir, ec)) return 0;
        if (WildcardMatch(mask, ".")) {
            found.push_back(FolderEntry(".", dir));
            found.push_back(FolderEntry("..", dir));
        }
        for (fs::directory_iterator it(dir, ec), end; !ec && it != end; it.increment(ec)) {
            std::string name = it->path().filename().string();
            if (WildcardMatch(mask, name)) found.push_back(Describe(name, it->path()));
        }
        std::sort(found.begin() + (WildcardMatch(mask, ".") ? 2 : 0), found.end(),
                  [](const DirEntry& a, const DirEntry& b) { return a.name < b.name; });
        if (found.empty()) return 0;
        uint64_t handle = nextHandle_++;
        searches_[handle] = Search{std::move(found), 0};
        return FindNextEntry(handle, entry) ? handle : 0;
    }

    bool FindNextEntry(uint64_t handle, DirEntry& entry) override {
        auto it = searches_.find(handle);
        if (it == searches_.end() || it->second.next >= it->second.entries.size()) return false;
        entry = it->second.entries[it->second.next++];
        return true;
    }

    void FindClose(uint64_t handle) override {
        searches_.erase(handle);
    }

    int32_t GetFileDosTime(std::FILE* file, int32_t& packed) override {
#ifndef _WIN32
        struct stat st {};
        if (fstat(fileno(file), &st) != 0) return 6;
        packed = PackedLocal(st.st_mtime);
        return 0;
#else
        (void)file;
        packed = 0;
        return 50;  // ERROR_NOT_SUPPORTED
#endif
    }

    int32_t SetFileDosTime(std::FILE* file, int32_t packed) override {
#ifndef _WIN32
        console::DateTime dt;
        console::UnpackTime(packed, dt);
        std::tm tm{};
        tm.tm_year = dt.year - 1900;
        tm.tm_mon = dt.month - 1;
        tm.tm_mday = dt.day;
        tm.tm_hour = dt.hour;
        tm.tm_min = dt.minute;
        tm.tm_sec = dt.second;
        tm.tm_isdst = -1;
        std::time_t t = std::mktime(&tm);
        if (t == static_cast<std::time_t>(-1)) return 87;  // ERROR_INVALID_PARAMETER
        struct timespec times[2] = {{t, 0}, { t, 0 }};
        return futimens(fileno(file), times) == 0 ? 0 : 5;
#else
        (void)file;
        (void)packed;
        return 50;
#endif
    }

    std::u16string CommandLineW() override {
        // The native build reads its own argument list; each argument with a blank is quoted.
        std::ifstream in("/proc/self/cmdline", std::ios::binary);
        std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::string line;
        for (size_t start = 0; start < all.size();) {
            size_t end = all.find('\0', start);
            if (end == std::string::npos) end = all.size();
            std::string arg = all.substr(start, end - start);
            if (!line.empty()) line += ' ';
            line += arg.find(' ') == std::string::npos ? arg : '"' + arg + '"';
            start = end + 1;
        }
        return Utf8ToWide(line);
    }

    std::u16string ModuleFileNameW() override {
        std::error_code ec;
        fs::path exe = fs::read_symlink("/proc/self/exe", ec);
        return ec ? std::u16string() : Utf8ToWide(exe.string());
    }

    std::string WideToAnsi(std::u16string_view text) override {
        std::string out;
        out.reserve(text.size());
        for (char16_t c : text) out += WideToCp1252(c);
        return out;
    }

    std::u16string AnsiToWide(std::string_view text) override {
        std::u16string out;
        out.reserve(text.size());
        for (char c : text) out += Cp1252ToWide(static_cast<uint8_t>(c));
        return out;
    }

    StartedProcess StartProcess(std::u16string_view, uint16_t) override {
        return StartedProcess{false, 50, 0, 0};  // ERROR_NOT_SUPPORTED
    }
    bool ProcessRunning(uint64_t) override {
        return false;
    }
    std::optional<uint32_t> ProcessExitCode(uint64_t) override {
        return std::nullopt;
    }
    void CloseProcessHandle(uint64_t) override {}
    void CloseProcessWindow(uint32_t) override {}
    void WaitForMessageOrProcess(uint64_t) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }

    void Sleep(uint32_t milliseconds) override {
        std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
    }

  private:
    struct Search {
        std::vector<DirEntry> entries;
        size_t next = 0;
    };

    static DirEntry FolderEntry(const std::string& name, const fs::path& dir) {
        DirEntry e = Describe(name, dir);
        e.name = name;
        return e;
    }

    static DirEntry Describe(const std::string& name, const fs::path& path) {
        DirEntry e;
        e.name = name;
        std::error_code ec;
        bool folder = fs::is_directory(path, ec);
        e.attributes = folder ? 0x10 : 0x20;
        if (!name.empty() && name[0] == '.' && name != "." && name != "..") e.attributes |= 0x02;
        auto perms = fs::status(path, ec).permissions();
        if (!ec && (perms & fs::perms::owner_write) == fs::perms::none) e.attributes |= 0x01;
        if (!folder) {
            auto size = fs::file_size(path, ec);
            e.size = ec ? 0 : static_cast<int64_t>(size);
        }
#ifndef _WIN32
        struct stat st {};
        if (stat(path.c_str(), &st) == 0) e.time = PackedLocal(st.st_mtime);
#endif
        return e;
    }

    std::map<uint64_t, Search> searches_;
    uint64_t nextHandle_ = 1;
};

SystemServices* installed = nullptr;

}  // namespace

SystemServices& CurrentSystem() {
    static StdSystemServices fallback;
    return installed ? *installed : fallback;
}

void SetSystemServices(SystemServices* services) {
    installed = services;
}

}  // namespace platform

namespace console {

DosState dosState;

void ResetDosState() {
    dosState = DosState{};
}

namespace {
std::string Cut255(std::string s) {
    if (s.size() > 255) s.resize(255);
    return s;
}
}  // namespace

std::string GetEnv(std::string_view name) {
    return Cut255(platform::CurrentSystem().EnvironmentVariable(name).value_or(std::string()));
}

std::string FExpand(std::string_view path) {
    return Cut255(platform::CurrentSystem().FullPath(path));
}

std::string GetDirPChar(uint8_t drive) {
    return platform::CurrentSystem().CurrentDirectory(drive);
}

std::u16string GetCurrentDirW() {
    return platform::CurrentSystem().CurrentDirectoryW();
}

void GetTime(uint16_t& hour, uint16_t& minute, uint16_t& second, uint16_t& millisecond) {
    platform::LocalTime t = platform::CurrentSystem().Now();
    hour = t.hour;
    minute = t.minute;
    second = t.second;
    millisecond = t.millisecond;
}

void GetDate(uint16_t& year, uint16_t& month, uint16_t& day) {
    platform::LocalTime t = platform::CurrentSystem().Now();
    year = t.year;
    month = t.month;
    day = t.day;
}

std::string AnsiFromWide(std::u16string_view text) {
    return platform::CurrentSystem().WideToAnsi(text);
}

std::u16string WideFromAnsi(std::string_view text) {
    return platform::CurrentSystem().AnsiToWide(text);
}

bool FileIsWritable(const std::string& name) {
    if (name.empty()) return false;
    std::FILE* f = std::fopen(name.c_str(), "r+b");
    if (!f) return false;
    std::fclose(f);
    return true;
}

}  // namespace console
