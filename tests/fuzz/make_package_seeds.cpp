// Writes the seed packages of fuzz_package (tests/fuzz/corpus/package) into
// the folder given: a few small packages the installer accepts and a few it
// must refuse, made with the tests' own zip builders. Run by hand when the
// seeds change:  fuzz_package_seeds tests/fuzz/corpus/package
#include "support/raw_zip.h"
#include "support/test_files.h"
#include "support/zip_builder.h"

#include <QDir>
#include <QString>

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <folder>\n", argv[0]);
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    bool ok = QDir().mkpath(folder.path());
    const auto path = [&folder](const char *name) { return folder.filePath(QLatin1String(name)); };

    // Accepted: stored, deflated, folders and a link, UTF-8 names.
    RawZip stored;
    stored.add("Velmar.exe", "MZ program", 0100755);
    stored.add("readme.txt", "Read me.\n");
    ok = stored.write(path("stored.zip")) && ok;

    ZipBuilder deflated;
    deflated.addFile(QStringLiteral("Velmar.exe"), QByteArray(600, 'x'), TestFiles::executable());
    deflated.addFile(QStringLiteral("data/settings.json"), "{ \"a\": 1 }\n");
    ok = deflated.write(path("deflated.zip")) && ok;

    ZipBuilder folders;
    folders.addFolder(QStringLiteral("data/"));
    folders.addFolder(QStringLiteral("data/empty/"));
    folders.addFile(QStringLiteral("data/sub/file.txt"), "file\n");
    folders.addLink(QStringLiteral("current"), QStringLiteral("data/sub"));
    ok = folders.write(path("folders_and_link.zip")) && ok;

    RawZip utf8;
    utf8.addUtf8(QStringLiteral("数据/说明.txt"), "UTF-8\n");
    utf8.addUtf8(QStringLiteral("Ünïcødé.txt"), "UTF-8\n");
    utf8.add("cp437-\x81.txt", "code page 437\n");
    ok = utf8.write(path("utf8_names.zip")) && ok;

    // Refused: names that leave the folder or collide, links that lead out,
    // sizes that lie.
    RawZip traversal;
    traversal.add("ok.txt", "ok\n");
    traversal.add("data/../../evil.txt", "evil\n");
    ok = traversal.write(path("traversal.zip")) && ok;

    RawZip absolute;
    absolute.add("/tmp/evil.txt", "evil\n");
    ok = absolute.write(path("absolute.zip")) && ok;

    RawZip duplicate;
    duplicate.add("a.txt", "first\n");
    duplicate.add("a.txt", "second\n");
    ok = duplicate.write(path("duplicate.zip")) && ok;

    RawZip linkOut;
    linkOut.addLink("up", "../..");
    linkOut.add("up/evil.txt", "evil\n");
    ok = linkOut.write(path("link_outside.zip")) && ok;

    RawZip liar;
    liar.add("big.bin", "short");
    liar.last().statesOtherSize = true;
    liar.last().statedSize = 3;
    ok = liar.write(path("lying_size.zip")) && ok;

    if (!ok)
        std::fprintf(stderr, "could not write every seed into %s\n", argv[1]);
    return ok ? 0 : 1;
}
