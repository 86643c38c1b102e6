#pragma once

#include "toolkit/window.h"

class QStackedLayout;
class SystemBar;

// The installer's only top-level window: a frameless, shadowed window with
// the stack of four wizard pages and a minimize/close bar in its top-right
// corner. It runs the page flow (start, progress, then success or failure)
// and refuses to close while the installation runs.
class MainWindow : public Window
{
    Q_OBJECT

public:
    // Indices of the pages in the stack, in the order they are added.
    enum Page { StartPage = 0, ProgressPage = 1, SuccessPage = 2, FailurePage = 3 };

    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // The existing main window, or null before it is built and after it is gone.
    static MainWindow *instance();

    // Advances the page flow: start -> progress, progress -> success or
    // failure (after installSucceeded); the result pages are the end.
    void nextPage();

    int currentPage() const { return m_currentPage; }
    SystemBar *systemBar() const { return m_systemBar; }
    QStackedLayout *pageStack() const { return m_pageStack; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void placeSystemBar();
    void showPage(int page);

    SystemBar *m_systemBar = nullptr;
    QStackedLayout *m_pageStack = nullptr;
    int m_currentPage = StartPage;
    bool m_iconSet = false;
};
