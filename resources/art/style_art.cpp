// Draws the pictures of the installer's style resource and writes the .qrc
// that packs them with the style sheets. Run by the build; every picture is
// drawn here, so the resource holds no art from elsewhere. Usage:
//   style_art <output folder> <style sheet>...
#include "art_pictures.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QTextStream>
#include <QtEndian>

#include <vector>

using namespace ArtPictures;

namespace {

class Output
{
public:
    explicit Output(const QDir &folder)
        : m_folder(folder)
    {
    }

    // Saves a picture as style/<name>.png and, drawn at twice the size,
    // style/<name>@2x.png for high-DPI screens.
    bool picture(const QString &name, const QSize &size, const Drawing &drawing)
    {
        return save(name + QStringLiteral(".png"), render(size, 1, drawing))
            && save(name + QStringLiteral("@2x.png"), render(size, 2, drawing));
    }

    bool save(const QString &fileName, const QImage &image)
    {
        if (!image.save(m_folder.filePath(fileName), "PNG", 9)) {
            qCritical("cannot write %s", qPrintable(fileName));
            return false;
        }
        add(QStringLiteral("style/") + fileName, m_folder.filePath(fileName));
        return true;
    }

    void add(const QString &alias, const QString &path)
    {
        m_entries << QStringLiteral("<file alias=\"%1\">%2</file>").arg(alias, path);
    }

    bool writeQrc() const
    {
        QFile qrc(m_folder.filePath(QStringLiteral("installer.qrc")));
        if (!qrc.open(QIODevice::WriteOnly | QIODevice::Truncate))
            return false;
        QTextStream stream(&qrc);
        stream << "<RCC><qresource prefix=\"/\">\n";
        for (const QString &entry : m_entries)
            stream << "  " << entry << "\n";
        stream << "</qresource></RCC>\n";
        return stream.status() == QTextStream::Ok;
    }

    QString filePath(const QString &name) const { return m_folder.filePath(name); }

private:
    QDir m_folder;
    QStringList m_entries;
};

// Qt's ICO writer stores one image per file; Windows wants every size in one
// icon. Each size is written by Qt and the directory entries are merged. From
// 64 pixels up the image is stored as PNG, as Windows has read it in icons
// since Vista: the 256-pixel bitmap alone would be a quarter of a megabyte,
// carried in the executable and in the style resource.
bool writeIcon(const QString &path, const std::vector<int> &sizes)
{
    constexpr int smallestPngSize = 64;
    QByteArray directory;
    QByteArray images;
    const int headerSize = 6 + 16 * int(sizes.size());
    for (int size : sizes) {
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "ico");
        if (!writer.write(render(QSize(size, size), 1, drawMark))) {
            qCritical("cannot write a %dpx icon: %s", size, qPrintable(writer.errorString()));
            return false;
        }
        const QByteArray single = buffer.data();
        // One-image file: 6-byte header, one 16-byte entry, then the image.
        if (single.size() < 22 || qFromLittleEndian<quint16>(single.constData() + 4) != 1)
            return false;
        QByteArray entry = single.mid(6, 16);
        const quint32 length = qFromLittleEndian<quint32>(entry.constData() + 8);
        const quint32 offset = qFromLittleEndian<quint32>(entry.constData() + 12);
        if (offset + length > quint32(single.size()))
            return false;
        QByteArray image = single.mid(int(offset), int(length));
        if (size >= smallestPngSize) {
            QBuffer png(&image);
            png.open(QIODevice::WriteOnly | QIODevice::Truncate);
            if (!render(QSize(size, size), 1, drawMark).save(&png, "png"))
                return false;
            qToLittleEndian<quint32>(quint32(image.size()), entry.data() + 8);
        }
        qToLittleEndian<quint32>(quint32(headerSize + images.size()), entry.data() + 12);
        directory += entry;
        images += image;
    }
    QByteArray header(6, '\0');
    qToLittleEndian<quint16>(1, header.data() + 2);
    qToLittleEndian<quint16>(quint16(sizes.size()), header.data() + 4);
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(header + directory + images)
        == header.size() + directory.size() + images.size();
}

