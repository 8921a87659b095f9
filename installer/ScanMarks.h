#pragma once
// What the scan learns from a configuration file's bytes, in one pass over them:
// whether the host's editor and button are mentioned anywhere (letter case
// ignored, zero bytes included) and which product the text before its first zero
// byte names.
#include <string_view>

struct ScanMarks {
    bool editor = false;   // "QTX_V2"
    bool toolbar = false;  // "GOTOQTX*"
    int kind = 0;          // McKind: the first of Wire, Lathe, Design, Router named, else Mill
};

ScanMarks ReadScanMarks(std::string_view data);
