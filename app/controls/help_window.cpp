#include "app/controls/help_window.h"

#include <QAction>
#include <QFileInfo>
#include <QKeySequence>
#include <QTextBrowser>
#include <QToolBar>
#include <QUrl>

#include "app/shell/language.h"

HelpWindow::HelpWindow(QWidget* parent)
    : QMainWindow(parent, Qt::Window), browser_(new QTextBrowser(this))
{
    setObjectName("helpWindow");
    setAttribute(Qt::WA_DeleteOnClose, false);
    // Links inside the manual stay here; links out of it go to whoever the desktop has.
    browser_->setOpenExternalLinks(true);
    setCentralWidget(browser_);

    QToolBar* bar = addToolBar(QStringLiteral("help"));
    bar->setMovable(false);
    back_ = bar->addAction(QString());
    forward_ = bar->addAction(QString());
    home_ = bar->addAction(QString());
    back_->setShortcuts(QKeySequence::Back);
    forward_->setShortcuts(QKeySequence::Forward);
    back_->setEnabled(false);
    forward_->setEnabled(false);
    connect(back_, &QAction::triggered, browser_, &QTextBrowser::backward);
    connect(forward_, &QAction::triggered, browser_, &QTextBrowser::forward);
    connect(home_, &QAction::triggered, browser_, &QTextBrowser::home);
    connect(browser_, &QTextBrowser::backwardAvailable, back_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::forwardAvailable, forward_, &QAction::setEnabled);
    connect(browser_, &QTextBrowser::sourceChanged, this, [this] {
        if (const QString title = browser_->documentTitle(); !title.isEmpty())
            setWindowTitle(title);
    });
    applyTexts(kLanguageEnglish);
    resize(900, 700);
}

void HelpWindow::showPage(const QString& path)
{
    const QUrl page = QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath());
    // Another language's manual starts a new history; the same one keeps where the user is.
    if (browser_->source().adjusted(QUrl::RemoveFragment) != page)
    {
        browser_->clearHistory();
        browser_->setSource(page);
    }
    show();
    if (isMinimized())
        showNormal();
    raise();
    activateWindow();
}

void HelpWindow::applyTexts(int languageIndex)
{
    back_->setText(QString::fromUtf8(builtInText(languageIndex, "Back", "后退", "上一頁")));
    forward_->setText(QString::fromUtf8(builtInText(languageIndex, "Forward", "前进", "下一頁")));
    home_->setText(QString::fromUtf8(builtInText(languageIndex, "Home", "首页", "首頁")));
    if (browser_->documentTitle().isEmpty())
        setWindowTitle(QString::fromUtf8(builtInText(languageIndex, "Help", "帮助", "說明")));
}
