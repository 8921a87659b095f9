/* Linked into the example C host for the tests: before main, HKLM and HKCU go to the
   test's scratch keys named by KORVANE_SETUP_REGISTRY, as the console host does. */
#include <windows.h>
#include <stdio.h>

__attribute__((constructor)) static void UseScratchRegistry(void) {
    char root[260];
    const DWORD length = GetEnvironmentVariableA("KORVANE_SETUP_REGISTRY", root, sizeof root);
    const char* names[2] = {"Machine", "User"};
    HKEY predefined[2] = {HKEY_LOCAL_MACHINE, HKEY_CURRENT_USER};
    int i;
    if (length == 0 || length >= sizeof root) return;
    for (i = 0; i < 2; ++i) {
        char path[300];
        HKEY key = NULL;
        snprintf(path, sizeof path, "%s\\%s", root, names[i]);
        if (RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL) == ERROR_SUCCESS)
            RegOverridePredefKey(predefined[i], key);
    }
}
