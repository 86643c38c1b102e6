// The probe that tells whether this process may create a folder in another.
#include "config/native_path.h"
#include "platform/known_folders.h"

#include <QTemporaryDir>
#include <QtTest>

#include <unistd.h>

class TestKnownFolders : public QObject
{
    Q_OBJECT

private slots:
    void canCreateFolderIn();
};

void TestKnownFolders::canCreateFolderIn()
{
    QTemporaryDir dir;
    QVERIFY(dir.isValid());
    QVERIFY(platform::canCreateFolderIn(toNativePath(dir.path())));
    QVERIFY(QDir(dir.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));

    QFile file(dir.filePath(QStringLiteral("file")));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(!platform::canCreateFolderIn(toNativePath(file.fileName())));
    QVERIFY(!platform::canCreateFolderIn(toNativePath(dir.filePath(QStringLiteral("missing")))));
    QVERIFY(!platform::canCreateFolderIn(platform::NativeString()));

    // Root creates folders anywhere; only others are refused a closed one.
    if (::geteuid() == 0)
        return;
    QVERIFY(QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::ExeOwner));
    const bool created = platform::canCreateFolderIn(toNativePath(dir.path()));
    QFile::setPermissions(dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!created);
}

QTEST_GUILESS_MAIN(TestKnownFolders)
#include "tst_known_folders.moc"