bool drawEverything(Output &out)
{
    const auto systemButtons = [&out]() {
        const struct
        {
            const char *name;
            SystemButton button;
        } buttons[] = { { "minimize", SystemButton::Minimize },
                        { "maximize", SystemButton::Maximize },
                        { "restore", SystemButton::Restore },
                        { "close", SystemButton::Close } };
        const struct
        {
            const char *suffix;
            ButtonState state;
        } states[] = { { "", ButtonState::Normal },
                       { "_hover", ButtonState::Hover },
                       { "_pressed", ButtonState::Pressed },
                       { "_disabled", ButtonState::Disabled } };
        for (const auto &button : buttons) {
            for (const auto &state : states) {
                const bool ok
                    = out.picture(QLatin1String(button.name) + QLatin1String(state.suffix),
                                  QSize(28, 24), [&](QPainter &painter, const QSizeF &size) {
                                      drawSystemButton(painter, size, button.button, state.state);
                                  });
                if (!ok)
                    return false;
            }
        }
        return true;
    };

    const auto checkBoxes = [&out]() {
        const struct
        {
            const char *name;
            bool checked, hover, enabled;
        } boxes[] = { { "checkbox", false, false, true },
                      { "checkbox_hover", false, true, true },
                      { "checkbox_disabled", false, false, false },
                      { "checkbox_checked", true, false, true },
                      { "checkbox_checked_hover", true, true, true },
                      { "checkbox_checked_disabled", true, false, false } };
        for (const auto &box : boxes) {
            const bool ok = out.picture(
                QLatin1String(box.name), QSize(16, 16), [&](QPainter &painter, const QSizeF &size) {
                    drawCheckBox(painter, size, box.checked, box.hover, box.enabled);
                });
            if (!ok)
                return false;
        }
        return true;
    };

    const auto slides = [&out]() {
        for (int index = 1; index <= 3; ++index) {
            const bool ok = out.picture(QStringLiteral("slide%1").arg(index), QSize(500, 230),
                                        [index](QPainter &painter, const QSizeF &size) {
                                            drawSlide(painter, size, index);
                                        });
            if (!ok)
                return false;
        }
        return true;
    };

    const QString icon = out.filePath(QStringLiteral("installer.ico"));
    if (!writeIcon(icon, { 16, 24, 32, 48, 64, 128, 256 }))
        return false;
    out.add(QStringLiteral("style/installer.ico"), icon);

    return out.picture(QStringLiteral("title_icon"), QSize(16, 16), drawMark)
        && out.save(QStringLiteral("shadow.png"), shadow(12, 8, 1))
        && out.save(QStringLiteral("shadow@2x.png"), shadow(12, 8, 2)) && systemButtons()
        && out.picture(QStringLiteral("msg_icon2"), QSize(32, 32), drawMessageIcon)
        && out.picture(QStringLiteral("flag_success"), QSize(24, 24), drawSuccessFlag)
        && out.picture(QStringLiteral("flag_fail"), QSize(24, 24), drawFailFlag) && checkBoxes()
        && out.picture(QStringLiteral("start_hero"), QSize(500, 180), drawStartHero)
        && out.picture(
            QStringLiteral("result_success"), QSize(500, 96),
            [](QPainter &painter, const QSizeF &size) { drawResultBand(painter, size, true); })
        && out.picture(
            QStringLiteral("result_fail"), QSize(500, 96),
            [](QPainter &painter, const QSizeF &size) { drawResultBand(painter, size, false); })
        && slides();
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() < 2) {
        qCritical("usage: style_art <output folder> <style sheet>...");
        return 2;
    }
    QDir folder(args.at(1));
    if (!folder.mkpath(QStringLiteral("."))) {
        qCritical("cannot create %s", qPrintable(args.at(1)));
        return 1;
    }

    Output out(folder);
    if (!drawEverything(out))
        return 1;
    for (int i = 2; i < args.size(); ++i) {
        const QFileInfo sheet(args.at(i));
        out.add(QStringLiteral("qss/style/") + sheet.fileName(), sheet.absoluteFilePath());
    }
    if (!out.writeQrc()) {
        qCritical("cannot write the .qrc");
        return 1;
    }
    return 0;
}
