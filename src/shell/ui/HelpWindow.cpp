#include "shell/ui/HelpWindow.h"

#include "language/LanguageManager.h"
#include "language/TextIds.h"
#include "shell/ui/DialogPlacement.h"
#include "shell/ui/UiResources.h"

#include <QKeySequence>
#include <QShortcut>
#include <QTextBrowser>
#include <QVBoxLayout>

namespace vandrel {

namespace {

// A page of help text: about 80 characters wide and 40 lines high.
QSize readingSize(const QWidget* w) {
    const QFontMetrics metrics(w->font());
    return {metrics.averageCharWidth() * 80, metrics.lineSpacing() * 40};
}

} // namespace

HelpWindow::HelpWindow(const LanguageManager& language, QWidget* owner)
    : QWidget(owner, Qt::Window), language_(language), browser_(new QTextBrowser(this)) {
    setObjectName(QStringLiteral("helpWindow"));
    setWindowIcon(uiIcon(icon::Program));
    browser_->setObjectName(QStringLiteral("helpText"));
    // Links out of the help go to the desktop, when it has a viewer for them.
    browser_->setOpenExternalLinks(true);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(browser_);
    resize(readingSize(this));
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, &QWidget::close);
    retranslate(QUrl());
}

void HelpWindow::showHelp(const QUrl& url) {
    load(url);
    if (!placed_) {
        placed_ = true;
        placeOverOwner(this);
    }
    if (isMinimized()) {
        setWindowState(windowState() & ~Qt::WindowMinimized);
    }
    show();
    raise();
    activateWindow();
}

void HelpWindow::retranslate(const QUrl& url) {
    const QString title = language_.Text(text::HelpWindowTitle);
    setWindowTitle(title);
    browser_->setAccessibleName(title);
    if (!url.isEmpty()) {
        load(url);
    }
}

QUrl HelpWindow::source() const {
    return browser_->source();
}

void HelpWindow::load(const QUrl& url) {
    if (browser_->source().adjusted(QUrl::RemoveFragment) != url.adjusted(QUrl::RemoveFragment)) {
        browser_->setSource(url);
    } else if (url.hasFragment()) {
        browser_->scrollToAnchor(url.fragment());
    }
}

} // namespace vandrel
