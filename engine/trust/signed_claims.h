#pragma once

#include <QByteArray>
#include <QCoreApplication>
#include <QString>

// What a package's signature says it is for. The publisher's helper writes
// the fields into the signature's trusted comment, which the signature
// binds to the package:
//     timestamp:1765180800<TAB>file:velmar.zip<TAB>product:Velmar<TAB>version:2.3.4.5
// (minisign itself writes "timestamp:..." and "file:..."). A signature made
// for one file, product or version must not install as another: an older
// signed package replayed under a new name, or another product signed with
// the same key. Fields a signature does not carry are not asked for, so
// signatures made before the fields existed keep working.
struct SignedClaims
{
    Q_DECLARE_TR_FUNCTIONS(SignedClaims)

public:
    QString file;
    QString product;
    QString version;

    // Fields are separated by tabs (or by spaces in a comment without tabs)
    // and written name:value; unknown fields are ignored.
    static SignedClaims fromTrustedComment(const QByteArray &comment);

    // Empty when every field this signature claims matches expected;
    // otherwise a message for the user naming the first that does not.
    QString mismatch(const SignedClaims &expected) const;
};
