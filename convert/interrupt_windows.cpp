// The ways a Windows console program is told to end while it writes (Ctrl+C,
// Ctrl+Break, the console closed, the user logging off or the system shutting
// down): the console's control handler runs on a thread of its own, removes
// this run's temporary files (they are open with delete sharing, so they go
// when the program's handles close) and ends the program as the system
// would, with STATUS_CONTROL_C_EXIT. Windows has no file-size limit to turn into an error.
#include <windows.h>

#include "interrupt.h"

namespace tarvel::interrupt {
namespace {

BOOL WINAPI OnConsoleEvent(DWORD event) {
    // A holder ends the program itself once its work is done.
    if (HeldUntilLater(static_cast<int>(event) + 1)) Sleep(INFINITE);
    RemoveRegisteredFiles();
    // Ended as the system ends a program on Ctrl+C, with the status that says so.
    EndAsBy(static_cast<int>(event) + 1);
}

}  // namespace

void InstallHandlers() { SetConsoleCtrlHandler(OnConsoleEvent, TRUE); }

void RemoveNow(const wchar_t* path) { (void)DeleteFileW(path); }

void EndAsBy(int) { ExitProcess(STATUS_CONTROL_C_EXIT); }

}  // namespace tarvel::interrupt
