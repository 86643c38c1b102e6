#include "app/translations_and_styles.h"

#include "config/bundle.h"

#include <QApplication>
#include <QDebug>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QResource>
#include <QSet>
#include <QTranslator>

namespace {

// installer.zh_CN.qm and installer.en.qm are one family, "installer".
QSet<QString> familiesIn(const QDir &translations)
{
    QSet<QString> families;
    const QFileInfoList files = translations.entryInfoList(QDir::Files, QDir::NoSort);
    for (const QFileInfo &file : files) {
        if (file.suffix() == QLatin1String("qm"))
            families.insert(file.baseName());
    }
    return families;
}

// One translator per family, loaded for the locale's languages.
void installTranslations(QApplication &app, const QDir &translations, const QSet<QString> &families,
                         const QLocale &locale)
{
    for (const QString &family : families) {
        auto *translator = new QTranslator(&app);
        if (translator->load(locale, family, QStringLiteral("."), translations.absolutePath())) {
            QCoreApplication::installTranslator(translator);
        } else {
            delete translator;
            qDebug().noquote() << "failed to install language:" << family;
        }
    }
}

// The style sheet text the application holds now. A sheet given with
// -stylesheet on the command line is kept by Qt as a "file:///<path>"
// reference; text appended to such a reference would turn it into the name of
// a file that does not exist and lose both sheets, so the file's content
// takes its place, its relative pictures made absolute as Qt would have
// resolved them from the file.
QString currentStyleSheetText(const QApplication &app)
{
    const QString current = app.styleSheet();
    const QLatin1String fileScheme("file:///");
    if (!current.startsWith(fileScheme))
        return current;
    QFile file(current.mid(fileScheme.size()));
    if (!file.open(QIODevice::ReadOnly)) {
        qWarning().noquote() << "cannot read the style sheet" << file.fileName();
        return QString();
    }
    return withAbsoluteUrls(QString::fromUtf8(file.readAll()),
                            QFileInfo(file.fileName()).absolutePath());
}

void installStyles(QApplication &app, const QDir &styles)
{
    // Names compare case-sensitively: INSTALLER.BRC is not ours.
    const QFileInfoList files = styles.entryInfoList(QDir::Files, QDir::NoSort);
    for (const QFileInfo &file : files) {
        if (file.suffix() == QLatin1String("brc") && file.baseName() == QLatin1String("installer"))
            QResource::registerResource(file.absoluteFilePath());
    }
    app.setStyleSheet(currentStyleSheetText(app) + loadStyleSheets(QStringLiteral(":/qss/style/")));
}

// The style resource the program carries, when none lies beside it.
void installBundledStyles(QApplication &app, const QString &brc)
{
    // Qt reads registered resource data in place: it lives as long as the
    // process.
    static QByteArray data;
    QFile file(brc);
    if (!file.open(QIODevice::ReadOnly))
        return;
    data = file.readAll();
    if (!QResource::registerResource(reinterpret_cast<const uchar *>(data.constData())))
        qWarning().noquote() << "the bundled style resource cannot be read";
    app.setStyleSheet(currentStyleSheetText(app) + loadStyleSheets(QStringLiteral(":/qss/style/")));
}

} // namespace

void installTranslationsAndStyles(QApplication &app)
{
    installTranslationsAndStyles(app, QDir(QCoreApplication::applicationDirPath()),
                                 QLocale::system());
}

void installTranslationsAndStyles(QApplication &app, const QDir &appDir, const QLocale &locale)
{
    // A family beside the program wins over the bundled one of that name.
    QSet<QString> besideFamilies;
    QDir translations(appDir);
    if (translations.cd(QStringLiteral("./resources/translations"))) {
        besideFamilies = familiesIn(translations);
        installTranslations(app, translations, besideFamilies, locale);
    }
    const QString bundledTranslations = Bundle::bundled(QStringLiteral("resources/translations"));
    if (!bundledTranslations.isEmpty()) {
        const QDir bundled(bundledTranslations);
        installTranslations(app, bundled, familiesIn(bundled) - besideFamilies, locale);
    }

    // Without a styles folder the style sheet is left exactly as it is.
    QDir styles(appDir);
    const QString bundledStyles = Bundle::bundled(QStringLiteral("resources/styles/installer.brc"));
    if (styles.cd(QStringLiteral("./resources/styles"))
        && (bundledStyles.isEmpty() || styles.exists(QStringLiteral("installer.brc"))))
        installStyles(app, styles);
    else if (!bundledStyles.isEmpty())
        installBundledStyles(app, bundledStyles);
}

QString withAbsoluteUrls(const QString &sheet, const QString &folder)
{
    // url(x), url("x") or url('x'), in any case, blanks allowed inside.
    static const QRegularExpression url(
        QStringLiteral("url\\(\\s*(?:\"([^\"]*)\"|'([^']*)'|([^)'\"\\s]*))\\s*\\)"),
        QRegularExpression::CaseInsensitiveOption);
    QString result;
    int copied = 0;
    QRegularExpressionMatchIterator matches = url.globalMatch(sheet);
    while (matches.hasNext()) {
        const QRegularExpressionMatch match = matches.next();
        const QString path = match.captured(1) + match.captured(2) + match.captured(3);
        // Resource paths (":/...") count as absolute, as they do for Qt.
        if (path.isEmpty() || !QDir::isRelativePath(path))
            continue;
        const QString absolute = QDir::cleanPath(folder + QLatin1Char('/') + path);
        if (absolute.contains(QLatin1Char('"')))
            continue;
        result += sheet.midRef(copied, match.capturedStart() - copied);
        result += QStringLiteral("url(\"%1\")").arg(absolute);
        copied = match.capturedEnd();
    }
    result += sheet.midRef(copied);
    return result;
}

QString loadStyleSheets(const QString &folder)
{
    QString text;
    const QDir dir(folder);
    if (!dir.exists())
        return text;
    const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Name);
    for (const QFileInfo &info : files) {
        if (info.suffix() != QLatin1String("qss")
            || info.fileName().contains(QLatin1String("_mac")))
            continue;
        QFile file(info.absoluteFilePath());
        if (file.open(QIODevice::ReadOnly))
            text += QString::fromUtf8(file.readAll());
    }
    return text;
}
