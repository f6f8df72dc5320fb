// The libFuzzer entry of one target, named by KV_FUZZ_TARGET. A broken promise aborts with
// its description, so libFuzzer keeps the input as a finding.
#include <unistd.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>

#include "fuzz/check.h"

namespace {
const kvfuzz::Target* target = nullptr;
// The current folder while a check runs (the port file target writes there); libFuzzer's own
// relative paths need the caller's folder the rest of the time.
std::unique_ptr<QTemporaryDir> folder;
QString home;
// The main-window targets need an application; the others do not mind one.
int appArgc = 1;
char appName[] = "kvfuzz";
char* appArgv[] = {appName, nullptr};

class InScratchFolder {
  public:
    InScratchFolder() { QDir::setCurrent(folder->path()); }
    ~InScratchFolder() { QDir::setCurrent(home); }
};
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    new QApplication(appArgc, appArgv);  // lives for the whole run
    target = kvfuzz::findTarget(KV_FUZZ_TARGET);
    folder = std::make_unique<QTemporaryDir>();
    home = QDir::currentPath();
    if (!target || !folder->isValid()) {
        std::fprintf(stderr, "cannot set up fuzz target %s\n", KV_FUZZ_TARGET);
        std::abort();
    }
    std::atexit([] { folder.reset(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string broken;
    {
        const InScratchFolder scratch;
        try {
            target->check({data, size});
        } catch (const kvfuzz::Violation& v) {
            broken = v.what();
        }
    }
    if (!broken.empty()) {
        std::fprintf(stderr, "\n%s: %s\n", KV_FUZZ_TARGET, broken.c_str());
        std::abort();
    }
    return 0;
}
