// The freedesktop files the registration writes on Linux: desktop entries and
// their escaping, the mimeapps.list update, and the careful file writes.
#include "platform/unix/desktop_entry.h"
#include "platform/unix/freedesktop.h"
#include "platform/unix/mime_apps.h"
#include "support/desktop_file_problems.h"
#include "support/test_files.h"

#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace {

QString fromStd(const std::string &text)
{
    return QString::fromStdString(text);
}

} // namespace

class TestDesktopFiles : public QObject
{
    Q_OBJECT

private slots:
    void execArguments_data();
    void execArguments();
    void stringValues();
    void entryText();
    void validatorAcceptsAwkwardEntries();
    void mimeappsGetsTheDefault();
    void atomicWriteKeepsLinkedFile();
    void programLinkNeverReplacesAFile();
};

void TestDesktopFiles::execArguments_data()
{
    QTest::addColumn<QString>("argument");
    QTest::addColumn<QString>("quoted");
    QTest::newRow("plain path stays bare") << "/opt/velmar/Velmar.exe"
                                           << "/opt/velmar/Velmar.exe";
    QTest::newRow("space") << "/opt/my velmar/V"
                           << "\"/opt/my velmar/V\"";
    QTest::newRow("double quote") << "/a\"b"
                                  << "\"/a\\\"b\"";
    QTest::newRow("backslash") << "/a\\b"
                               << "\"/a\\\\b\"";
    QTest::newRow("dollar and backtick") << "/$x`y`"
                                         << "\"/\\$x\\`y\\`\"";
    QTest::newRow("percent, unquoted") << "/100%"
                                       << "/100%%";
    QTest::newRow("percent, quoted") << "/100% x"
                                     << "\"/100%% x\"";
    QTest::newRow("single quote") << "/it's"
                                  << "\"/it's\"";
    QTest::newRow("empty") << ""
                           << "\"\"";
    QTest::newRow("non-ASCII stays UTF-8") << "/opt/\u00fcber/\u7ef4"
                                           << "/opt/\u00fcber/\u7ef4";
}

void TestDesktopFiles::execArguments()
{
    QFETCH(QString, argument);
    QFETCH(QString, quoted);
    QCOMPARE(fromStd(platform::quoteExecArgument(argument.toStdString())), quoted);
}

void TestDesktopFiles::stringValues()
{
    QCOMPARE(fromStd(platform::escapeDesktopString("a\\b")), QStringLiteral("a\\\\b"));
    QCOMPARE(fromStd(platform::escapeDesktopString("one\ntwo\tthree\r")),
             QStringLiteral("one\\ntwo\\tthree\\r"));
    QCOMPARE(fromStd(platform::escapeDesktopString(" lead and inner ")),
             QStringLiteral("\\slead and inner "));
    QCOMPARE(fromStd(platform::escapeDesktopString("bell\a\x7f!")), QStringLiteral("bell!"));
    QCOMPARE(fromStd(platform::escapeDesktopString("\xe7\xbb\xb4 %;=")),
             QStringLiteral("\u7ef4 %;="));
}

void TestDesktopFiles::entryText()
{
    platform::DesktopEntry entry;
    entry.name = "Velmar";
    entry.comment = "Opens velmar links";
    // A backslash in a quoted argument ends up as four in the file.
    entry.command = { "/opt/a\\b/V", "--x" };
    entry.fieldCodes = "%u";
    entry.mimeTypes = { "x-scheme-handler/korvantvelmar" };
    entry.noDisplay = true;
    const QString text = fromStd(platform::desktopEntryText(entry));
    QVERIFY(text.startsWith(QLatin1String("[Desktop Entry]\nType=Application\n")));
    QVERIFY(text.contains(QLatin1String("\nName=Velmar\n")));
    QVERIFY(text.contains(QLatin1String("\nComment=Opens velmar links\n")));
    QVERIFY(text.contains(QLatin1String("\nExec=\"/opt/a\\\\\\\\b/V\" --x %u\n")));
    QVERIFY(text.contains(QLatin1String("\nMimeType=x-scheme-handler/korvantvelmar;\n")));
    QVERIFY(text.contains(QLatin1String("\nNoDisplay=true\n")));

    entry.comment = entry.name;
    entry.mimeTypes.clear();
    entry.noDisplay = false;
    const QString launcher = fromStd(platform::desktopEntryText(entry));
    QVERIFY(!launcher.contains(QLatin1String("Comment=")));
    QVERIFY(!launcher.contains(QLatin1String("MimeType=")));
    QVERIFY(!launcher.contains(QLatin1String("NoDisplay=")));
}

