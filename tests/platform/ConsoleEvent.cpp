// console_event IMAGE: delivers the console's close event to every running process named IMAGE
// (ledcardctl.exe) the way the system delivers it, as a thread of that process started at
// kernelbase's CtrlRoutine. Under Wine, whose console window does not send the close event when
// it is closed, this is how the Windows suite closes a console.
// Exit status: 0 delivered to at least one process, 1 none found, 2 a bad command line.

#include <cstdint>
#include <cwchar> // _wcsicmp
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

int wmain(int argc, wchar_t* argv[]) {
    if (argc != 2) {
        return 2;
    }
    // kernelbase lies at one address in every process of a session.
    const auto routine = reinterpret_cast<LPTHREAD_START_ROUTINE>(reinterpret_cast<void*>(
        ::GetProcAddress(::GetModuleHandleW(L"kernelbase.dll"), "CtrlRoutine")));
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (routine == nullptr || snapshot == INVALID_HANDLE_VALUE) {
        return 1;
    }
    int delivered = 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
         more = ::Process32NextW(snapshot, &entry)) {
        if (::_wcsicmp(entry.szExeFile, argv[1]) != 0) {
            continue;
        }
        const HANDLE process = ::OpenProcess(PROCESS_ALL_ACCESS, FALSE, entry.th32ProcessID);
        if (process == nullptr) {
            continue;
        }
        const HANDLE thread = ::CreateRemoteThread(
            process, nullptr, 0, routine, reinterpret_cast<void*>(std::uintptr_t(CTRL_CLOSE_EVENT)),
            0, nullptr);
        if (thread != nullptr) {
            ++delivered;
            ::CloseHandle(thread);
        }
        ::CloseHandle(process);
    }
    ::CloseHandle(snapshot);
    return delivered > 0 ? 0 : 1;
}
