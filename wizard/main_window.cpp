#include "wizard/main_window.h"

#include "config/installer_config.h"
#include "toolkit/system_bar.h"
#include "toolkit/toast_label.h"
#include "wizard/fail_widget.h"
#include "wizard/install_widget.h"
#include "wizard/starting_widget.h"
#include "wizard/success_widget.h"

#include <QCloseEvent>
#include <QIcon>
#include <QStackedLayout>
#include <QStyle>
#include <QTimer>
#include <QVBoxLayout>

namespace {

MainWindow *s_instance = nullptr;

// Qt polishes every page when the window first opens, hidden pages included,
// and polishing decodes every picture the style sheets give a widget. The
// large pictures of the later pages (the slideshow, the result bands) would
// so be decoded before the window can appear, for pages the user may never
// see. The style sheets therefore give those pictures only to a page whose
// "shown" property is set, which happens right before the page first comes
// on screen; a page that was polished before is polished again then, so that
// the sheets see the property.
void markShown(QWidget *page)
{
    static const char shown[] = "shown";
    if (page->property(shown).toBool())
        return;
    page->setProperty(shown, true);
    if (!page->testAttribute(Qt::WA_WState_Polished))
        return;
    QList<QWidget *> widgets = page->findChildren<QWidget *>();
    widgets.prepend(page);
    for (QWidget *widget : qAsConst(widgets)) {
        widget->style()->unpolish(widget);
        widget->style()->polish(widget);
    }
    page->update();
}

} // namespace

MainWindow::MainWindow(QWidget *parent)
    : Window(parent, false, Qt::MSWindowsFixedSizeDialogHint)
{
    // Set before the pages exist, so that they may reach the window while
    // they are built.
    m_currentPage = StartPage;
    s_instance = this;

    setWindowTitle(installerConfig()->displayName());

    auto *bodyLayout = new QVBoxLayout(background());
    bodyLayout->setContentsMargins(0, 0, 0, 0);
    bodyLayout->setSpacing(0);

    // Floats over the pages in the top-right corner, outside every layout;
    // polished now so that its size hint already has the style's sizes.
    m_systemBar
        = new SystemBar(this, SystemBar::MinimizeButton | SystemBar::CloseButton, background());
    m_systemBar->setObjectName(QStringLiteral("window"));
    m_systemBar->setAttribute(Qt::WA_AlwaysStackOnTop);
    m_systemBar->ensurePolished();

    m_pageStack = new QStackedLayout();
    m_pageStack->setContentsMargins(0, 0, 0, 0);
    m_pageStack->setSpacing(0);
    bodyLayout->addLayout(m_pageStack, 0);

    // The stack shows (and so polishes) the first page as it is added.
    auto *startPage = new StartingWidget(background());
    markShown(startPage);
    m_pageStack->addWidget(startPage);
    m_pageStack->addWidget(new InstallWidget(background()));
    m_pageStack->addWidget(new SuccessWidget(background()));
    m_pageStack->addWidget(new FailWidget(background()));

    // Settings that cannot install anything go straight to the failure page.
    QString refusal;
    if (installerConfig()->packageUrl.isEmpty())
        refusal = tr("Package url is invalid.");
    else if (!installerConfig()->hasUsableProductName())
        refusal = tr("Product name is invalid: it cannot name a folder.");
    if (!refusal.isEmpty()) {
        // Shown a moment later, once the window is on screen to carry it.
        QTimer::singleShot(
            10, this, [this, refusal] { ToastLabel::showText(refusal, this, 5000, QString()); });
        m_currentPage = FailurePage;
        showPage(FailurePage);
    }

    background()->installEventFilter(this);
    m_systemBar->raise();
}

MainWindow::~MainWindow()
{
    if (s_instance == this)
        s_instance = nullptr;
}

MainWindow *MainWindow::instance()
{
    return s_instance;
}

void MainWindow::nextPage()
{
    if (m_currentPage == StartPage) {
        m_currentPage = ProgressPage;
        m_systemBar->setCloseEnabled(false);
        showPage(ProgressPage);
        if (auto *page = qobject_cast<WizardWidget *>(m_pageStack->currentWidget()))
            page->start();
        // The start page may have opened its advanced section; from here on
        // the window keeps the plain size.
        if (height() != 308)
            setFixedSize(524, 308);
    } else if (m_currentPage == ProgressPage) {
        m_systemBar->setCloseEnabled(true);
        m_currentPage = installerConfig()->installSucceeded ? SuccessPage : FailurePage;
        showPage(m_currentPage);
    }
    m_systemBar->raise();
}

bool MainWindow::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == background() && event->type() == QEvent::Resize)
        placeSystemBar();
    // The icon file holds every size up to 256 px, all decoded when it is
    // loaded and converted again for the window system. It is set once the
    // first frame is being painted: the request that shows the window goes
    // out only when the event loop next waits, after anything already
    // posted, so an icon set earlier would hold up the window's appearance.
    // (Windows shows the program's own icon resource until then.)
    if (watched == background() && event->type() == QEvent::Paint && !m_iconSet) {
        m_iconSet = true;
        QTimer::singleShot(0, this, [this] { setWindowIcon(QIcon(QStringLiteral(":/style/installer.ico"))); });
    }
    return Window::eventFilter(watched, event);
}

void MainWindow::placeSystemBar()
{
    const QRect contents = background()->contentsRect();
    const QSize size = m_systemBar->sizeHint();
    m_systemBar->move(contents.right() - size.width(), contents.top() + 4);
    m_systemBar->resize(size);
    m_systemBar->raise();
}

void MainWindow::showPage(int page)
{
    markShown(m_pageStack->widget(page));
    m_pageStack->setCurrentIndex(page);
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    // Closing now would leave a half-copied product behind; the close button
    // is disabled on this page, and other close requests are refused quietly.
    if (m_currentPage == ProgressPage) {
        event->ignore();
        return;
    }
    Window::closeEvent(event);
}
