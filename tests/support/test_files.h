#pragma once

#include <QByteArray>
#include <QFileDevice>
#include <QMap>
#include <QString>

// Whole files for tests, with one way of failing: writeFile returns false,
// after a warning that names the file and the reason, and the caller
// QVERIFYs it; readFile gives a null QByteArray (readText a null QString)
// for a file it cannot read, so that it differs from any expected content
// but an empty one. An empty file reads as empty, not null.
//
//     QVERIFY(TestFiles::writeFile(dir.filePath("bin/tool"), "#!/bin/sh\n",
//                                  TestFiles::executable()));
//     QCOMPARE(TestFiles::readFile(installed), QByteArray("new tool"));
namespace TestFiles {

QFileDevice::Permissions regular(); // rw-r--r--
QFileDevice::Permissions executable(); // rwxr-xr-x

// Writes bytes to path, replacing what was there and making missing parent
// folders; sets permissions when some are given.
bool writeFile(const QString &path, const QByteArray &bytes,
               QFileDevice::Permissions permissions = {});

QByteArray readFile(const QString &path);
QString readText(const QString &path); // UTF-8

// Every file below folder, hidden ones included and links read through, by
// relative path, with its content.
QMap<QString, QByteArray> filesBelow(const QString &folder);

} // namespace TestFiles
