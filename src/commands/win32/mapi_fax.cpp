#include "commands/win32/mapi_fax.h"

#include <string>

#include "console/file_search.h"

namespace commands {

namespace {

// Simple MAPI as its published interface describes it.
using MapiHandle = ULONG_PTR;

struct MapiRecipient {
    ULONG reserved;
    ULONG recipientClass;
    LPSTR name;
    LPSTR address;
    ULONG entryIdSize;
    LPVOID entryId;
};

struct MapiFile {
    ULONG reserved;
    ULONG flags;
    ULONG position;
    LPSTR pathName;
    LPSTR fileName;
    LPVOID fileType;
};

struct MapiMessage {
    ULONG reserved;
    LPSTR subject;
    LPSTR noteText;
    LPSTR messageType;
    LPSTR dateReceived;
    LPSTR conversationId;
    ULONG flags;
    MapiRecipient* originator;
    ULONG recipientCount;
    MapiRecipient* recipients;
    ULONG fileCount;
    MapiFile* files;
};

using MapiLogonFn = ULONG(WINAPI*)(ULONG_PTR uiParam, LPSTR profile, LPSTR password, ULONG flags,
                                   ULONG reserved, MapiHandle* session);
using MapiSendMailFn = ULONG(WINAPI*)(MapiHandle session, ULONG_PTR uiParam, MapiMessage* message,
                                      ULONG flags, ULONG reserved);
using MapiLogoffFn = ULONG(WINAPI*)(MapiHandle session, ULONG_PTR uiParam, ULONG flags,
                                    ULONG reserved);

constexpr ULONG kMapiTo = 1;
constexpr ULONG kMapiLogonUi = 0x1;
constexpr ULONG kMapiDialog = 0x8;
// What a mail library without a logon entry answers a logon with.
constexpr ULONG kMapiNotSupported = 26;

template <typename Fn>
Fn Entry(HMODULE library, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

}  // namespace

MapiFaxState MapiFax;

void ResetMapiFaxState() {
    MapiFax = MapiFaxState{};
}

void MapiErrorBox(HWND window, const std::string& text) {
    MapiFax.messageBox(window, text.c_str(), "ozmel", MB_SETFOREGROUND);
}

void MapiSendFax(HWND window, const char* number, const char* file, const char* profile) {
    if (number == nullptr || file == nullptr || profile == nullptr) return;
    HMODULE library = LoadLibraryA(MapiFax.libraryName.c_str());
    if (library == nullptr) {
        MapiErrorBox(window, "Mapi32.DLL not found");
        return;
    }
    const auto logon = Entry<MapiLogonFn>(library, "MAPILogon");
    const auto sendMail = Entry<MapiSendMailFn>(library, "MAPISendMail");
    const auto logoff = Entry<MapiLogoffFn>(library, "MAPILogoff");
    if (sendMail == nullptr) {
        MapiErrorBox(window, "MapiSendMail not found");
        FreeLibrary(library);
        return;
    }

    const auto uiParam = reinterpret_cast<ULONG_PTR>(window);
    std::string profileName(profile);
    MapiHandle session = 0;
    bool sessionOpen = false;
    if (!profileName.empty()) {
        const ULONG result =
            logon ? logon(uiParam, profileName.data(), nullptr, kMapiLogonUi, 0, &session)
                  : kMapiNotSupported;
        if (result != 0) {
            MapiErrorBox(window, "MapiLogon error " + std::to_string(result));
            FreeLibrary(library);
            return;
        }
        sessionOpen = true;
    }

    std::string subject = "Test subject";
    std::string note;
    std::string recipientName = "Custom fax";
    std::string address = std::string("FAX:") + number;
    std::string path(file);
    std::string folder, name, ext;
    console::FSplit(path, folder, name, ext);
    name += ext;
    MapiRecipient recipient{0, kMapiTo, recipientName.data(), address.data(), 0, nullptr};
    MapiFile attachment{0, 0, 0xFFFFFFFF, path.data(), name.data(), nullptr};
    MapiMessage message{};
    message.subject = subject.data();
    message.noteText = note.data();
    message.recipientCount = 1;
    message.recipients = &recipient;
    message.fileCount = 1;
    message.files = &attachment;

    const ULONG flags = profileName.empty() ? kMapiLogonUi | kMapiDialog : 0;
    const ULONG result = sendMail(sessionOpen ? session : 0, uiParam, &message, flags, 0);
    if (result != 0) MapiErrorBox(window, "MapiSendMail error " + std::to_string(result));

    if (sessionOpen && logoff != nullptr) logoff(session, uiParam, 0, 0);
    FreeLibrary(library);
}

}  // namespace commands
