#pragma once

// The environment variable that names the system temporary folder for
// QDir::tempPath(): TMPDIR on Unix, TMP on Windows (GetTempPath reads it
// first). Tests point it at a folder of their own.
inline const char *temporaryFolderVariable()
{
#ifdef _WIN32
    return "TMP";
#else
    return "TMPDIR";
#endif
}
