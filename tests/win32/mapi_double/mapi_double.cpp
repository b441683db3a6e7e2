// A stand-in for the system's Simple MAPI library: it writes each call it
// gets, one line per call, to the file named by VZ_MAPI_LOG and answers with
// the results named by VZ_MAPI_LOGON_RESULT and VZ_MAPI_SEND_RESULT.
// Built without VZ_DOUBLE_SEND it lacks MAPISendMail.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct Recipient {
    ULONG reserved;
    ULONG recipientClass;
    LPSTR name;
    LPSTR address;
    ULONG entryIdSize;
    LPVOID entryId;
};

struct File {
    ULONG reserved;
    ULONG flags;
    ULONG position;
    LPSTR pathName;
    LPSTR fileName;
    LPVOID fileType;
};

struct Message {
    ULONG reserved;
    LPSTR subject;
    LPSTR noteText;
    LPSTR messageType;
    LPSTR dateReceived;
    LPSTR conversationId;
    ULONG flags;
    Recipient* originator;
    ULONG recipientCount;
    Recipient* recipients;
    ULONG fileCount;
    File* files;
};

constexpr ULONG_PTR kSession = 0x5E55;

std::string Env(const char* name) {
    char buffer[1024];
    const DWORD n = GetEnvironmentVariableA(name, buffer, sizeof buffer);
    return n > 0 && n < sizeof buffer ? std::string(buffer, n) : std::string();
}

ULONG Result(const char* name) {
    return static_cast<ULONG>(std::strtoul(Env(name).c_str(), nullptr, 10));
}

void Log(const std::string& line) {
    const std::string path = Env("VZ_MAPI_LOG");
    if (path.empty()) return;
    if (std::FILE* f = std::fopen(path.c_str(), "ab")) {
        std::fputs((line + "\n").c_str(), f);
        std::fclose(f);
    }
}

std::string Text(const char* s) {
    return s ? s : "(null)";
}

}  // namespace

extern "C" {

__declspec(dllexport) ULONG WINAPI
    MAPILogon(ULONG_PTR ui, LPSTR profile, LPSTR password, ULONG flags, ULONG, ULONG_PTR* session) {
    const ULONG result = Result("VZ_MAPI_LOGON_RESULT");
    Log("logon profile=" + Text(profile) + " password=" + Text(password) +
        " flags=" + std::to_string(flags) + " ui=" + (ui ? "window" : "none"));
    if (result == 0) *session = kSession;
    return result;
}

#ifdef VZ_DOUBLE_SEND
__declspec(dllexport) ULONG WINAPI
    MAPISendMail(ULONG_PTR session, ULONG_PTR, Message* m, ULONG flags, ULONG) {
    std::string line = "send session=" + std::to_string(session) +
                       " flags=" + std::to_string(flags) + " subject=" + Text(m->subject) +
                       " note=" + Text(m->noteText) +
                       " recipients=" + std::to_string(m->recipientCount) +
                       " files=" + std::to_string(m->fileCount);
    if (m->recipientCount >= 1 && m->recipients)
        line += " class=" + std::to_string(m->recipients[0].recipientClass) +
                " name=" + Text(m->recipients[0].name) +
                " address=" + Text(m->recipients[0].address);
    if (m->fileCount >= 1 && m->files)
        line += " position=" + std::to_string(m->files[0].position) +
                " path=" + Text(m->files[0].pathName) + " file=" + Text(m->files[0].fileName);
    Log(line);
    return Result("VZ_MAPI_SEND_RESULT");
}
#endif

__declspec(dllexport) ULONG WINAPI MAPILogoff(ULONG_PTR session, ULONG_PTR, ULONG flags, ULONG) {
    Log("logoff session=" + std::to_string(session) + " flags=" + std::to_string(flags));
    return 0;
}

}  // extern "C"
