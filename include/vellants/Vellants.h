#ifndef VELLANTS_VELLANTS_H
#define VELLANTS_VELLANTS_H
/* The C interface of Vellants.dll: install the Korvane Utilities add-ons into every
   registered Mastercam, remove them, see beforehand what either would change, and
   learn what the last run did. Plain C, cdecl, exported under the undecorated names
   below; no function throws. Text is UTF-8 JSON. */

#ifdef __cplusplus
extern "C" {
#endif

#if defined(VELLANTS_BUILD)
#define VELLANTS_C_API __declspec(dllexport)
#else
#define VELLANTS_C_API __declspec(dllimport)
#endif
#define VELLANTS_CALL __cdecl

/* Option bits of VellantsInstall and VellantsPlan; 0 means all five. */
#define VELLANTS_EDITOR 1u    /* QTX_V2 as Mastercam's NC editor */
#define VELLANTS_TOOLBAR 2u   /* the gotoqtx toolbar button */
#define VELLANTS_HOOK 4u      /* the operations-manager hook and its companion program */
#define VELLANTS_BUTTON 8u    /* the operations-manager button */
#define VELLANTS_TOOLDEFS 16u /* the operations-manager tool definitions */
#define VELLANTS_ALL_OPTIONS 31u

/* Results below 0. */
#define VELLANTS_NO_MASTERCAM (-1)   /* no Mastercam 9 or 8 installation is registered */
#define VELLANTS_BAD_ARGUMENT (-2)   /* an option bit other than the five, or a negative size */
#define VELLANTS_INTERNAL_ERROR (-3) /* the library failed (out of memory): nothing is known */

/* Installs the options into every Mill and Router configuration file of every
   registered Mastercam. Returns 0 when every step was done, the number of failed
   steps otherwise, or a result below 0. */
VELLANTS_C_API int VELLANTS_CALL VellantsInstall(unsigned int options);

/* Takes every option out of every configuration file; results as VellantsInstall. */
VELLANTS_C_API int VELLANTS_CALL VellantsRemove(void);

/* Changes nothing: writes what VellantsInstall(options) (remove = 0) or VellantsRemove
   (remove != 0) would do into json, as the JSON document of the console host's
   "plan install|remove --json", NUL-terminated. Returns the size the document needs
   including its NUL; when that is more than size, nothing but an empty text (when
   size > 0) is written: call again with a buffer that large. */
VELLANTS_C_API int VELLANTS_CALL VellantsPlan(int remove, unsigned int options, char* json, int size);

/* The report of this process's last VellantsInstall or VellantsRemove, every step
   with its outcome and Windows error, as a JSON document; sized as VellantsPlan.
   Before the first run the document's "command" is null. */
VELLANTS_C_API int VELLANTS_CALL VellantsLastReport(char* json, int size);

/* "MAJOR.MINOR.PATCH", the version of the DLL's version resource. */
VELLANTS_C_API const char* VELLANTS_CALL VellantsVersion(void);

/* The uninstaller's entry point: takes every option out of every configuration file
   and reports nothing. */
VELLANTS_C_API void VELLANTS_CALL RemoveAllMastercamOptions(void);

#ifdef __cplusplus
}
#endif

#endif
