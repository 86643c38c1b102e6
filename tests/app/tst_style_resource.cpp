// The shipped style resource: the paths the program relies on, a picture
// behind every url() of the style sheets (with a sharp @2x twin), a rule for
// every object name the widgets set, sheets that Qt parses, and a disabled
// look for the advanced panel.
#include "app/translations_and_styles.h"
#include "support/test_paths.h"

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QResource>
#include <QSet>
#include <QtTest>

namespace {

QStringList g_warnings;

void collectWarnings(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type != QtDebugMsg && type != QtInfoMsg)
        g_warnings << message;
}

} // namespace

class TestStyleResource : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void windowIconHasEverySize();
    void everyPictureExistsWithItsDoubleSize();
    void everyObjectNameIsStyled();
    void styleSheetsParse();
    void advancedPanelLooksDisabledUntilAgreed();

private:
    QString m_sheets;
};

void TestStyleResource::initTestCase()
{
    const QString brc = TestPaths::outputDir() + QStringLiteral("/resources/styles/installer.brc");
    QVERIFY2(QResource::registerResource(brc), qPrintable(brc));
    m_sheets = loadStyleSheets(QStringLiteral(":/qss/style/"));
    QVERIFY(!m_sheets.isEmpty());
}

void TestStyleResource::windowIconHasEverySize()
{
    QImageReader reader(QStringLiteral(":/style/installer.ico"));
    QVERIFY2(reader.canRead(), qPrintable(reader.errorString()));
    QSet<int> sizes;
    for (int i = 0; i < reader.imageCount(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY(!image.isNull());
        QCOMPARE(image.width(), image.height());
        // Drawn, not blank: the centre of the mark is opaque.
        QCOMPARE(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 255);
        sizes.insert(image.width());
    }
    for (int size : { 16, 24, 32, 48, 256 })
        QVERIFY2(sizes.contains(size), qPrintable(QString::number(size)));
}

void TestStyleResource::everyPictureExistsWithItsDoubleSize()
{
    const QRegularExpression url(QStringLiteral("url\\(([^)]+)\\)"));
    QSet<QString> pictures;
    auto matches = url.globalMatch(m_sheets);
    while (matches.hasNext())
        pictures.insert(matches.next().captured(1).trimmed());
    QVERIFY(pictures.size() > 20);

    QStringList problems;
    for (const QString &picture : qAsConst(pictures)) {
        if (!picture.startsWith(QLatin1String(":/"))) {
            problems << picture + QStringLiteral(" is not inside the resource");
            continue;
        }
        const QImage normal(picture);
        QString doubled = picture;
        doubled.insert(doubled.lastIndexOf(QLatin1Char('.')), QLatin1String("@2x"));
        const QImage sharp(doubled);
        if (normal.isNull())
            problems << picture + QStringLiteral(" is missing");
        else if (sharp.isNull())
            problems << doubled + QStringLiteral(" is missing");
        else if (sharp.size() != normal.size() * 2)
            problems << doubled + QStringLiteral(" is not twice the size");
    }
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join(QLatin1Char('\n'))));
}

void TestStyleResource::everyObjectNameIsStyled()
{
    // The names the widgets set for the style sheets.
    const QStringList names
        = { QStringLiteral("window_shadow"),  QStringLiteral("window_background"),
            QStringLiteral("icon"),           QStringLiteral("text"),
            QStringLiteral("minimize"),       QStringLiteral("maximize"),
            QStringLiteral("restore"),        QStringLiteral("close"),
            QStringLiteral("dialog_shadow"),  QStringLiteral("dialog_background"),
            QStringLiteral("dialog"),         QStringLiteral("dialog_client"),
            QStringLiteral("normal"),         QStringLiteral("text_label"),
            QStringLiteral("msg_icon2"),      QStringLiteral("install"),
            QStringLiteral("agreement"),      QStringLiteral("advanced"),
            QStringLiteral("advanced_frame"), QStringLiteral("dir_label"),
            QStringLiteral("browser"),        QStringLiteral("container"),
            QStringLiteral("image1"),         QStringLiteral("image2"),
            QStringLiteral("image3"),         QStringLiteral("status"),
            QStringLiteral("percent"),        QStringLiteral("flag"),
            QStringLiteral("success"),        QStringLiteral("launch"),
            QStringLiteral("fail"),           QStringLiteral("support") };
    QStringList unstyled;
    for (const QString &name : names) {
        const QRegularExpression selector(QLatin1Char('#') + name + QStringLiteral("\\b"));
        if (!selector.match(m_sheets).hasMatch())
            unstyled << name;
    }
    QVERIFY2(unstyled.isEmpty(), qPrintable(unstyled.join(QLatin1String(", "))));
    QVERIFY(m_sheets.contains(QLatin1String("ToastLabel")));
}

void TestStyleResource::styleSheetsParse()
{
    g_warnings.clear();
    const QtMessageHandler previous = qInstallMessageHandler(collectWarnings);
    qApp->setStyleSheet(m_sheets);
    QPushButton button(QStringLiteral("Install now"));
    button.setObjectName(QStringLiteral("install"));
    button.ensurePolished();
    const QSize hint = button.sizeHint();
    qInstallMessageHandler(previous);
    qApp->setStyleSheet(QString());
    QVERIFY2(g_warnings.isEmpty(), qPrintable(g_warnings.join(QLatin1Char('\n'))));
    // The sheet took effect: the install button is the big 200 x 44 pill.
    QCOMPARE(hint, QSize(200, 44));
}

void TestStyleResource::advancedPanelLooksDisabledUntilAgreed()
{
    qApp->setStyleSheet(m_sheets);
    QFrame panel;
    panel.setObjectName(QStringLiteral("advanced_frame"));
    auto *field = new QLineEdit(QStringLiteral("/opt/Velmar"), &panel);
    field->setObjectName(QStringLiteral("dir_edit"));
    auto *browse = new QPushButton(QStringLiteral("Browser"), &panel);
    browse->setObjectName(QStringLiteral("browser"));
    for (QWidget *widget : { static_cast<QWidget *>(field), static_cast<QWidget *>(browse) }) {
        widget->resize(120, 28);
        const auto look = [widget] { return widget->grab().toImage().pixelColor(110, 14); };
        panel.setEnabled(true);
        const QColor enabled = look();
        panel.setEnabled(false);
        QVERIFY2(look() != enabled, qPrintable(widget->objectName()));
    }
    qApp->setStyleSheet(QString());
}

QTEST_MAIN(TestStyleResource)
#include "tst_style_resource.moc"
