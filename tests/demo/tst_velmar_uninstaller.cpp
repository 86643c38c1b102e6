// Velmar's Linux uninstaller (uninst.exe in the package): it must remove the
// install folder and every registration entry that leads into it, and leave
// everything else in the user's home exactly as it was. Every case runs in a
// temporary home.
#include "support/script_run.h"
#include "support/test_files.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {

using TestFiles::readFile;
using TestFiles::writeFile;

QByteArray desktopEntry(const QString &exec)
{
    return "[Desktop Entry]\nType=Application\nName=Entry\nExec=" + exec.toUtf8() + "\n";
}

// A home as the installer's registration leaves it, with neighbours that
// must survive: another program, a folder whose name starts like ours, and
// other applications' associations. complete tells whether all of it could
// be made.
class Home
{
public:
    Home()
    {
        installDir = path(QStringLiteral(".local/share/Velmar"));
        twinDir = installDir + QStringLiteral("2");
        const QString quoted = QLatin1Char('"') + installDir + QStringLiteral("/Velmar\"");
        complete = writeFile(installDir + QStringLiteral("/Velmar"), "program")
            && QFile::copy(qEnvironmentVariable("VELMAR_PACKAGE_DIR")
                               + QStringLiteral("/uninst.exe"),
                           uninstaller())
            && writeFile(installDir + QStringLiteral("/translations/velmar.zh_CN.qm"), "qm")
            && writeFile(twinDir + QStringLiteral("/Velmar"), "another copy")
            && writeFile(path(QStringLiteral(".local/share/applications/Velmar/Velmar.desktop")),
                         desktopEntry(quoted))
            && writeFile(path(QStringLiteral(".local/share/applications/velmar-url.desktop")),
                         desktopEntry(quoted + QStringLiteral(" %u"))
                             + "MimeType=x-scheme-handler/korvantvelmar;\n")
            && writeFile(path(QStringLiteral(".local/share/applications/other.desktop")),
                         desktopEntry(QStringLiteral("/usr/bin/other")))
            && writeFile(path(QStringLiteral(".local/share/applications/twin.desktop")),
                         desktopEntry(twinDir + QStringLiteral("/Velmar")))
            && writeFile(path(QStringLiteral("Desktop/Velmar.desktop")), desktopEntry(quoted))
            && writeFile(path(QStringLiteral("Desktop/notes.txt")),
                         "Exec=" + installDir.toUtf8() + "/Velmar\n")
            && writeFile(path(QStringLiteral(".config/autostart/Velmar")), desktopEntry(quoted))
            && writeFile(path(QStringLiteral(".config/mimeapps.list")), mimeAppsBefore())
            && writeFile(path(QStringLiteral(".local/share/installer/uninstall/Velmar.ini")),
                         "[General]\nDisplayName=Velmar\nUninstallString=\"\\\""
                             + installDir.toUtf8() + "\\\\uninst.exe\\\"\"\n")
            && writeFile(path(QStringLiteral(".local/share/installer/uninstall/Other.ini")),
                         "[General]\nUninstallString=\"\\\"" + twinDir.toUtf8()
                             + "/uninst.exe\\\"\"\n")
            && QDir().mkpath(path(QStringLiteral(".local/bin")))
            && QFile::link(installDir + QStringLiteral("/Velmar"),
                           path(QStringLiteral(".local/bin/Velmar")))
            && QFile::link(twinDir + QStringLiteral("/Velmar"),
                           path(QStringLiteral(".local/bin/twin")));
    }

    static QByteArray mimeAppsBefore()
    {
        return "# kept comment\n[Default Applications]\n"
               "x-scheme-handler/korvantvelmar=velmar-url.desktop\n"
               "x-scheme-handler/http=firefox.desktop\n"
               "[Added Associations]\n"
               "x-scheme-handler/korvantvelmar=velmar-url.desktop;other.desktop;\n"
               "text/plain=Velmar-Velmar.desktop;\n";
    }

    QString path(const QString &relative) const { return m_home.filePath(relative); }
    QString uninstaller() const { return installDir + QStringLiteral("/uninst.exe"); }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("HOME"), m_home.path());
        environment.insert(QStringLiteral("XDG_DATA_HOME"), path(QStringLiteral(".local/share")));
        environment.insert(QStringLiteral("XDG_CONFIG_HOME"), path(QStringLiteral(".config")));
        return environment;
    }

    ScriptRun uninstall(const QStringList &arguments = {}) const
    {
        return ScriptRun::run(uninstaller(), arguments, environment(), m_home.path());
    }

    QString installDir;
    QString twinDir;
    bool complete = false;

private:
    QTemporaryDir m_home;
};

} // namespace

