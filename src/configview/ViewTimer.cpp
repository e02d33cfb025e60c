#include "configview/ViewTimer.h"

#include <QTimer>

namespace vandrel {

namespace {

class QtViewTimer : public ViewTimer {
public:
    QtViewTimer() {
        timer_.setSingleShot(true);
        QObject::connect(&timer_, &QTimer::timeout, [this] { expire(); });
    }
    void start(int milliseconds) override { timer_.start(milliseconds); }
    void stop() override { timer_.stop(); }
    bool isActive() const override { return timer_.isActive(); }

private:
    QTimer timer_;
};

} // namespace

std::unique_ptr<ViewTimer> MakeQtViewTimer() {
    return std::make_unique<QtViewTimer>();
}

} // namespace vandrel
