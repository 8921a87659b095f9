/* A host built for the platform vendor's ABI (clang for i686-pc-windows-msvc, linked by
   lld-link against the vendor-style import library of Vellants.dll), without any C
   runtime: it declares the few Windows functions it calls itself. It installs the editor
   and the toolbar button, then removes every option, printing each result:
     VellantsInstall: N / VellantsLastReport: SIZE / VellantsRemove: N / VellantsVersion: V
   With KORVANE_SETUP_REGISTRY=<key> it uses the test's scratch registry under HKCU\<key>. */
#include "vellants/Vellants.h"

#define WINAPI __stdcall
typedef void* HANDLE;
typedef void* HKEY;
__declspec(dllimport) HANDLE WINAPI GetStdHandle(unsigned long which);
__declspec(dllimport) int WINAPI
    WriteFile(HANDLE file, const void* data, unsigned long size, unsigned long* written, void* overlapped);
__declspec(dllimport) unsigned long WINAPI GetEnvironmentVariableA(const char* name, char* value, unsigned long size);
__declspec(dllimport) __declspec(noreturn) void WINAPI ExitProcess(unsigned int code);
__declspec(dllimport) long WINAPI
    RegCreateKeyExA(HKEY key, const char* subKey, unsigned long reserved, char* type, unsigned long options,
                    unsigned long access, void* security, HKEY* result, unsigned long* disposition);
__declspec(dllimport) long WINAPI RegOverridePredefKey(HKEY key, HKEY newKey);

#define HKEY_CURRENT_USER ((HKEY)(unsigned long)0x80000001)
#define HKEY_LOCAL_MACHINE ((HKEY)(unsigned long)0x80000002)
#define KEY_ALL_ACCESS 0xF003Fu

static void Print(const char* text) {
    unsigned long length = 0, written = 0;
    while (text[length]) ++length;
    WriteFile(GetStdHandle((unsigned long)-11), text, length, &written, 0);
}

static void PrintResult(const char* name, int value) {
    char digits[16];
    int at = sizeof digits;
    unsigned int magnitude = value < 0 ? 0u - (unsigned int)value : (unsigned int)value;
    digits[--at] = '\0';
    digits[--at] = '\n';
    do {
        digits[--at] = (char)('0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    if (value < 0) digits[--at] = '-';
    Print(name);
    Print(": ");
    Print(digits + at);
}

/* Redirects HKLM and HKCU to <root>\Machine and <root>\User below HKCU. */
static void UseScratchRegistry(void) {
    char path[300];
    unsigned long length = GetEnvironmentVariableA("KORVANE_SETUP_REGISTRY", path, 280);
    const char* names[2] = {"\\Machine", "\\User"};
    HKEY roots[2] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    int i, k;
    if (length == 0 || length >= 280) return;
    for (i = 0; i < 2; ++i) {
        HKEY key = 0;
        for (k = 0; names[i][k]; ++k) path[length + k] = names[i][k];
        path[length + k] = '\0';
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, 0, 0, KEY_ALL_ACCESS, 0, &key, 0) == 0)
            RegOverridePredefKey(roots[i], key);
    }
}

void __cdecl mainCRTStartup(void) {
    int installed, removed;
    UseScratchRegistry();
    installed = VellantsInstall(VELLANTS_EDITOR | VELLANTS_TOOLBAR);
    PrintResult("VellantsInstall", installed);
    PrintResult("VellantsLastReport", VellantsLastReport(0, 0));
    removed = VellantsRemove();
    PrintResult("VellantsRemove", removed);
    Print("VellantsVersion: ");
    Print(VellantsVersion());
    Print("\n");
    ExitProcess(installed == 0 && removed == 0 ? 0 : 1);
}
