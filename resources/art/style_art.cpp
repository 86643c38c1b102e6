// Draws the pictures of the installer's style resource and writes the .qrc
// that packs them with the style sheets. Usage:
//   style_art <output folder> <style sheet>...
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QTextStream>

static QImage drawIcon(int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x2b, 0x6c, 0xe8));
    painter.drawRoundedRect(QRectF(0, 0, size, size), size * 0.22, size * 0.22);
    return image;
}

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        qCritical("usage: style_art <output folder> <style sheet>...");
        return 2;
    }
    QDir out(args.at(1));
    out.mkpath(QStringLiteral("."));

    QStringList entries;
    if (!drawIcon(64).save(out.filePath(QStringLiteral("installer.ico")), "ICO"))
        return 1;
    entries << QStringLiteral("<file alias=\"style/installer.ico\">installer.ico</file>");

    for (int i = 2; i < args.size(); ++i) {
        const QFileInfo sheet(args.at(i));
        entries << QStringLiteral("<file alias=\"qss/style/%1\">%2</file>")
                       .arg(sheet.fileName(), sheet.absoluteFilePath());
    }

    QFile qrc(out.filePath(QStringLiteral("installer.qrc")));
    if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return 1;
    QTextStream stream(&qrc);
    stream << "<RCC><qresource prefix=\"/\">\n";
    for (const QString &entry : qAsConst(entries))
        stream << "  " << entry << "\n";
    stream << "</qresource></RCC>\n";
    return 0;
}
