// Sends WM_COMMREQUEST to a window from another process, as programs that
// drive the terminal's connection do.
//   comm_request_client WINDOW OUTFILE FUNCTION:ARGUMENT ...
// WINDOW is the window handle in decimal; each answer goes to OUTFILE on a
// line of its own ("timeout" when the window did not answer).
#include <windows.h>

#include <cstdio>
#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 3) return 2;
    HWND window =
        reinterpret_cast<HWND>(static_cast<uintptr_t>(std::strtoull(argv[1], nullptr, 10)));
    std::FILE* out = std::fopen(argv[2], "w");
    if (!out) return 3;
    for (int i = 3; i < argc; ++i) {
        char* rest = nullptr;
        unsigned long function = std::strtoul(argv[i], &rest, 10);
        long long argument = (rest && *rest == ':') ? std::strtoll(rest + 1, nullptr, 10) : 0;
        DWORD_PTR result = 0;
        if (SendMessageTimeoutW(window, WM_USER + 100, function, static_cast<LPARAM>(argument),
                                SMTO_NORMAL, 10000, &result)) {
            std::fprintf(out, "%lld\n", static_cast<long long>(static_cast<LRESULT>(result)));
        } else {
            std::fprintf(out, "timeout\n");
        }
    }
    std::fclose(out);
    return 0;
}
