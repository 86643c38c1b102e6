#include "wizard/starting_widget.h"

#include "config/install_location.h"
#include "config/installer_config.h"
#include "config/native_path.h"
#include "config/path_length.h"
#include "engine/install_log.h"
#include "engine/platform_helpers.h"
#include "engine/registration/earlier_installation.h"
#include "platform/known_folders.h"
#include "toolkit/elided_check_box.h"
#include "toolkit/messagebox.h"
#include "toolkit/toast_label.h"
#include "wizard/folder_dialog.h"
#include "wizard/folder_field_text.h"
#include "wizard/main_window.h"

#include <QCheckBox>
#include <QDebug>
#include <QDesktopServices>
#include <QDialogButtonBox>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

namespace {

// The window grows to make room for the advanced panel and shrinks back.
constexpr int windowWidth = 524;
constexpr int heightWithPanel = 402;
constexpr int heightWithoutPanel = 308;

// How long an input notice stays over the page.
constexpr int noticeMs = 2000;

// Whether this user can make folder, or write into it when it exists: a
// real probe in the folder, or in the parent it would be made in.
bool canInstallInto(const QString &folder)
{
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return false;
    const QString existing = FolderFieldText::nearestExisting(folder);
    return !existing.isEmpty() && platform::canCreateFolderIn(toNativePath(existing));
}

} // namespace

StartingWidget::StartingWidget(QWidget *parent)
    : WizardWidget(parent)
{
    buildWidgets();
    buildLayout();
    makeConnections();
}

void StartingWidget::buildWidgets()
{
    const InstallerConfig *config = installerConfig();

    m_installButton = new QPushButton(tr("Install now"), this);
    m_installButton->setObjectName(QStringLiteral("install"));
    m_installButton->setEnabled(false);
    m_installButton->setCursor(Qt::PointingHandCursor);

    m_agreeBox = new QCheckBox(tr("I agree"), this);
    m_agreeBox->setObjectName(QStringLiteral("agree"));

    m_agreementLink = new QPushButton(tr("<<User Agreement>>"), this);
    m_agreementLink->setObjectName(QStringLiteral("agreement"));
    m_agreementLink->setCursor(Qt::PointingHandCursor);

    m_advancedToggle = new QPushButton(tr("Advanced"), this);
    m_advancedToggle->setObjectName(QStringLiteral("advanced"));
    m_advancedToggle->setCheckable(true);
    m_advancedToggle->setCursor(Qt::PointingHandCursor);

    m_advancedFrame = new QFrame(this);
    m_advancedFrame->setObjectName(QStringLiteral("advanced_frame"));
    m_advancedFrame->hide();

    m_dirEdit = new QLineEdit(FolderFieldText::shown(config->installDir), m_advancedFrame);
    m_dirEdit->setObjectName(QStringLiteral("dir_edit"));

    m_browseButton = new QPushButton(tr("Browser"), m_advancedFrame);
    m_browseButton->setObjectName(QStringLiteral("browser"));
    m_browseButton->setCursor(Qt::PointingHandCursor);

    // A long product text gives way with an ellipsis rather than being cut
    // off at the panel's edge.
    m_autoStartBox = new ElidedCheckBox(tr("Computer startup with %1").arg(config->displayName()),
                                        m_advancedFrame);
    m_autoStartBox->setObjectName(QStringLiteral("auto"));

    // The panel's widgets are usable only once the agreement is accepted.
    // Disabled only now: a widget created inside a disabled parent is
    // described to assistive technology as a plain widget for good, without
    // the role and the name of what it is.
    m_advancedFrame->setEnabled(false);

    describeForAssistiveTechnology();
}

void StartingWidget::describeForAssistiveTechnology()
{
    // What a screen reader says for each control; the angle brackets of the
    // link and the short button texts read badly on their own.
    m_installButton->setAccessibleName(tr("Install now"));
    m_agreeBox->setAccessibleName(tr("I agree"));
    m_agreeBox->setAccessibleDescription(tr("Accept the user agreement to install"));
    m_agreementLink->setAccessibleName(tr("User Agreement"));
    m_agreementLink->setAccessibleDescription(tr("Opens the user agreement in the browser"));
    m_advancedToggle->setAccessibleName(tr("Advanced"));
    m_advancedToggle->setAccessibleDescription(
        tr("Shows the install folder and the option to start with the computer"));
    m_dirEdit->setAccessibleName(tr("Install folder"));
    m_browseButton->setAccessibleName(tr("Choose the install folder"));
}

