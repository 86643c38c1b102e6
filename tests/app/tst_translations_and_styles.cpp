// Loading translations and style sheets from the folders beside the
// executable: one translator per family, the debug line for a family without
// the user's language, case-sensitive style resource names, style sheet
// order, "_mac" sheets, and sheets already set staying in front with their
// pictures.
#include "app/translations_and_styles.h"
#include "support/qt_tools.h"
#include "support/test_files.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLocale>
#include <QResource>
#include <QTemporaryDir>
#include <QTranslator>
#include <QtTest>

namespace {

// What the application was started with, captured before any test runs:
// main() below passes -stylesheet on the command line.
QString g_startStyleSheet;
QByteArray g_commandLineSheet = "QLabel#from_command_line { color: red; }\n";

} // namespace

class TestTranslationsAndStyles : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void commandLineStyleSheetStaysInFront();
    void commandLineSheetKeepsItsRelativePictures();
    void relativeUrlsBecomeAbsolute_data();
    void relativeUrlsBecomeAbsolute();
    void styleSheetsInNameOrderWithoutMac();
    void appendedToTheCurrentStyleSheet();
    void onlyInstallerBrcIsRegistered();
    void everyInstallerFamilyResourceIsRegistered();
    void missingStylesFolderLeavesTheSheetAlone();
    void missingResourceAppendsNothing();
    void loadStyleSheetsOfMissingFolderIsEmpty();

    void oneTranslatorForTwoFilesOfOneFamily();
    void oneTranslatorPerFamily();
    void familyWithoutTheLanguageIsLogged();
    void bareFamilyFileIsNoFallback();
    void missingTranslationsFolderInstallsNothing();

private:
    QString appFolder() const { return m_appDir->path(); }
    QString stylesFolder();
    QString translationsFolder();
    // Both false, after a warning with Qt's tool's complaint, on failure.
    bool addResource(const QString &fileName, const QMap<QString, QByteArray> &files);
    bool addTranslation(const QString &fileName, const QString &language,
                        const QString &translation);
    QList<QTranslator *> translators() const;
    void install(const QLocale &locale = QLocale(QLocale::English, QLocale::UnitedStates));

    QScopedPointer<QTemporaryDir> m_appDir;
    QStringList m_registered;
};

void TestTranslationsAndStyles::init()
{
    m_appDir.reset(new QTemporaryDir);
    QVERIFY(m_appDir->isValid());
    qApp->setStyleSheet(QString());
}