void TestDesktopFiles::validatorAcceptsAwkwardEntries()
{
    if (QStandardPaths::findExecutable(QStringLiteral("desktop-file-validate")).isEmpty())
        QSKIP("desktop-file-validate is not installed (Debian package desktop-file-utils)");
    QTemporaryDir folder;
    QVERIFY(folder.isValid());

    const std::vector<std::string> awkward = {
        "Velmar",
        " Velmar \"Pro\" 100% $HOME `x` \\ ;; \xc3\xbc\xe7\xbb\xb4",
        "line\nbreak\ttab",
    };
    int index = 0;
    for (const std::string &text : awkward) {
        platform::DesktopEntry entry;
        entry.name = text;
        entry.comment = text + " links";
        entry.command = { "/opt/" + text + "/V.exe", text };
        entry.workingFolder = "/opt/" + text;
        entry.icon = "/opt/" + text + "/V.exe";
        platform::DesktopEntry handler = entry;
        handler.fieldCodes = "%u";
        handler.mimeTypes = { "x-scheme-handler/web+velmar-2.x" };
        handler.noDisplay = true;
        for (const platform::DesktopEntry &written : { entry, handler }) {
            const QString path = folder.filePath(QStringLiteral("entry%1.desktop").arg(index++));
            std::string error;
            QVERIFY(platform::writeFileAtomically(
                path.toStdString(), platform::desktopEntryText(written), 0644, &error));
            const QString errors = desktopFileProblems(path);
            QVERIFY2(errors.isEmpty(), qPrintable(errors));
        }
    }
}

void TestDesktopFiles::mimeappsGetsTheDefault()
{
    const std::string mime = "x-scheme-handler/korvantvelmar";
    const std::string id = "korvantvelmar-url-handler.desktop";

    // Nothing there yet: the group is created.
    QCOMPARE(
        fromStd(platform::withDefaultApplication("", mime, id)),
        QStringLiteral(
            "[Default "
            "Applications]\nx-scheme-handler/korvantvelmar=korvantvelmar-url-handler.desktop;\n"));

    // Other groups, keys and comments stay; the key joins its group.
    const std::string existing = "# mine\n"
                                 "[Default Applications]\n"
                                 "text/html=firefox.desktop;\n"
                                 "\n"
                                 "[Added Associations]\n"
                                 "image/png=gimp.desktop;\n";
    const std::string updated = platform::withDefaultApplication(existing, mime, id);
    QCOMPARE(fromStd(updated),
             QStringLiteral("# mine\n"
                            "[Default Applications]\n"
                            "text/html=firefox.desktop;\n"
                            "x-scheme-handler/korvantvelmar=korvantvelmar-url-handler.desktop;\n"
                            "\n"
                            "[Added Associations]\n"
                            "image/png=gimp.desktop;\n"));
    // Doing it again changes nothing.
    QCOMPARE(platform::withDefaultApplication(updated, mime, id), updated);

    // A handler named before stays behind the product; the same key in
    // another group is not touched.
    const std::string older = "[Added Associations]\n"
                              "x-scheme-handler/korvantvelmar=old.desktop;\n"
                              "[Default Applications]\n"
                              "x-scheme-handler/korvantvelmar=old.desktop;other.desktop;\n";
    QCOMPARE(fromStd(platform::withDefaultApplication(older, mime, id)),
             QStringLiteral(
                 "[Added Associations]\n"
                 "x-scheme-handler/korvantvelmar=old.desktop;\n"
                 "[Default Applications]\n"
                 "x-scheme-handler/"
                 "korvantvelmar=korvantvelmar-url-handler.desktop;old.desktop;other.desktop;\n"));

    // A handler that is only a blank and a carriage return is no handler: it
    // is not carried over (and a second run would drop it, changing the file).
    QCOMPARE(
        fromStd(platform::withDefaultApplication(
            "[Default Applications]\nx-scheme-handler/korvantvelmar=old.desktop; \r;", mime, id)),
        QStringLiteral("[Default Applications]\n"
                       "x-scheme-handler/"
                       "korvantvelmar=korvantvelmar-url-handler.desktop;old.desktop;\n"));
}

