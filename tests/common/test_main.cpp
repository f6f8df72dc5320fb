// Test main shared by every test binary: a headless Qt application and a fresh
// temporary current folder for each test (the tools read their small files from there),
// with the state and data folders inside it, so the traces and memory images that every
// modem command keeps never reach the real home.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>

namespace {

const QString kNowhere = QStringLiteral("/nonexistent/kvprog-test");

class FreshFolderPerTest : public testing::EmptyTestEventListener {
  public:
    void OnTestStart(const testing::TestInfo&) override {
        dir_ = std::make_unique<QTemporaryDir>();
        previous_ = QDir::currentPath();
        QDir::setCurrent(dir_->path());
        qputenv("XDG_STATE_HOME", QFile::encodeName(dir_->filePath(QStringLiteral(".state"))));
        qputenv("XDG_DATA_HOME", QFile::encodeName(dir_->filePath(QStringLiteral(".data"))));
    }
    void OnTestEnd(const testing::TestInfo&) override {
        QDir::setCurrent(previous_);
        // Nothing may land in the real home between two tests either.
        qputenv("XDG_STATE_HOME", QFile::encodeName(kNowhere));
        qputenv("XDG_DATA_HOME", QFile::encodeName(kNowhere));
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
    // Before any test and before Qt looks: set here, the folders point nowhere usable.
    setenv("XDG_STATE_HOME", "/nonexistent/kvprog-test", 1);
    setenv("XDG_DATA_HOME", "/nonexistent/kvprog-test", 1);
    QApplication app(argc, argv);
    testing::InitGoogleTest(&argc, argv);
    testing::UnitTest::GetInstance()->listeners().Append(new FreshFolderPerTest);
    return RUN_ALL_TESTS();
}
