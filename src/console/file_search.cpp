#include "console/file_search.h"

#include "console/system_services.h"

namespace console {

namespace {

constexpr int32_t kNoMoreFiles = 18;
constexpr uint16_t kSpecialKinds = faHidden | faSysFile | faVolumeId | faDirectory;

void TakeEntry(const platform::DirEntry& entry, SearchRec& rec) {
    rec.Name = entry.name;
    rec.Size = entry.size;
    rec.Attr = entry.attributes;
    rec.Time = entry.time;
}

// Moves on from the entry at hand to the first one whose kind is allowed.
bool SkipExcluded(platform::DirEntry& entry, SearchRec& rec) {
    auto& system = platform::CurrentSystem();
    while (entry.attributes & rec.ExcludeAttr) {
        if (!system.FindNextEntry(rec.FindHandle, entry)) return false;
    }
    TakeEntry(entry, rec);
    return true;
}

void EndSearch(SearchRec& rec) {
    dosState.DosError = kNoMoreFiles;
    FindClose(rec);
}

}  // namespace

void FindClose(SearchRec& rec) {
    if (rec.FindHandle != 0) platform::CurrentSystem().FindClose(rec.FindHandle);
    rec = SearchRec{};
}

void FindFirst(std::string_view path, uint16_t attributes, SearchRec& rec) {
    FindClose(rec);
    rec.ExcludeAttr = static_cast<uint16_t>(~attributes & kSpecialKinds);
    platform::DirEntry entry;
    rec.FindHandle = platform::CurrentSystem().FindFirstEntry(path, entry);
    if (rec.FindHandle == 0 || !SkipExcluded(entry, rec)) {
        EndSearch(rec);
        return;
    }
    dosState.DosError = 0;
}

void FindNext(SearchRec& rec) {
    platform::DirEntry entry;
    if (rec.FindHandle == 0 || !platform::CurrentSystem().FindNextEntry(rec.FindHandle, entry) ||
        !SkipExcluded(entry, rec)) {
        EndSearch(rec);
        return;
    }
    dosState.DosError = 0;
}

void FSplit(std::string_view path, std::string& dir, std::string& name, std::string& ext,
            size_t dirMax, size_t nameMax, size_t extMax) {
    size_t cut = path.find_last_of("\\/:");
    std::string_view d =
        cut == std::string_view::npos ? std::string_view() : path.substr(0, cut + 1);
    std::string_view n = cut == std::string_view::npos ? path : path.substr(cut + 1);
    size_t dot = n.rfind('.');
    std::string_view e = dot == std::string_view::npos ? std::string_view() : n.substr(dot);
    if (!e.empty()) n.remove_suffix(e.size());
    dir.assign(d.substr(0, dirMax));
    name.assign(n.substr(0, nameMax));
    ext.assign(e.substr(0, extMax));
}

void FileSplitPChar(const char* path, std::string* dir, std::string* name, std::string* ext) {
    std::string d, n, e;
    FSplit(path ? std::string_view(path) : std::string_view(), d, n, e);
    if (dir) *dir = d;
    if (name) *name = n;
    if (ext) *ext = e;
}

}  // namespace console
