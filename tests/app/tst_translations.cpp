// Every translatable text of the program has a finished Simplified Chinese
// translation in the shipped installer.zh_CN.qm. lupdate collects the texts
// from the sources exactly as Qt Linguist would, so a new tr() without a
// translation fails here with its context and text.
#include "support/qt_tools.h"
#include "support/test_paths.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QTemporaryDir>
#include <QTranslator>
#include <QXmlStreamReader>
#include <QtTest>

namespace {

// The folders whose code shows texts to the user.
const QStringList sourceFolders
    = { QStringLiteral("app"),     QStringLiteral("config"), QStringLiteral("single_instance"),
        QStringLiteral("toolkit"), QStringLiteral("engine"), QStringLiteral("wizard") };

struct Text
{
    QString context;
    QString source;
    QString comment;
    bool numerus = false;
};

// The messages of a TS file; unfinished ones are collected separately.
QList<Text> readTs(const QString &path, QList<Text> *unfinished = nullptr)
{
    QList<Text> texts;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return texts;
    QXmlStreamReader xml(&file);
    QString context;
    Text text;
    while (!xml.atEnd()) {
        xml.readNext();
        if (!xml.isStartElement()) {
            if (xml.isEndElement() && xml.name() == QLatin1String("message"))
                texts << text;
            continue;
        }
        if (xml.name() == QLatin1String("name")) {
            context = xml.readElementText();
        } else if (xml.name() == QLatin1String("message")) {
            text = Text();
            text.context = context;
            text.numerus = xml.attributes().value(QLatin1String("numerus")) == QLatin1String("yes");
        } else if (xml.name() == QLatin1String("source")) {
            text.source = xml.readElementText();
        } else if (xml.name() == QLatin1String("comment")) {
            text.comment = xml.readElementText();
        } else if (xml.name() == QLatin1String("translation") && unfinished) {
            const QStringRef type = xml.attributes().value(QLatin1String("type"));
            if (type == QLatin1String("unfinished"))
                *unfinished << text;
        }
    }
    return texts;
}

QString describe(const Text &text)
{
    return QStringLiteral("  %1: \"%2\"").arg(text.context, text.source);
}

} // namespace

class TestTranslations : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void everyTextHasAChineseTranslation();
    void contextsAreClassNames();
    void chineseSourcesHaveNoUnfinishedOrUnusedEntries();

private:
    QTemporaryDir m_work;
    QList<Text> m_texts;
};

void TestTranslations::initTestCase()
{
    QVERIFY(m_work.isValid());
    QStringList arguments { QStringLiteral("-silent"),     QStringLiteral("-no-obsolete"),
                            QStringLiteral("-locations"),  QStringLiteral("none"),
                            QStringLiteral("-extensions"), QStringLiteral("cpp,h") };
    for (const QString &folder : sourceFolders) {
        const QString path = TestPaths::sourceDir() + QLatin1Char('/') + folder;
        if (QDir(path).exists())
            arguments << path;
    }
    const QString ts = m_work.filePath(QStringLiteral("found.ts"));
    arguments << QStringLiteral("-ts") << ts;
    const QString error = QtTools::runTool("LUPDATE", arguments);
    QVERIFY2(error.isEmpty(), qPrintable(error));
    QVERIFY(QFile::exists(ts));
    m_texts = readTs(ts);
    qInfo("%d translatable texts in the sources", int(m_texts.size()));
}

void TestTranslations::everyTextHasAChineseTranslation()
{
    const QString qm
        = TestPaths::outputDir() + QStringLiteral("/resources/translations/installer.zh_CN.qm");
    QVERIFY2(QFile::exists(qm), qPrintable(qm));
    QTranslator translator;
    // An empty catalogue does not load; with no texts there is nothing to miss.
    const bool loaded = translator.load(qm);
    QVERIFY(loaded || m_texts.isEmpty());

    QStringList missing;
    for (const Text &text : qAsConst(m_texts)) {
        const QString translation = loaded
            ? translator.translate(
                text.context.toUtf8().constData(), text.source.toUtf8().constData(),
                text.comment.isEmpty() ? nullptr : text.comment.toUtf8().constData(),
                text.numerus ? 1 : -1)
            : QString();
        if (translation.isEmpty())
            missing << describe(text);
    }
    QVERIFY2(missing.isEmpty(),
             qPrintable(QStringLiteral("%1 text(s) without a finished zh_CN translation:\n%2")
                            .arg(missing.size())
                            .arg(missing.join(QLatin1Char('\n')))));
}

void TestTranslations::contextsAreClassNames()
{
    // Every class declared in the program's sources.
    QSet<QString> classes;
    const QRegularExpression declaration(
        QStringLiteral(
            "\\b(?:class|struct)\\s+(?:[A-Z_]+\\s+)?([A-Za-z_][A-Za-z0-9_]*)\\s*(?::|\\{|$)"),
        QRegularExpression::MultilineOption);
    for (const QString &folder : sourceFolders) {
        QDirIterator it(TestPaths::sourceDir() + QLatin1Char('/') + folder,
                        { QStringLiteral("*.h"), QStringLiteral("*.cpp") }, QDir::Files,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            QFile file(it.next());
            QVERIFY(file.open(QIODevice::ReadOnly));
            auto matches = declaration.globalMatch(QString::fromUtf8(file.readAll()));
            while (matches.hasNext())
                classes.insert(matches.next().captured(1));
        }
    }

    QStringList wrong;
    for (const Text &text : qAsConst(m_texts)) {
        if (!classes.contains(text.context))
            wrong << describe(text);
    }
    wrong.removeDuplicates();
    QVERIFY2(wrong.isEmpty(),
             qPrintable(QStringLiteral("texts whose context is not a class of the program:\n")
                        + wrong.join(QLatin1Char('\n'))));
}

void TestTranslations::chineseSourcesHaveNoUnfinishedOrUnusedEntries()
{
    QSet<QString> used;
    for (const Text &text : qAsConst(m_texts))
        used.insert(describe(text));
    QDir folder(TestPaths::sourceDir() + QStringLiteral("/resources/translations/zh_CN"));
    const QStringList files = folder.entryList({ QStringLiteral("*.ts") }, QDir::Files);
    QVERIFY(!files.isEmpty());
    QStringList unfinishedTexts;
    QStringList unusedTexts;
    for (const QString &name : files) {
        QList<Text> unfinished;
        for (const Text &text : readTs(folder.filePath(name), &unfinished)) {
            if (!used.contains(describe(text)))
                unusedTexts << name + describe(text);
        }
        for (const Text &text : qAsConst(unfinished))
            unfinishedTexts << name + describe(text);
    }
    QVERIFY2(unfinishedTexts.isEmpty(),
             qPrintable(QStringLiteral("unfinished entries:\n")
                        + unfinishedTexts.join(QLatin1Char('\n'))));
    QVERIFY2(unusedTexts.isEmpty(),
             qPrintable(QStringLiteral("entries no text of the program uses:\n")
                        + unusedTexts.join(QLatin1Char('\n'))));
}

QTEST_GUILESS_MAIN(TestTranslations)
#include "tst_translations.moc"
