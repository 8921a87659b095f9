#pragma once
// What the scan learns from a configuration file's bytes, in one pass over them:
// whether the host's editor and button are mentioned anywhere (letter case
// ignored, zero bytes included) and which product the text before its first zero
// byte names.
#include <array>
#include <string>
#include <string_view>

struct ScanMarks {
    bool editor = false;   // "QTX_V2"
    bool toolbar = false;  // "GOTOQTX*"
    int kind = 0;          // McKind: the first of Wire, Lathe, Design, Router named, else Mill
};

// Takes a file piece by piece as it is read, so that each piece is looked at
// while it is fresh in the processor's cache.
class ScanMarker {
public:
    ScanMarker() { first_.fill(std::string_view::npos); }
    void Add(std::string_view piece);
    ScanMarks Marks() const;
    size_t Size() const { return size_; }

    // Looks at one place of `data`, which starts `base` bytes into the file.
    void CheckAt(std::string_view data, size_t at, size_t base);
    static constexpr int kPatternCount = 6;

private:
    // The first place of each pattern, and of the first zero byte; places may be
    // looked at out of order, so each keeps the smallest.
    std::array<size_t, kPatternCount> first_;
    size_t zero_ = std::string_view::npos;
    size_t size_ = 0;
    std::string tail_;  // the last bytes so far, where a pattern may have begun
};

ScanMarks ReadScanMarks(std::string_view data);

// Tests: looks at no more than this many bytes at once (32, 16 or 1), so that each
// way of looking is tried on any machine.
void LimitScanWidthForTests(size_t bytes);
