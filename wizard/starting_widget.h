#pragma once

#include "wizard/wizard_widget.h"

class QCheckBox;
class QFrame;
class QLineEdit;
class QPushButton;

// The first page: the user accepts the agreement, may open the advanced panel
// to change the install folder and ask for start with the computer, and
// presses "Install now". Before the installation may begin, the page makes
// sure no copy of the product runs and that the folder and its volume are
// usable; only then does it store the choices and move on.
class StartingWidget : public WizardWidget
{
    Q_OBJECT

public:
    explicit StartingWidget(QWidget *parent = nullptr);

private:
    void buildWidgets();
    void describeForAssistiveTechnology();
    void buildLayout();
    void makeConnections();

    void setAdvancedShown(bool shown);
    void browseInstallDir();
    void startInstall();
    bool endRunningProduct();
    bool installDirUsable();
    // Why the install folder cannot take the product (too deep for the
    // system, or not to be created or written by this user), or empty.
    QString installDirProblem() const;
    void refuseInstallDir(const QString &problem);
    bool enoughSpace();
    // False when the folder holds someone else's files and the user would
    // rather not install there.
    bool mayUseFolder();
    void revealInstallDir();

    QPushButton *m_installButton = nullptr;
    QCheckBox *m_agreeBox = nullptr;
    QPushButton *m_agreementLink = nullptr;
    QPushButton *m_advancedToggle = nullptr;
    QFrame *m_advancedFrame = nullptr;
    QLineEdit *m_dirEdit = nullptr;
    QPushButton *m_browseButton = nullptr;
    QCheckBox *m_autoStartBox = nullptr;
};
