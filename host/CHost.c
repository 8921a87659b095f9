/* Example host in plain C: loads Vellants.dll at run time and calls its C interface by
   name, as an installer toolkit or a script would.
     vellants-c-host install [BITS] | remove | plan install [BITS] | plan remove | version
   Prints each call's result; install and remove then print the run's report. Exits with
   0 when the call's result was 0 (or a plan was written), 1 otherwise. */
#include <windows.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>

typedef int(__cdecl* InstallFn)(unsigned int options);
typedef int(__cdecl* RemoveFn)(void);
typedef int(__cdecl* PlanFn)(int remove, unsigned int options, char* json, int size);
typedef int(__cdecl* LastReportFn)(char* json, int size);
typedef const char*(__cdecl* VersionFn)(void);

/* Asks for the size, then fills a buffer that large; plan: 0 report, 1 plan install, 2 plan remove. */
static char* Fetch(PlanFn plan, LastReportFn report, int which, unsigned int options) {
    int size = which == 0 ? report(NULL, 0) : plan(which == 2, options, NULL, 0);
    char* json;
    if (size <= 0) return NULL;
    json = (char*)malloc((size_t)size);
    if (!json) return NULL;
    if ((which == 0 ? report(json, size) : plan(which == 2, options, json, size)) != size) {
        free(json);
        return NULL;
    }
    return json;
}

int main(int argc, char** argv) {
    HMODULE dll = LoadLibraryA("Vellants.dll");
    InstallFn install;
    RemoveFn remove;
    PlanFn plan;
    LastReportFn report;
    VersionFn version;
    const char* command = argc > 1 ? argv[1] : "version";
    int result = 0;
    char* json = NULL;
    if (!dll) {
        fprintf(stderr, "Vellants.dll could not be loaded (error %lu)\n", GetLastError());
        return 1;
    }
    install = (InstallFn)(void (*)(void))GetProcAddress(dll, "VellantsInstall");
    remove = (RemoveFn)(void (*)(void))GetProcAddress(dll, "VellantsRemove");
    plan = (PlanFn)(void (*)(void))GetProcAddress(dll, "VellantsPlan");
    report = (LastReportFn)(void (*)(void))GetProcAddress(dll, "VellantsLastReport");
    version = (VersionFn)(void (*)(void))GetProcAddress(dll, "VellantsVersion");
    if (!install || !remove || !plan || !report || !version) {
        fprintf(stderr, "Vellants.dll lacks a function of its C interface\n");
        return 1;
    }
    printf("Vellants %s\n", version());
    if (strcmp(command, "install") == 0) {
        result = install(argc > 2 ? (unsigned int)strtoul(argv[2], NULL, 0) : 0u);
        printf("VellantsInstall: %d\n", result);
        json = Fetch(plan, report, 0, 0);
    } else if (strcmp(command, "remove") == 0) {
        result = remove();
        printf("VellantsRemove: %d\n", result);
        json = Fetch(plan, report, 0, 0);
    } else if (strcmp(command, "plan") == 0 && argc > 2) {
        const int removing = strcmp(argv[2], "remove") == 0;
        json = Fetch(plan, report, removing ? 2 : 1, argc > 3 ? (unsigned int)strtoul(argv[3], NULL, 0) : 0u);
        result = json ? 0 : 1;
        printf("VellantsPlan: %s\n", json ? "written" : "failed");
    }
    if (json) printf("%s\n", json);
    free(json);
    return result == 0 ? 0 : 1;
}