void StartingWidget::buildLayout()
{
    auto *dirLabel = new QLabel(tr("Install dir:"), m_advancedFrame);
    dirLabel->setObjectName(QStringLiteral("dir_label"));

    auto *dirRow = new QHBoxLayout;
    dirRow->setContentsMargins(0, 0, 0, 0);
    dirRow->setSpacing(0);
    dirRow->addWidget(dirLabel);
    dirRow->addWidget(m_dirEdit);
    dirRow->addSpacing(12);
    dirRow->addWidget(m_browseButton);

    auto *panelLayout = new QVBoxLayout(m_advancedFrame);
    panelLayout->setContentsMargins(12, 20, 12, 15);
    panelLayout->setSpacing(0);
    panelLayout->addLayout(dirRow);
    panelLayout->addStretch(1);
    panelLayout->addWidget(m_autoStartBox);

    auto *agreementRow = new QHBoxLayout;
    agreementRow->setContentsMargins(12, 10, 12, 10);
    agreementRow->setSpacing(4);
    agreementRow->addWidget(m_agreeBox);
    agreementRow->addWidget(m_agreementLink);
    agreementRow->addStretch(1);
    agreementRow->addWidget(m_advancedToggle);

    auto *pageLayout = new QVBoxLayout(this);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    pageLayout->addStretch(1);
    pageLayout->addWidget(m_installButton, 0, Qt::AlignHCenter);
    pageLayout->addLayout(agreementRow);
    pageLayout->addWidget(m_advancedFrame);

    // The keyboard walks the page from top to bottom, the way it reads.
    QWidget::setTabOrder(m_installButton, m_agreeBox);
    QWidget::setTabOrder(m_agreeBox, m_agreementLink);
    QWidget::setTabOrder(m_agreementLink, m_advancedToggle);
    QWidget::setTabOrder(m_advancedToggle, m_dirEdit);
    QWidget::setTabOrder(m_dirEdit, m_browseButton);
    QWidget::setTabOrder(m_browseButton, m_autoStartBox);
}

void StartingWidget::makeConnections()
{
    // Unchecking disables the panel again but leaves it shown.
    connect(m_agreeBox, &QCheckBox::toggled, this, [this](bool checked) {
        m_installButton->setEnabled(checked);
        m_advancedFrame->setEnabled(checked);
    });

    connect(m_agreementLink, &QPushButton::clicked, this, [] {
        const QString link = installerConfig()->userProtocolUrl;
        if (!link.isEmpty())
            QDesktopServices::openUrl(QUrl::fromUserInput(link));
    });

    connect(m_advancedToggle, &QPushButton::clicked, this, &StartingWidget::setAdvancedShown);
    connect(m_browseButton, &QPushButton::clicked, this, &StartingWidget::browseInstallDir);

    // The field keeps what the user typed; the record gets the folder it
    // names, without blanks or quotes around it. The install button takes
    // the focus when pressed, so a folder typed just before pressing it is
    // stored before the checks.
    connect(m_dirEdit, &QLineEdit::editingFinished, this,
            [this] { installerConfig()->installDir = FolderFieldText::folder(m_dirEdit->text()); });

    connect(m_installButton, &QPushButton::clicked, this, &StartingWidget::startInstall);
}

void StartingWidget::setAdvancedShown(bool shown)
{
    m_advancedFrame->setVisible(shown);
    if (MainWindow *window = MainWindow::instance())
        window->setFixedSize(windowWidth, shown ? heightWithPanel : heightWithoutPanel);
}

void StartingWidget::browseInstallDir()
{
    // Opens where the field points, or as near to it as exists.
    const QString picked = FolderDialog::pick(
        this, tr("Select install dir"), FolderFieldText::nearestExisting(installerConfig()->installDir));
    if (picked.isEmpty())
        return;
    const QDir pickedDir(picked);
    // A product is never installed straight into a drive root.
    if (pickedDir.isRoot())
        return;

    const QString installDir = pickedDir.absoluteFilePath(installerConfig()->productName);
    m_dirEdit->setText(FolderFieldText::shown(installDir));
    installerConfig()->installDir = installDir;
}

void StartingWidget::startInstall()
{
    // Strictly in this order; a check that stops writes nothing to the record.
    if (!endRunningProduct())
        return;
    if (!installDirUsable()) {
        revealInstallDir();
        ToastLabel::showText(tr("Invalid install dir."), this, noticeMs, QString());
        return;
    }
    const QString problem = installDirProblem();
    if (!problem.isEmpty()) {
        refuseInstallDir(problem);
        return;
    }
    if (!enoughSpace()) {
        revealInstallDir();
        ToastLabel::showText(tr("Space is not enough."), this, noticeMs, QString());
        return;
    }
    if (!mayUseFolder())
        return;

    installerConfig()->autoStart = m_autoStartBox->isChecked();
    if (MainWindow *window = MainWindow::instance())
        window->nextPage();
}

