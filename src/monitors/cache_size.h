#pragma once
// How many bytes of junk a browser cache folder holds, read from the
// directory entries alone: files are never opened. The walk goes depth
// first in the order the file system lists the entries, and runs a caller's
// step before each entry, which the junk check uses to keep the main
// thread's messages flowing.
#include <cstdint>
#include <functional>
#include <set>
#include <string>

#include "platform/file_system.h"

namespace vigilo {

// A subfolder is entered only while its path, without the final "\", stays
// shorter than this many UTF-16 characters: with "\*" appended it still fits MAX_PATH.
inline constexpr size_t kWalkPathLimit = 256;

// Run before each file and each subfolder; returning false ends the walk early.
using BeforeEachEntry = std::function<bool()>;

// The folders a walk has counted, by identity: a folder reached again
// through a junction or a symbolic link (one that points back up would
// otherwise be walked until the path is too long) is not counted twice,
// while a cache moved to another drive behind a junction is counted, once.
using CountedFolders = std::set<FileIdentity>;

// The sizes of the files in folder (ending in "\") and all its subfolders,
// added up. Hidden, system and read-only files count; a file named
// "INDEX.DAT", or with "_CACHE_" anywhere in its name (letters a to z in any
// case), does not. A folder that cannot be listed adds nothing. The sum
// stops at the largest 64-bit value rather than wrap.
// Folders already in counted (from an earlier walk of the same check) add
// nothing; every folder walked is added to it.
std::int64_t MeasureFolder(const std::string& folder, const BeforeEachEntry& beforeEachEntry);
std::int64_t MeasureFolder(const std::string& folder, const BeforeEachEntry& beforeEachEntry, CountedFolders& counted);

// a + b, held at the largest 64-bit value; both are sizes, never negative.
std::int64_t AddSizes(std::int64_t a, std::int64_t b);

}  // namespace vigilo
