#pragma once

#include "core/SystemNumbers.h"

#include <cstdint>
#include <string>
#include <vector>

// The permissions of a file or folder as the system stores them: its owner and the entries of its
// access list, with accounts as SIDs in text ("S-1-1-0"). Plain C++, so the decision and the native
// tests use it too.
namespace qeltor {

// The access rights an entry's mask holds (kRightWriteData and the rest) are Windows' values, in
// core/SystemNumbers.h.
struct AccessEntry {
    bool allows = true;      // an entry that allows, of any kind; false: a plain deny entry
    bool inherited = false;  // inherited from the folder above
    std::wstring sid;        // empty when the entry names no SID that could be read
    std::uint32_t mask = 0;
};

struct ObjectSecurity {
    bool isFolder = false;
    bool nullDacl = false;             // no permissions at all: everyone may do everything
    std::wstring owner;                // empty when it has none
    std::vector<AccessEntry> entries;  // in their order; inherit-only ones left out, as they apply
                                       // only to what is created inside a folder later
    bool isLink = false;               // a junction, symbolic link or mount point (a reparse point)
};

}  // namespace qeltor
