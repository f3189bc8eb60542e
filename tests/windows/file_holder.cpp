// A test helper for the Wine tests of tarvel-rc.exe: does to a file what
// another Windows program would.
//   file_holder hold FILE      opens FILE without delete sharing (as an editor
//                              or a viewer may), says "held" on standard output
//                              and keeps it open until standard input ends
//   file_holder readonly FILE  gives FILE the read-only attribute
//   file_holder wait           says "held" and waits until standard input ends,
//                              so that Wine never sees its last program end
#include <windows.h>

#include <cstdio>
#include <cwchar>

namespace {

void WaitForEndOfInput() {
    std::fputs("held\n", stdout);
    std::fflush(stdout);
    char buffer[64];
    DWORD read = 0;
    while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buffer, sizeof buffer, &read, nullptr) && read > 0) {
    }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 2 && std::wcscmp(argv[1], L"wait") == 0) {
        WaitForEndOfInput();
        return 0;
    }
    if (argc != 3) {
        std::fputs("usage: file_holder hold|readonly FILE, or file_holder wait\n", stderr);
        return 2;
    }
    const wchar_t* file = argv[2];
    if (std::wcscmp(argv[1], L"readonly") == 0) {
        const DWORD attributes = GetFileAttributesW(file);
        if (attributes == INVALID_FILE_ATTRIBUTES ||
            !SetFileAttributesW(file, attributes | FILE_ATTRIBUTE_READONLY)) {
            std::fprintf(stderr, "file_holder: cannot make the file read-only (error %lu)\n", GetLastError());
            return 1;
        }
        return 0;
    }
    if (std::wcscmp(argv[1], L"hold") != 0) return 2;
    const HANDLE held = CreateFileW(file, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (held == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "file_holder: cannot open the file (error %lu)\n", GetLastError());
        return 1;
    }
    WaitForEndOfInput();
    CloseHandle(held);
    return 0;
}
