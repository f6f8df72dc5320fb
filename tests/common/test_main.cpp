// Test main shared by every test binary: a headless Qt application and a fresh
// temporary current folder for each test (the tools read their small files from there).
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

namespace {

class FreshFolderPerTest : public testing::EmptyTestEventListener {
  public:
    void OnTestStart(const testing::TestInfo&) override {
        dir_ = std::make_unique<QTemporaryDir>();
        previous_ = QDir::currentPath();
        QDir::setCurrent(dir_->path());
    }
    void OnTestEnd(const testing::TestInfo&) override {
        QDir::setCurrent(previous_);
        dir_.reset();
    }

  private:
    std::unique_ptr<QTemporaryDir> dir_;
    QString previous_;
};

}  // namespace

int main(int argc, char** argv) {
    // Test discovery runs the binary outside the ctest environment.
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FreshFolderPerTest);
    return RUN_ALL_TESTS();
}
