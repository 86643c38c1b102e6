#pragma once

#include "platform/native_string.h"

#include <cstdint>

namespace platform {

// What tells one directory entry from any other that may later stand at
// its path: the volume and the file's number on it (device and inode on
// Unix, volume serial number and file index on Windows), kept by a rename
// within the volume, with the size and the last write time (nanoseconds on
// Unix, 100-nanosecond units on Windows), which change when the file is
// written in place.
struct FileIdentity
{
    std::uint64_t volume = 0;
    std::uint64_t file = 0;
    std::uint64_t size = 0;
    std::int64_t modified = 0;

    bool operator==(const FileIdentity &other) const
    {
        return volume == other.volume && file == other.file && size == other.size
            && modified == other.modified;
    }
    bool operator!=(const FileIdentity &other) const { return !(*this == other); }
};

// The identity of the entry at path itself: a link is not followed. False
// when nothing is there or it cannot be read.
bool readFileIdentity(const NativeString &path, FileIdentity *identity);

// Gives a folder or file the hidden attribute on Windows, where a leading
// dot does not hide a name; nothing to do on Unix. False when it failed.
bool hideEntry(const NativeString &path);

} // namespace platform
