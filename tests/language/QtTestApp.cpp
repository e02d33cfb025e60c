// The widget tests need one QApplication for the whole test program.
#include <QApplication>

#include <gtest/gtest.h>

#include <memory>

namespace {

class QtApp : public ::testing::Environment {
public:
    void SetUp() override { app_ = std::make_unique<QApplication>(argc_, argv_); }
    void TearDown() override { app_.reset(); }

private:
    int argc_ = 1;
    char name_[16] = "language_tests";
    char* argv_[2] = {name_, nullptr};
    std::unique_ptr<QApplication> app_;
};

[[maybe_unused]] ::testing::Environment* const qtApp =
    ::testing::AddGlobalTestEnvironment(new QtApp);

} // namespace
