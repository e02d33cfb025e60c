#include "shell/app/DemoConverter.h"

#include "sim/PtyConverter.h"

#include <cstdio>

namespace vandrel {

DemoConverter::DemoConverter() : converter_(std::make_unique<sim::PtyConverter>()) {}

DemoConverter::~DemoConverter() {
    converter_->stop();
}

bool DemoConverter::start() {
    if (!converter_->start()) {
        std::fprintf(stderr, "vandrel: the stand-in converter could not start: %s\n",
                     converter_->error().c_str());
        return false;
    }
    return true;
}

QString DemoConverter::devicePath() const {
    return QString::fromStdString(converter_->devicePath());
}

} // namespace vandrel
