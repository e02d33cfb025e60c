#pragma once

#include <QPointer>
#include <QWidget>

class QPalette;

namespace vandrel {

// The colour that marks a changed value: a dark amber on a light window, a light one on a dark
// window, so that it stands out in either.
QColor ChangeMarkColor(const QPalette& palette);

// A tinted frame around a control whose value changed. It lies over the control in the
// control's parent, follows it when it moves, resizes, shows or hides, and lets every mouse
// event through to it.
class ChangeFrame : public QWidget {
    Q_OBJECT
public:
    explicit ChangeFrame(QWidget* control);

    QWidget* control() const { return control_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void place();

    QPointer<QWidget> control_;
};

} // namespace vandrel
