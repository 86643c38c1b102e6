// The installer without a mouse: every control of every page and message box
// tells assistive technology its role and name, and a whole installation
// goes through on key presses alone.
#include "wizard_harness.h"
#include "support/http_test_server.h"
#include "support/test_files.h"
#include "support/zip_builder.h"
#include "toolkit/messagebox.h"

#include <QAccessible>
#include <QDesktopServices>
#include <QLineEdit>
#include <QMetaEnum>
#include <QProgressBar>
#include <QTimer>

#include <functional>

namespace {

// Catches what the installer hands to the desktop's browser.
class UrlCatcher : public QObject
{
    Q_OBJECT
public:
    QList<QUrl> urls;
public slots:
    void open(const QUrl &url) { urls << url; }
};

QWidget *focused()
{
    return QApplication::focusWidget();
}
QString focusedName()
{
    return focused() ? focused()->objectName() : QString();
}
void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    if (!focused())
        QFAIL("no control has the keyboard focus");
    QTest::keyClick(focused(), key, modifiers);
}

// Presses keys, one after the other, on the focused control of the next
// modal box to open.
void pressInNextBox(const QList<Qt::Key> &keys)
{
    QTimer::singleShot(50, [keys] {
        if (!QApplication::activeModalWidget())
            return pressInNextBox(keys);
        for (Qt::Key key : keys)
            press(key);
    });
}

} // namespace

class TstAccessibility : public QObject
{
    Q_OBJECT

public:
    explicit TstAccessibility(const TemporaryHome &home)
        : m_home(home)
    {
    }

private slots:
    void everyControlIsNamed();
    void keyboardOnlyInstallation();

private:
    const TemporaryHome &m_home;
    WizardHarness m_wizard;
};

void TstAccessibility::everyControlIsNamed()
{
    WizardHarness::resetConfig(m_home);
    MainWindow window;
    Messagebox box(QStringLiteral("Prompt"), QStringLiteral("?"),
                   QDialogButtonBox::StandardButtons(0x0FFFFC00), QDialogButtonBox::Ok, {}, 2);

    // Every control a person can reach or read a value from, as
    // 'Role "name" (object)'. A control described as a plain widget
    // ("Client") has lost its role.
    const QSet<QAccessible::Role> controlRoles
        = { QAccessible::Button,       QAccessible::CheckBox,    QAccessible::RadioButton,
            QAccessible::EditableText, QAccessible::ProgressBar, QAccessible::Link,
            QAccessible::ComboBox,     QAccessible::SpinBox,     QAccessible::Slider };
    QStringList controls, unnamed;
    QSet<QObject *> seen;
    std::function<void(QAccessibleInterface *)> walk = [&](QAccessibleInterface *iface) {
        if (iface->state().focusable || controlRoles.contains(iface->role())) {
            const QString name = iface->text(QAccessible::Name);
            controls << QStringLiteral("%1 \"%2\" (%3)")
                            .arg(QMetaEnum::fromType<QAccessible::Role>().valueToKey(iface->role()),
                                 name, iface->object()->objectName());
            if (name.trimmed().isEmpty() || iface->role() == QAccessible::Client)
                unnamed << controls.last();
            seen.insert(iface->object());
        }
        for (int i = 0; i < iface->childCount(); ++i)
            walk(iface->child(i));
    };
    for (QWidget *root : { static_cast<QWidget *>(&window), static_cast<QWidget *>(&box) }) {
        walk(QAccessible::queryAccessibleInterface(root));
        // Nothing a person can work is missing from what the walk saw.
        for (QWidget *widget : root->findChildren<QWidget *>()) {
            if (qobject_cast<QAbstractButton *>(widget) || qobject_cast<QLineEdit *>(widget)
                || qobject_cast<QProgressBar *>(widget))
                QVERIFY2(seen.contains(widget), qPrintable(widget->objectName()));
        }
    }
    qInfo("%s", qPrintable(controls.join(QLatin1Char('\n'))));
    QVERIFY2(unnamed.isEmpty(),
             qPrintable(QStringLiteral("without a name or a role:\n")
                        + unnamed.join(QLatin1Char('\n'))));
}

void TstAccessibility::keyboardOnlyInstallation()
{
    WizardHarness::resetConfig(m_home);
    InstallerConfig *config = installerConfig();
    ZipBuilder zip;
    zip.addFile(config->programName, "program", TestFiles::executable());
    zip.addFile(QStringLiteral("uninst.exe"), "uninstaller");
    const QString package = m_home.path() + QStringLiteral("/package.zip");
    HttpTestServer server;
    QVERIFY(zip.write(package) && server.listen());
    server.serveFile(QStringLiteral("/velmar.zip"), package);
    config->packageUrl = server.url(QStringLiteral("/velmar.zip")).toString();
    config->userProtocolUrl = QStringLiteral("https://example.com/agreement");
    UrlCatcher browser;
    QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
    // A folder with someone's files in it, so that the installer asks.
    const QString folder = m_home.path() + QStringLiteral("/keyboard/Velmar");
    QVERIFY(QDir().mkpath(folder) && QFile(folder + QStringLiteral("/a")).open(QFile::WriteOnly));

    // From top to bottom: agree, open the agreement, open the panel, type
    // the folder, start with the computer, and on round to "Install now".
    m_wizard.show();
    QCOMPARE(focusedName(), QStringLiteral("agree"));
    for (Qt::Key key :
         { Qt::Key_Space, Qt::Key_Tab, Qt::Key_Return, Qt::Key_Tab, Qt::Key_Space, Qt::Key_Tab })
        press(key);
    QCOMPARE(focusedName(), QStringLiteral("dir_edit"));
    press(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(focused(), folder);
    for (Qt::Key key : { Qt::Key_Tab, Qt::Key_Tab, Qt::Key_Enter, Qt::Key_Tab })
        press(key);
    QCOMPARE(focusedName(), QStringLiteral("install"));
    QCOMPARE(browser.urls, QList<QUrl> { QUrl(config->userProtocolUrl) });

    // Escape closes the question and stays; Yes is one Shift+Tab away from
    // the default No. The keys reach the window again once a box has gone.
    pressInNextBox({ Qt::Key_Escape });
    press(Qt::Key_Return);
    QVERIFY(QTest::qWaitForWindowActive(m_wizard.window()));
    QCOMPARE(focusedName(), QStringLiteral("install"));
    pressInNextBox({ Qt::Key_Backtab, Qt::Key_Space });
    press(Qt::Key_Space);
    QTRY_COMPARE_WITH_TIMEOUT(m_wizard.currentPage(), int(SuccessPage), 60000);
    QVERIFY(QTest::qWaitForWindowActive(m_wizard.window()));
    QCOMPARE(config->installDir, folder);
    QVERIFY(config->autoStart);
    auto *bar = m_wizard.page<InstallWidget>()->findChild<QProgressBar *>();
    QCOMPARE(QAccessible::queryAccessibleInterface(bar)->valueInterface()->currentValue(),
             QVariant(100));
    QCOMPARE(focusedName(), QStringLiteral("launch"));
    press(Qt::Key_Return);
    QVERIFY(!m_wizard.window()->isVisible());
    QDesktopServices::unsetUrlHandler(QStringLiteral("https"));
}

WIZARD_TEST_MAIN(TstAccessibility)
#include "tst_accessibility.moc"
