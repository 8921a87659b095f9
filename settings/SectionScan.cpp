#include "settings/SectionScan.h"
#include "environment/Messages.h"
#include <climits>
#include <unordered_set>

namespace {
[[noreturn]] void Raise(CatalogueNumber text) { QRVException(CatalogueText(text), 1).Throw(); }

// Positions the stream at an absolute offset; false beyond what it can reach.
bool SeekTo(Storage& file, uint64_t offset) {
    return offset <= INT32_MAX && offset <= file.Length() && file.Seek(static_cast<int32_t>(offset), 0);
}
}  // namespace

void ScanSections(Storage& file, const std::function<void(const SectionPlace&)>& visit) {
    file.Seek(0, 0);
    uint32_t magic = 0;
    if (!file.Read(magic)) return;
    if (magic != kSectionMagic) Raise(kMsgNotQrvFile);
    std::unordered_set<uint32_t> found;
    uint32_t number = 0;
    uint32_t length = 0;
    while (file.Read(number) && file.Read(length)) {
        const uint32_t dataStart = file.Position();
        const bool first = found.insert(number).second;
        if (length > file.Remaining()) {
            if (first) Raise(kMsgSectionLengthMismatch);
            return;
        }
        if (first) {
            uint32_t trailer = 0;
            if (!SeekTo(file, uint64_t(dataStart) + length) || !file.Read(trailer) || trailer != length)
                Raise(kMsgSectionLengthMismatch);
            visit({number, dataStart, length});
        }
        // Over the data, the trailer and the next section's magic word, to its number.
        if (!SeekTo(file, uint64_t(dataStart) + length + kSectionTrailer + kSectionWord)) return;
    }
}
