#pragma once

#include <QString>
#include <QStringList>
#include <QUrl>

// The download locations of a package. packageUrl may name several URLs
// separated by commas (mirrors, tried in order); one URL is just that URL. A
// URL in double quotes is taken whole, commas and all: settings.ini hands
// over a quoted value that way, an unquoted list as the mirrors.
QStringList packageMirrors(const QString &packageUrl);

// Where the detached minisign signature of the package at url lies: beside
// it on the same server, the package's path with ".minisig" appended.
QUrl signatureUrl(const QUrl &packageUrl);

// The local file name for the package at url: the last step of the URL's
// path (never its query or fragment), percent-decoded and made a valid
// single name on this system; "package.zip" when nothing usable is left.
QString packageFileName(const QString &url);