void TestDesktopFiles::atomicWriteKeepsLinkedFile()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString real = folder.filePath(QStringLiteral("dotfiles/mimeapps.list"));
    const QString link = folder.filePath(QStringLiteral("config/mimeapps.list"));
    QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("dotfiles"))));
    QVERIFY(QDir().mkpath(folder.filePath(QStringLiteral("config"))));
    QVERIFY(QFile::link(real, link));

    std::string error;
    QVERIFY(platform::writeFileAtomically(link.toStdString(), "new\n", 0600, &error));
    QVERIFY(QFileInfo(link).isSymLink());
    QCOMPARE(TestFiles::readFile(real), QByteArray("new\n"));
    QCOMPARE(QFileInfo(real).permissions() & (QFile::ReadOther | QFile::WriteOwner),
             QFile::Permissions(QFile::WriteOwner));
    // No temporary file left behind.
    QCOMPARE(QDir(folder.filePath(QStringLiteral("dotfiles"))).entryList(QDir::Files).size(), 1);

    // A missing folder is a failure with a message, and nothing is created.
    const std::string missing = folder.filePath(QStringLiteral("nowhere/file")).toStdString();
    QVERIFY(!platform::writeFileAtomically(missing, "x", 0644, &error));
    QVERIFY(fromStd(error).contains(QLatin1String("nowhere")));

    std::string text = "stale";
    QVERIFY(platform::readTextFile(missing, &text, &error));
    QVERIFY(text.empty());
}

void TestDesktopFiles::programLinkNeverReplacesAFile()
{
    QTemporaryDir folder;
    QVERIFY(folder.isValid());
    const QString bin = folder.filePath(QStringLiteral("home/.local/bin"));
    const QString link = bin + QStringLiteral("/Velmar.exe");
    std::string error;

    // The folder is made; an older link is replaced.
    QVERIFY(platform::linkProgram(link.toStdString(), "/opt/old/Velmar.exe", &error));
    QVERIFY(platform::linkProgram(link.toStdString(), "/opt/new/Velmar.exe", &error));
    QCOMPARE(QFileInfo(link).symLinkTarget(), QStringLiteral("/opt/new/Velmar.exe"));
    QCOMPARE(QDir(bin).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System).size(), 1);

    // A file of the user's own is left as it is.
    const QString own = bin + QStringLiteral("/tool");
    QVERIFY(TestFiles::writeFile(own, "#!/bin/sh\n"));
    QVERIFY(!platform::linkProgram(own.toStdString(), "/opt/new/Velmar.exe", &error));
    QVERIFY(fromStd(error).contains(QLatin1String("not a link")));
    QVERIFY(!QFileInfo(own).isSymLink());
    QCOMPARE(QFileInfo(own).size(), qint64(10));
}

QTEST_GUILESS_MAIN(TestDesktopFiles)
#include "tst_desktop_files.moc"
