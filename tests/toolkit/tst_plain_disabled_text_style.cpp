#include "toolkit/plain_disabled_text_style.h"

#include <QPainter>
#include <QStyleFactory>
#include <QtTest>

#include <algorithm>
#include <memory>

// Disabled text in Qt's plain Windows style, with and without the wrapper:
// the wrapped one is the text's colour alone, nothing beside it.
class TestPlainDisabledTextStyle : public QObject
{
    Q_OBJECT

private slots:
    void disabledTextHasNoEtchedCopy();
};

namespace {

QImage disabledText(const QStyle &style)
{
    QImage image(80, 30, QImage::Format_ARGB32);
    image.fill(Qt::darkBlue);
    QPalette palette;
    palette.setColor(QPalette::Light, Qt::yellow);
    palette.setColor(QPalette::WindowText, Qt::white);
    QPainter painter(&image);
    style.drawItemText(&painter, image.rect(), Qt::AlignCenter, palette, false,
                       QStringLiteral("Install"), QPalette::WindowText);
    return image;
}

bool hasColour(const QImage &image, QRgb colour)
{
    const auto *pixels = reinterpret_cast<const QRgb *>(image.constBits());
    const auto *end = pixels + image.width() * image.height();
    return std::find(pixels, end, colour) != end;
}

} // namespace

void TestPlainDisabledTextStyle::disabledTextHasNoEtchedCopy()
{
    const std::unique_ptr<QStyle> windows(QStyleFactory::create(QStringLiteral("windows")));
    QVERIFY(windows);
    // The etched copy is drawn in the palette's light colour.
    QVERIFY(hasColour(disabledText(*windows), QColor(Qt::yellow).rgb()));
    const PlainDisabledTextStyle plain(QStringLiteral("windows"));
    QVERIFY(!hasColour(disabledText(plain), QColor(Qt::yellow).rgb()));
    QVERIFY(hasColour(disabledText(plain), QColor(Qt::white).rgb()));
}

QTEST_MAIN(TestPlainDisabledTextStyle)
#include "tst_plain_disabled_text_style.moc"