void TestTranslationsAndStyles::cleanup()
{
    // Registered resources and installed translators are process-wide; undo
    // them so that every test starts clean.
    for (const QString &file : qAsConst(m_registered))
        QResource::unregisterResource(file);
    m_registered.clear();
    for (QTranslator *translator : translators()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    qApp->setStyleSheet(QString());
    m_appDir.reset();
}

QString TestTranslationsAndStyles::stylesFolder()
{
    QDir(appFolder()).mkpath(QStringLiteral("resources/styles"));
    return appFolder() + QStringLiteral("/resources/styles");
}

QString TestTranslationsAndStyles::translationsFolder()
{
    QDir(appFolder()).mkpath(QStringLiteral("resources/translations"));
    return appFolder() + QStringLiteral("/resources/translations");
}

bool TestTranslationsAndStyles::addResource(const QString &fileName,
                                            const QMap<QString, QByteArray> &files)
{
    const QString path = stylesFolder() + QLatin1Char('/') + fileName;
    const QString error = QtTools::packResource(path, files);
    if (!error.isEmpty()) {
        qWarning("%s", qPrintable(error));
        return false;
    }
    m_registered << path;
    return true;
}

bool TestTranslationsAndStyles::addTranslation(const QString &fileName, const QString &language,
                                               const QString &translation)
{
    const QString error = QtTools::compileTranslation(
        translationsFolder() + QLatin1Char('/') + fileName, language,
        { { QStringLiteral("StartingWidget"), QStringLiteral("Install now"), translation } });
    if (!error.isEmpty())
        qWarning("%s", qPrintable(error));
    return error.isEmpty();
}

QList<QTranslator *> TestTranslationsAndStyles::translators() const
{
    return qApp->findChildren<QTranslator *>(QString(), Qt::FindDirectChildrenOnly);
}

void TestTranslationsAndStyles::install(const QLocale &locale)
{
    installTranslationsAndStyles(*qApp, QDir(appFolder()), locale);
}

void TestTranslationsAndStyles::commandLineStyleSheetStaysInFront()
{
    // Qt keeps a -stylesheet option as a reference to the file.
    QVERIFY2(g_startStyleSheet.startsWith(QLatin1String("file:///")),
             qPrintable(g_startStyleSheet));
    qApp->setStyleSheet(g_startStyleSheet);
    QVERIFY(
        addResource(QStringLiteral("installer.brc"),
                    { { QStringLiteral("qss/style/a.qss"), "QLabel#loaded { color: blue; }\n" } }));
    install();
    QCOMPARE(qApp->styleSheet(),
             QString::fromUtf8(g_commandLineSheet)
                 + QStringLiteral("QLabel#loaded { color: blue; }\n"));
}

void TestTranslationsAndStyles::commandLineSheetKeepsItsRelativePictures()
{
    // A sheet beside its pictures, given as -stylesheet would give it.
    QTemporaryDir sheetDir;
    QVERIFY(QDir(sheetDir.path()).mkpath(QStringLiteral("pictures")));
    QImage red(8, 8, QImage::Format_RGB32);
    red.fill(Qt::red);
    QVERIFY(red.save(sheetDir.filePath(QStringLiteral("pictures/red.png"))));
    const QString sheet = sheetDir.filePath(QStringLiteral("user.qss"));
    QVERIFY(TestFiles::writeFile(sheet,
                                 "QLabel#picture { background-image: url(pictures/red.png); }\n"));
    qApp->setStyleSheet(QStringLiteral("file:///") + sheet);
    stylesFolder();
    install();

    QLabel label;
    label.setObjectName(QStringLiteral("picture"));
    label.resize(8, 8);
    QCOMPARE(label.grab().toImage().pixelColor(4, 4), QColor(Qt::red));
}

void TestTranslationsAndStyles::relativeUrlsBecomeAbsolute_data()
{
    QTest::addColumn<QString>("sheet");
    QTest::addColumn<QString>("expected");
    QTest::newRow("bare") << "a { image: url(pics/a.png); }"
                          << "a { image: url(\"/sheets/pics/a.png\"); }";
    QTest::newRow("quoted, blanks, parent folder")
        << "a { image: url( '../b c.png' ); b: URL(\"x.png\") }"
        << "a { image: url(\"/b c.png\"); b: url(\"/sheets/x.png\") }";
    QTest::newRow("resource and absolute paths stay")
        << "a { image: url(:/style/a.png); b: url(/opt/b.png); }"
        << "a { image: url(:/style/a.png); b: url(/opt/b.png); }";
}

void TestTranslationsAndStyles::relativeUrlsBecomeAbsolute()
{
    QFETCH(QString, sheet);
    QFETCH(QString, expected);
    QCOMPARE(withAbsoluteUrls(sheet, QStringLiteral("/sheets")), expected);
}

void TestTranslationsAndStyles::styleSheetsInNameOrderWithoutMac()
{
    QVERIFY(addResource(QStringLiteral("installer.brc"),
                        {
                            { QStringLiteral("qss/style/b.qss"), "/*b*/" },
                            { QStringLiteral("qss/style/a.qss"), "/*a*/" },
                            { QStringLiteral("qss/style/b_mac.qss"), "/*b_mac*/" },
                            { QStringLiteral("qss/style/Z.qss"), "/*Z*/" },
                            { QStringLiteral("qss/style/c.QSS"), "/*c.QSS*/" },
                            { QStringLiteral("qss/style/notes.txt"), "/*txt*/" },
                            { QStringLiteral("qss/style/d.qss"), "/*\xe4\xb8\xad*/" },
                            { QStringLiteral("qss/other.qss"), "/*elsewhere*/" },
                        }));
    install();
    // Case-sensitive name order puts Z before a; the UTF-8 sheet arrives
    // decoded.
    QCOMPARE(qApp->styleSheet(), QStringLiteral("/*Z*//*a*//*b*//*\u4e2d*/"));
    QCOMPARE(loadStyleSheets(QStringLiteral(":/qss/style/")), qApp->styleSheet());
}

void TestTranslationsAndStyles::appendedToTheCurrentStyleSheet()
{
    qApp->setStyleSheet(QStringLiteral("QWidget { margin: 1px; }"));
    QVERIFY(addResource(QStringLiteral("installer.brc"),
                        { { QStringLiteral("qss/style/a.qss"), "/*a*/" } }));
    install();
    QCOMPARE(qApp->styleSheet(), QStringLiteral("QWidget { margin: 1px; }/*a*/"));
}

void TestTranslationsAndStyles::onlyInstallerBrcIsRegistered()
{
    QVERIFY(addResource(QStringLiteral("INSTALLER.BRC"),
                        { { QStringLiteral("qss/style/upper.qss"), "/*1*/" } }));
    QVERIFY(addResource(QStringLiteral("installer.BRC"),
                        { { QStringLiteral("qss/style/suffix.qss"), "/*2*/" } }));
    QVERIFY(addResource(QStringLiteral("Installer.brc"),
                        { { QStringLiteral("qss/style/base.qss"), "/*3*/" } }));
    QVERIFY(addResource(QStringLiteral("setup.brc"),
                        { { QStringLiteral("qss/style/setup.qss"), "/*4*/" } }));
    QVERIFY(addResource(QStringLiteral("installer.brc.bak"),
                        { { QStringLiteral("qss/style/bak.qss"), "/*5*/" } }));
    install();
    QCOMPARE(qApp->styleSheet(), QString());
    QVERIFY(!QFile::exists(QStringLiteral(":/qss/style/upper.qss")));
    QVERIFY(!QFile::exists(QStringLiteral(":/qss/style/suffix.qss")));
    QVERIFY(!QFile::exists(QStringLiteral(":/qss/style/base.qss")));
    QVERIFY(!QFile::exists(QStringLiteral(":/qss/style/setup.qss")));
    QVERIFY(!QFile::exists(QStringLiteral(":/qss/style/bak.qss")));
}

void TestTranslationsAndStyles::everyInstallerFamilyResourceIsRegistered()
{
    // installer.dark.brc has base name "installer" and suffix "brc" too.
    QVERIFY(addResource(QStringLiteral("installer.brc"),
                        { { QStringLiteral("qss/style/a.qss"), "/*a*/" },
                          { QStringLiteral("style/installer.ico"), "icon" } }));
    QVERIFY(addResource(QStringLiteral("installer.dark.brc"),
                        { { QStringLiteral("qss/style/b.qss"), "/*b*/" } }));
    install();
    QVERIFY(QFile::exists(QStringLiteral(":/style/installer.ico")));
    QVERIFY(QFile::exists(QStringLiteral(":/qss/style/b.qss")));
    QVERIFY(qApp->styleSheet().contains(QLatin1String("/*a*/")));
    QVERIFY(qApp->styleSheet().contains(QLatin1String("/*b*/")));
}

void TestTranslationsAndStyles::missingStylesFolderLeavesTheSheetAlone()
{
    qApp->setStyleSheet(QStringLiteral("QWidget { margin: 2px; }"));
    // A file, not a folder, in the folder's place.
    QVERIFY(TestFiles::writeFile(appFolder() + QStringLiteral("/resources/styles"), QByteArray()));
    install();
    QCOMPARE(qApp->styleSheet(), QStringLiteral("QWidget { margin: 2px; }"));
    QVERIFY(translators().isEmpty());
}

void TestTranslationsAndStyles::missingResourceAppendsNothing()
{
    stylesFolder();
    qApp->setStyleSheet(QStringLiteral("QWidget { margin: 3px; }"));
    install();
    QCOMPARE(qApp->styleSheet(), QStringLiteral("QWidget { margin: 3px; }"));
}

void TestTranslationsAndStyles::loadStyleSheetsOfMissingFolderIsEmpty()
{
    QCOMPARE(loadStyleSheets(appFolder() + QStringLiteral("/nothing")), QString());
    QCOMPARE(loadStyleSheets(QStringLiteral(":/no/such/folder/")), QString());
}

void TestTranslationsAndStyles::oneTranslatorForTwoFilesOfOneFamily()
{
    QVERIFY(addTranslation(QStringLiteral("installer.zh_CN.qm"), QStringLiteral("zh_CN"),
                           QStringLiteral("立即安装")));
    QVERIFY(addTranslation(QStringLiteral("installer.en.qm"), QStringLiteral("en"),
                           QStringLiteral("Install it now")));
    install(QLocale(QLocale::Chinese, QLocale::China));
    QCOMPARE(translators().size(), 1);
    QCOMPARE(QCoreApplication::translate("StartingWidget", "Install now"),
             QStringLiteral("立即安装"));
    cleanup();
    init();

    // The same folder on an English system picks the English file.
    QVERIFY(addTranslation(QStringLiteral("installer.zh_CN.qm"), QStringLiteral("zh_CN"),
                           QStringLiteral("立即安装")));
    QVERIFY(addTranslation(QStringLiteral("installer.en.qm"), QStringLiteral("en"),
                           QStringLiteral("Install it now")));
    install(QLocale(QLocale::English, QLocale::UnitedKingdom));
    QCOMPARE(translators().size(), 1);
    QCOMPARE(QCoreApplication::translate("StartingWidget", "Install now"),
             QStringLiteral("Install it now"));
}

void TestTranslationsAndStyles::oneTranslatorPerFamily()
{
    QVERIFY(addTranslation(QStringLiteral("installer.zh_CN.qm"), QStringLiteral("zh_CN"),
                           QStringLiteral("立即安装")));
    QVERIFY(addTranslation(QStringLiteral("extra.zh.qm"), QStringLiteral("zh"),
                           QStringLiteral("另一个")));
    // Not a translation file at all.
    QVERIFY(TestFiles::writeFile(translationsFolder() + QStringLiteral("/readme.zh_CN.txt"),
                                 QByteArray()));
    install(QLocale(QLocale::Chinese, QLocale::China));
    QCOMPARE(translators().size(), 2);
}

void TestTranslationsAndStyles::familyWithoutTheLanguageIsLogged()
{
    QVERIFY(addTranslation(QStringLiteral("installer.zh_CN.qm"), QStringLiteral("zh_CN"),
                           QStringLiteral("立即安装")));
    QTest::ignoreMessage(QtDebugMsg, "failed to install language: installer");
    install(QLocale(QLocale::German, QLocale::Germany));
    QVERIFY(translators().isEmpty());
    QCOMPARE(QCoreApplication::translate("StartingWidget", "Install now"),
             QStringLiteral("Install now"));
}

void TestTranslationsAndStyles::bareFamilyFileIsNoFallback()
{
    QVERIFY(addTranslation(QStringLiteral("installer.qm"), QStringLiteral("zh_CN"),
                           QStringLiteral("立即安装")));
    QTest::ignoreMessage(QtDebugMsg, "failed to install language: installer");
    install(QLocale(QLocale::Chinese, QLocale::China));
    QVERIFY(translators().isEmpty());
}

void TestTranslationsAndStyles::missingTranslationsFolderInstallsNothing()
{
    stylesFolder();
    install(QLocale(QLocale::Chinese, QLocale::China));
    QVERIFY(translators().isEmpty());
}

// The application gets a style sheet on its command line, the way a user
// would pass one with Qt's standard -stylesheet option.
int main(int argc, char *argv[])
{
    QTemporaryDir sheetDir;
    const QString sheetPath = sheetDir.filePath(QStringLiteral("command_line.qss"));
    if (!TestFiles::writeFile(sheetPath, g_commandLineSheet))
        return 2;

    QByteArray option = "-stylesheet";
    QByteArray path = sheetPath.toLocal8Bit();
    std::vector<char *> arguments(argv, argv + argc);
    arguments.insert(arguments.begin() + 1, { option.data(), path.data() });
    int count = static_cast<int>(arguments.size());
    arguments.push_back(nullptr);

    QApplication app(count, arguments.data());
    g_startStyleSheet = app.styleSheet();
    TestTranslationsAndStyles test;
    return QTest::qExec(&test, count, arguments.data());
}

#include "tst_translations_and_styles.moc"
