#pragma once
// Finds the sections of a settings file in one pass over the stream: the only walk of a
// whole file, so that opening one takes time in proportion to its length.
#include "settings/Storage.h"
#include <cstdint>
#include <functional>

// A section on disk, in 32-bit little-endian words: the header (magic word, section
// number, data length L), L bytes of data, then the trailer (L again). Sections follow
// each other without a gap; while one is open its L is its capacity, not its use.
constexpr uint32_t kSectionMagic = 0x5651;  // 'Q' 'V' 0 0
constexpr uint32_t kSectionWord = 4;
constexpr uint32_t kSectionHeader = 3 * kSectionWord;
constexpr uint32_t kSectionTrailer = kSectionWord;
constexpr uint32_t kSectionOverhead = kSectionHeader + kSectionTrailer;

struct SectionPlace {
    uint32_t number;
    uint32_t dataStart;  // the stream offset of the first data byte
    uint32_t length;
};

// Visits the first section of each number, in file order. Only the first magic word is
// checked; a later section of a number already found is stepped over unchecked; the
// walk ends quietly where no further header can be read. Raises "This is not a QRV
// file" for a first magic word that is not 'Q' 'V' 0 0, and "Section length bytes
// don't match" for a section (first of its number) that runs past the end or whose
// trailer differs from its length.
void ScanSections(Storage& file, const std::function<void(const SectionPlace&)>& visit);
