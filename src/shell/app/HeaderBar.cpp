#include "shell/app/HeaderBar.h"

#include "shell/app/Artwork.h"

#include <QHBoxLayout>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QToolBar>
#include <QVBoxLayout>

namespace vandrel {

LogoWidget::LogoWidget(QWidget* parent) : QFrame(parent) {
    setObjectName(QStringLiteral("logo"));
    setFrameStyle(QFrame::Box | QFrame::Sunken); // etched
    setFixedWidth(HeaderBar::kLogoAreaWidth);
}

QSize LogoWidget::sizeHint() const {
    return {HeaderBar::kLogoAreaWidth, artwork::kLogoHeight + 2 * frameWidth()};
}

void LogoWidget::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    QPainter painter(this);
    const QPixmap pixmap = artwork::logo(devicePixelRatioF());
    const QSize size = pixmap.size() / pixmap.devicePixelRatio();
    painter.drawPixmap((width() - size.width()) / 2, (height() - size.height()) / 2, pixmap);
}

void LogoWidget::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        emit clicked();
    }
    QFrame::mouseReleaseEvent(event);
}

HeaderBar::HeaderBar(QWidget* parent)
    : QWidget(parent), bars_(new QVBoxLayout), toolBar_(new QToolBar(this)),
      logo_(new LogoWidget(this)) {
    setObjectName(QStringLiteral("headerBar"));
    toolBar_->setObjectName(QStringLiteral("toolBar"));
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    bars_->setContentsMargins(0, 0, 0, 0);
    bars_->setSpacing(0);
    bars_->addWidget(toolBar_);
    row->addLayout(bars_, 1);
    row->addWidget(logo_);
}

void HeaderBar::setMenuBar(QMenuBar* menuBar) {
    if (menuBar_ != nullptr) {
        bars_->removeWidget(menuBar_);
        menuBar_->deleteLater();
    }
    menuBar_ = menuBar;
    menuBar_->setParent(this);
    menuBar_->setNativeMenuBar(false);
    bars_->insertWidget(0, menuBar_);
    menuBar_->show();
    updateLogo();
}

int HeaderBar::barHeight() const {
    int height = 0;
    if (menuBar_ != nullptr) {
        height += menuBar_->sizeHint().height();
    }
    if (toolBar_->isVisibleTo(this)) {
        height += toolBar_->sizeHint().height();
    }
    return height + 4;
}

void HeaderBar::updateLogo() {
    logo_->setVisible(barHeight() > kMaxHeightWithoutLogo);
}

void HeaderBar::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateLogo();
}

} // namespace vandrel
