// A C++ host of the installed SDK: opens a settings file that does not exist, which
// the DLL answers with a QRVException, and prints whether the exception reached it.
// It includes the public headers that include the others: each must be complete
// without the library's internal headers.
#include <vellants/Vellants.h>
#include "environment/ConfigFiles.h"
#include "environment/Lexicon.h"
#include "environment/Messages.h"
#include "foundation/FileUtils.h"
#include "foundation/SECFileSystem.h"
#include "installer/VellantSetup.h"
#include "settings/ProgramConfiguration.h"
#include "settings/QRVFile.h"
#include "settings/StorageSet.h"
#include <cstdio>

int main() {
    std::printf("Vellants %s\n", VellantsVersion());
    try {
        QRVFile file("C:\\no\\such\\folder\\x.qrv", "r");
    } catch (const QRVException& error) {
        std::printf("caught QRVException: %s\n", static_cast<const char*>(error.FullText()));
        return 0;
    }
    std::printf("not caught: the file opened\n");
    return 1;
}
