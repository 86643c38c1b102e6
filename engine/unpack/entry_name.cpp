#include "engine/unpack/entry_name.h"

#include "config/single_name.h"

#include <QTextCodec>

namespace {

// The upper half of code page 437; the lower half is ASCII.
const char16_t cp437High[128] = {
    0x00C7, 0x00FC, 0x00E9, 0x00E2, 0x00E4, 0x00E0, 0x00E5, 0x00E7, 0x00EA, 0x00EB, 0x00E8, 0x00EF,
    0x00EE, 0x00EC, 0x00C4, 0x00C5, 0x00C9, 0x00E6, 0x00C6, 0x00F4, 0x00F6, 0x00F2, 0x00FB, 0x00F9,
    0x00FF, 0x00D6, 0x00DC, 0x00A2, 0x00A3, 0x00A5, 0x20A7, 0x0192, 0x00E1, 0x00ED, 0x00F3, 0x00FA,
    0x00F1, 0x00D1, 0x00AA, 0x00BA, 0x00BF, 0x2310, 0x00AC, 0x00BD, 0x00BC, 0x00A1, 0x00AB, 0x00BB,
    0x2591, 0x2592, 0x2593, 0x2502, 0x2524, 0x2561, 0x2562, 0x2556, 0x2555, 0x2563, 0x2551, 0x2557,
    0x255D, 0x255C, 0x255B, 0x2510, 0x2514, 0x2534, 0x252C, 0x251C, 0x2500, 0x253C, 0x255E, 0x255F,
    0x255A, 0x2554, 0x2569, 0x2566, 0x2560, 0x2550, 0x256C, 0x2567, 0x2568, 0x2564, 0x2565, 0x2559,
    0x2558, 0x2552, 0x2553, 0x256B, 0x256A, 0x2518, 0x250C, 0x2588, 0x2584, 0x258C, 0x2590, 0x2580,
    0x03B1, 0x00DF, 0x0393, 0x03C0, 0x03A3, 0x03C3, 0x00B5, 0x03C4, 0x03A6, 0x0398, 0x03A9, 0x03B4,
    0x221E, 0x03C6, 0x03B5, 0x2229, 0x2261, 0x00B1, 0x2265, 0x2264, 0x2320, 0x2321, 0x00F7, 0x2248,
    0x00B0, 0x2219, 0x00B7, 0x221A, 0x207F, 0x00B2, 0x25A0, 0x00A0,
};

// Strict UTF-8: overlong forms, surrogates and cut sequences count as
// invalid, so two different byte strings never decode to one name.
bool decodeUtf8(const QByteArray &bytes, QString *text)
{
    QTextCodec::ConverterState state(QTextCodec::ConvertInvalidToNull);
    *text = QTextCodec::codecForMib(106)->toUnicode(bytes.constData(), bytes.size(), &state);
    return state.invalidChars == 0 && state.remainingChars == 0 && text->toUtf8() == bytes;
}

} // namespace

QString EntryName::fromCp437(const QByteArray &bytes)
{
    QString text;
    text.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto code = static_cast<unsigned char>(byte);
        text.append(code < 0x80 ? QChar(code) : QChar(cp437High[code - 0x80]));
    }
    return text;
}

QString EntryName::collisionKey(const QString &path)
{
#ifdef Q_OS_WIN
    return path.toCaseFolded();
#else
    return path;
#endif
}

QString EntryName::stepProblem(const QString &step)
{
    return SingleName::problem(step);
}

EntryName::EntryName(const QByteArray &rawName, bool utf8, const QString &unicodePath)
{
    // Judged before anything else, so that a hostile name costs nothing.
    if (rawName.size() > maxNameBytes || unicodePath.size() > maxNameBytes) {
        const QByteArray start = rawName.left(60);
        m_shown = (utf8 ? QString::fromUtf8(start) : fromCp437(start)) + QStringLiteral("...");
        m_problem = tr("it is longer than %1 bytes").arg(maxNameBytes);
        return;
    }
    if (!unicodePath.isEmpty()) {
        m_shown = unicodePath;
    } else if (utf8) {
        if (!decodeUtf8(rawName, &m_shown)) {
            m_shown = QString::fromUtf8(rawName);
            m_problem = tr("it is not valid UTF-8");
            return;
        }
    } else {
        m_shown = fromCp437(rawName);
    }

    if (m_shown.isEmpty()) {
        m_problem = tr("it is empty");
        return;
    }
    QString name = m_shown;
    name.replace(QLatin1Char('\\'), QLatin1Char('/'));
    if (name.startsWith(QLatin1Char('/'))) {
        m_problem = tr("it is an absolute path");
        return;
    }
    if (name.size() >= 2 && name.at(1) == QLatin1Char(':') && name.at(0).isLetter()) {
        m_problem = tr("it names a drive");
        return;
    }
    m_folder = name.endsWith(QLatin1Char('/'));
    if (m_folder)
        name.chop(1);
    for (const QString &step : name.split(QLatin1Char('/'))) {
        if (step == QLatin1String("."))
            continue;
        m_problem = stepProblem(step);
        if (!m_problem.isEmpty())
            return;
        if (m_steps.size() == maxDepth) {
            m_problem = tr("it is more than %1 folders deep").arg(maxDepth);
            return;
        }
        m_steps.append(step);
    }
    // "./" is the top folder, which the install folder stands for; a lone
    // "." names nothing.
    if (m_steps.isEmpty() && !m_folder)
        m_problem = tr("it names no file");
}
