#pragma once
// Directory search with a DOS-style search record, and path splitting.

#include <cstdint>
#include <string>
#include <string_view>

namespace console {

// DOS attribute bits of directory entries and search requests.
inline constexpr uint16_t faReadOnly = 0x01;
inline constexpr uint16_t faHidden = 0x02;
inline constexpr uint16_t faSysFile = 0x04;
inline constexpr uint16_t faVolumeId = 0x08;
inline constexpr uint16_t faDirectory = 0x10;
inline constexpr uint16_t faArchive = 0x20;
inline constexpr uint16_t faAnyFile = 0x3F;

// The found entry and the open search; all zero when no search is open.
struct SearchRec {
    std::string Name;
    int64_t Size = 0;
    uint8_t Attr = 0;
    int32_t Time = 0;          // DOS packed date-time
    uint16_t ExcludeAttr = 0;  // hidden, system, volume and folder kinds not asked for
    uint64_t FindHandle = 0;   // 0: no open search
};

// The first entry of the path (which may hold wildcards) whose kind the attributes allow; an entry
// that is hidden, system, a volume label or a folder is found only when its bit is asked for.
// DosError 0, or 18 with the record closed and cleared.
void FindFirst(std::string_view path, uint16_t attributes, SearchRec& rec);
// The next entry; DosError 0, or 18 with the record closed and cleared.
void FindNext(SearchRec& rec);
// Ends an open search and clears the record.
void FindClose(SearchRec& rec);

// Splits a path into its folder (with the trailing separator), name and extension ("." included),
// each cut to its maximum length; the name loses the extension.
void FSplit(std::string_view path, std::string& dir, std::string& name, std::string& ext,
            size_t dirMax = 255, size_t nameMax = 255, size_t extMax = 255);
// The same split into whichever parts are wanted (a null pointer skips a part).
void FileSplitPChar(const char* path, std::string* dir, std::string* name, std::string* ext);

}  // namespace console