class TestVelmarUninstaller : public QObject
{
    Q_OBJECT

private slots:
    void removesWhatLeadsIntoTheFolderAndNothingElse();
    void dryRunOnlyTells();
    void endsARunningProduct();
    void refusesFoldersThatAreNotAnInstallation();
};

void TestVelmarUninstaller::removesWhatLeadsIntoTheFolderAndNothingElse()
{
    Home home;
    QVERIFY(home.complete);
    const ScriptRun run = home.uninstall();
    QVERIFY2(run.finished && run.exitCode == 0, qPrintable(run.standardError));

    QVERIFY(!QFileInfo::exists(home.installDir));
    for (const char *gone :
         { ".local/share/applications/Velmar", ".local/share/applications/velmar-url.desktop",
           "Desktop/Velmar.desktop", ".config/autostart/Velmar", ".local/bin/Velmar",
           ".local/share/installer/uninstall/Velmar.ini" })
        QVERIFY2(!QFileInfo(home.path(QLatin1String(gone))).exists()
                     && !QFileInfo(home.path(QLatin1String(gone))).isSymLink(),
                 gone);
    for (const char *kept :
         { ".local/share/applications/other.desktop", ".local/share/applications/twin.desktop",
           "Desktop/notes.txt", ".local/bin/twin", ".local/share/installer/uninstall/Other.ini",
           ".local/share/Velmar2/Velmar" })
        QVERIFY2(QFileInfo(home.path(QLatin1String(kept))).exists(), kept);

    // Only our ids leave the associations; a line left empty goes.
    QCOMPARE(readFile(home.path(QStringLiteral(".config/mimeapps.list"))),
             QByteArray("# kept comment\n[Default Applications]\n"
                        "x-scheme-handler/http=firefox.desktop\n"
                        "[Added Associations]\n"
                        "x-scheme-handler/korvantvelmar=other.desktop;\n"));
}

void TestVelmarUninstaller::dryRunOnlyTells()
{
    Home home;
    QVERIFY(home.complete);
    const ScriptRun run = home.uninstall({ QStringLiteral("--dry-run") });
    QCOMPARE(run.exitCode, 0);
    QVERIFY(run.standardOutput.contains(home.path(QStringLiteral("Desktop/Velmar.desktop"))));
    QVERIFY(QFileInfo::exists(home.installDir + QStringLiteral("/Velmar")));
    QVERIFY(QFileInfo::exists(home.path(QStringLiteral("Desktop/Velmar.desktop"))));
    QCOMPARE(readFile(home.path(QStringLiteral(".config/mimeapps.list"))), Home::mimeAppsBefore());
}

void TestVelmarUninstaller::endsARunningProduct()
{
    Home home;
    QVERIFY(home.complete);
    // A real process whose executable lies in the install folder.
    const QString program = home.installDir + QStringLiteral("/Velmar");
    QFile::remove(program);
    QVERIFY(QFile::copy(QStringLiteral("/bin/sleep"), program));
    QProcess product;
    product.start(program, { QStringLiteral("600") });
    QVERIFY(product.waitForStarted());

    const ScriptRun run = home.uninstall();
    QVERIFY2(run.exitCode == 0, qPrintable(run.standardError));
    QVERIFY(product.waitForFinished(30000));
    QVERIFY(!QFileInfo::exists(home.installDir));
}

void TestVelmarUninstaller::refusesFoldersThatAreNotAnInstallation()
{
    Home home;
    QVERIFY(home.complete);
    // The product is missing: this may not be ours to delete.
    QVERIFY(QFile::remove(home.installDir + QStringLiteral("/Velmar")));
    ScriptRun run = home.uninstall();
    QCOMPARE(run.exitCode, 1);
    QVERIFY(run.standardError.contains(QLatin1String("Velmar")));
    QVERIFY(QFileInfo::exists(home.uninstaller()));
    QVERIFY(QFileInfo::exists(home.path(QStringLiteral("Desktop/Velmar.desktop"))));

    // An uninstaller that was copied into the home folder itself must never
    // take the home with it, even with the product beside it.
    const QString inHome = home.path(QStringLiteral("uninst.exe"));
    QVERIFY(QFile::copy(home.uninstaller(), inHome));
    QVERIFY(writeFile(home.path(QStringLiteral("Velmar")), "program"));
    run = ScriptRun::run(inHome, {}, home.environment(), home.path(QString()));
    QCOMPARE(run.exitCode, 1);
    QVERIFY(QFileInfo::exists(home.path(QStringLiteral("Velmar"))));
    QVERIFY(QFileInfo::exists(home.path(QStringLiteral("Desktop/notes.txt"))));
}

QTEST_GUILESS_MAIN(TestVelmarUninstaller)
#include "tst_velmar_uninstaller.moc"
