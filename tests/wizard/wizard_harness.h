#pragma once

// Shared by the wizard page tests: builds the real main window the way the
// program does, with a configuration set by the test, and tells which page
// it shows.

#include "config/installer_config.h"
#include "support/temporary_folder_variable.h"
#include "support/temporary_home.h"
#include "wizard/fail_widget.h"
#include "wizard/install_widget.h"
#include "wizard/main_window.h"
#include "wizard/starting_widget.h"
#include "wizard/success_widget.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QRandomGenerator>
#include <QTest>

#include <memory>

// The ending of a program file name: Windows starts nothing else.
#ifdef Q_OS_WIN
constexpr char programSuffix[] = ".exe";
#else
constexpr char programSuffix[] = "";
#endif

// The temporary folder of a test program: inside its temporary home, so
// that downloaded packages and unpacked copies can be looked at and go with
// the home.
inline QString temporaryFolder(const TemporaryHome &home)
{
    return home.path() + QStringLiteral("/tmp");
}

// Every test program gets its own temporary home and temporary folder before
// Qt starts.
#define WIZARD_TEST_MAIN(TestClass)                                                                \
    int main(int argc, char *argv[])                                                               \
    {                                                                                              \
        TemporaryHome home;                                                                        \
        if (!home.isValid() || !QDir().mkpath(temporaryFolder(home)))                              \
            qFatal("cannot make a temporary home");                                                \
        qputenv(temporaryFolderVariable(), QFile::encodeName(temporaryFolder(home)));              \
        QApplication app(argc, argv);                                                              \
        TestClass test(home);                                                                      \
        return QTest::qExec(&test, argc, argv);                                                    \
    }

enum WizardPage { StartPage = 0, ProgressPage = 1, SuccessPage = 2, FailurePage = 3 };

class WizardHarness
{
public:
    // Puts the record back to a known state: a product name no real process
    // has, an install folder below the temporary home.
    static void resetConfig(const TemporaryHome &home)
    {
        InstallerConfig *config = installerConfig();
        *config = InstallerConfig();
        config->productName = QStringLiteral("Velmar");
        config->productText = QStringLiteral("Velmar Test");
        config->programName
            = QStringLiteral("vt%1").arg(QRandomGenerator::global()->bounded(1000000))
            + QLatin1String(programSuffix);
        config->installDir = QDir(home.dataHome()).absoluteFilePath(QStringLiteral("Velmar"));
        config->packageUrl = QStringLiteral("http://127.0.0.1:9/velmar.zip");
    }

    // Builds and shows the window as the program's start-up does.
    MainWindow *show()
    {
        m_window = std::make_unique<MainWindow>();
        m_window->resize(524, 308);
        m_window->show();
        m_window->activateWindow();
        if (!QTest::qWaitForWindowExposed(m_window.get()))
            qWarning("the main window was not exposed");
        return m_window.get();
    }

    MainWindow *window() const { return m_window.get(); }
    void destroy() { m_window.reset(); }

    template<class Page> Page *page() const { return m_window->findChild<Page *>(); }

    // The page the stack shows: the only one that is not hidden.
    int currentPage() const
    {
        const QWidget *pages[] = { page<StartingWidget>(), page<InstallWidget>(),
                                   page<SuccessWidget>(), page<FailWidget>() };
        int shown = -1;
        for (int i = 0; i < 4; ++i) {
            if (pages[i] && !pages[i]->isHidden())
                shown = shown == -1 ? i : -2;
        }
        return shown;
    }

    template<class Widget = QWidget> Widget *child(const char *objectName) const
    {
        return m_window->findChild<Widget *>(QLatin1String(objectName));
    }

    // Checks "I agree" and presses "Install now" with the mouse.
    void agreeAndInstall()
    {
        auto *agree = child<QCheckBox>("agree");
        if (!agree->isChecked())
            QTest::mouseClick(agree, Qt::LeftButton, {}, QPoint(6, agree->height() / 2));
        QTest::mouseClick(child<QPushButton>("install"), Qt::LeftButton);
    }

    // Texts of the notices currently shown over the start page.
    QStringList notices() const
    {
        QStringList texts;
        const auto labels
            = page<StartingWidget>()->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly);
        for (const QLabel *label : labels) {
            if (label->inherits("ToastLabel") && label->isVisible())
                texts << label->text();
        }
        return texts;
    }

private:
    std::unique_ptr<MainWindow> m_window;
};
