#pragma once

// Result code of every install step's done(int error, QString message).
// Receivers only tell zero from non-zero; the message travels with the code.
enum InstallError {
    NoError = 0,
    TargetDirMissing = 1,
    CopyFailed = 2,
    DownloadFailed = 3,
    LocalFileFailed = 4,
    UnzipDirFailed = 5,
    PackageMissing = 6,
    UnzipFailed = 7,
    DiskFull = 8,
    InstallFolderBusy = 9,
    PathTooLong = 10,
};
