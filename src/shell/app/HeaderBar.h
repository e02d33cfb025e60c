#pragma once

#include <QFrame>
#include <QWidget>

class QMenuBar;
class QToolBar;
class QVBoxLayout;

namespace vandrel {

// The logo beside the bars: an etched frame with the logo centred; a click on it asks for the
// About box.
class LogoWidget : public QFrame {
    Q_OBJECT
public:
    explicit LogoWidget(QWidget* parent);
    QSize sizeHint() const override;

signals:
    void clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// The band above the tabs: the menu bar and, on a row of its own, the toolbar; the logo takes
// the right-most 128 pixels when the band is higher than 46 pixels.
class HeaderBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kLogoAreaWidth = 148;
    static constexpr int kMaxHeightWithoutLogo = 46;

    explicit HeaderBar(QWidget* parent);

    // Replaces the menu bar (after a language switch); the old one is deleted.
    void setMenuBar(QMenuBar* menuBar);
    QMenuBar* menuBar() const { return menuBar_; }
    QToolBar* toolBar() const { return toolBar_; }
    LogoWidget* logo() const { return logo_; }

    // The bars' height as the layout rule sees it.
    int barHeight() const;
    void updateLogo();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QVBoxLayout* bars_;
    QMenuBar* menuBar_ = nullptr;
    QToolBar* toolBar_;
    LogoWidget* logo_;
};

} // namespace vandrel