bool StartingWidget::endRunningProduct()
{
    const InstallerConfig *config = installerConfig();
    if (findProcess(config->programName) == 0)
        return true;

    const int answer = Messagebox::question(
        this, tr("Prompt"),
        tr("The %1 is running, are you sure to terminate it?").arg(config->displayName()),
        QDialogButtonBox::Yes | QDialogButtonBox::No, QDialogButtonBox::No, {});
    if (answer != QDialogButtonBox::Yes)
        return false;

    // The copy may have ended while the question was open. Only the first
    // matching process is ended.
    const qint64 pid = findProcess(config->programName);
    if (pid != 0 && !terminateProcess(pid)) {
        Messagebox::question(this, tr("Prompt"),
                             tr("The %1 cannot be terminated, please terminate it manually.")
                                 .arg(config->displayName()),
                             QDialogButtonBox::Ok, QDialogButtonBox::Ok, {});
        return false;
    }
    return true;
}

bool StartingWidget::installDirUsable()
{
    const QString installDir = installerConfig()->installDir;
    // A relative folder would land wherever the installer happens to be
    // started from, and the paths registered for the product would point
    // nowhere; only a complete path is accepted.
    if (installDir.isEmpty() || QDir::isRelativePath(installDir))
        return false;

    // The folder itself need not exist yet, but its parent must; a drive
    // root has no parent.
    QDir dir(installDir);
    if (dir.isRoot())
        return false;
    return dir.cdUp();
}

QString StartingWidget::installDirProblem() const
{
    const InstallerConfig *config = installerConfig();
    const QString installDir = config->installDir;
    // The product's own files at the top of the folder are known before the
    // package is: a folder that leaves no room for them is refused now, not
    // after the download.
    const QString tooDeep = PathLength::problem(
        installDir, { config->programName, QStringLiteral("uninst.exe"), InstallLog::fileName() });
    if (!tooDeep.isEmpty())
        return tooDeep;

    // A real probe, as for the default folder: rights on Windows are more
    // than what QFileInfo can tell, and a folder the user may not write is
    // otherwise found only once the whole package is downloaded.
    if (canInstallInto(installDir))
        return QString();
    const QString shown = QDir::toNativeSeparators(installDir);
    // The user's own folder is worth naming only where it would work.
    const QString base = ownInstallBase();
    const QString own
        = base.isEmpty() ? QString() : QDir(base).absoluteFilePath(config->productName);
    if (own.isEmpty() || QDir(own) == QDir(installDir) || !canInstallInto(own))
        return tr("You cannot create or write the folder %1. Choose another folder, or run the "
                  "installer as administrator.")
            .arg(shown);
    return tr("You cannot create or write the folder %1. Choose a folder of your own, such as "
              "%2, or run the installer as administrator.")
        .arg(shown, QDir::toNativeSeparators(own));
}

void StartingWidget::refuseInstallDir(const QString &problem)
{
    qWarning().noquote() << "Install folder refused:" << problem;
    revealInstallDir();
    Messagebox::question(this, tr("Prompt"), problem, QDialogButtonBox::Ok, QDialogButtonBox::Ok,
                         {});
}

bool StartingWidget::enoughSpace()
{
    QDir parent(installerConfig()->installDir);
    parent.cdUp();
    return diskFreeSpace(parent) >= installerConfig()->bytesTotal;
}

bool StartingWidget::mayUseFolder()
{
    // An upgrade goes over its own earlier installation without a word; a
    // folder with anyone else's files in it is the user's call.
    const InstallerConfig *config = installerConfig();
    if (!isFolderWithEntries(config->installDir)
        || holdsEarlierInstallation(*config, config->installDir))
        return true;
    const int answer = Messagebox::question(
        this, tr("Prompt"),
        tr("The folder %1 already contains files. Install into it anyway?")
            .arg(QDir::toNativeSeparators(config->installDir)),
        QDialogButtonBox::Yes | QDialogButtonBox::No, QDialogButtonBox::No, {});
    return answer == QDialogButtonBox::Yes;
}

void StartingWidget::revealInstallDir()
{
    // Open the panel so the user can correct the folder at once.
    if (!m_advancedFrame->isHidden())
        return;
    m_advancedToggle->click();
    m_dirEdit->setFocus(Qt::OtherFocusReason);
}
