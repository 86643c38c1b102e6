#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// The download locations of a package. packageUrl may name several URLs
// separated by commas (mirrors, tried in order); one URL is just that URL.
// A comma that belongs to a URL is written %2C.
QStringList packageMirrors(const QString &packageUrl);

// Where the detached minisign signature of the package at url lies: beside
// it on the same server, the package's path with ".minisig" appended.
QUrl signatureUrl(const QUrl &packageUrl);
