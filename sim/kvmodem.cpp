// kvmodem: KV modems on pseudo-terminals, for running the programming tools without
// hardware. Prints each device path on a line of stdout and serves until SIGINT or SIGTERM;
// with --count N it serves N independent modems, one pty each, as a test bench of N ports.
#include <pthread.h>
#include <signal.h>

#include <charconv>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "sim/models.h"
#include "sim/ptytransport.h"

namespace {

struct Settings {
    std::string model = "KV417R";
    std::string link;
    std::string load;
    std::string save;
    bool lineTiming = false;
    bool blank = false;
    int count = 1;
};

constexpr int kMaxCount = 64;

std::string usage() {
    std::string names;
    for (const kvsim::ModelEntry& m : kvsim::models()) names += (names.empty() ? "" : "|") + m.name;
    return "usage: kvmodem [--model " + names +
           "] [--link PATH] [--line-timing] [--load FILE]\n"
           "               [--save FILE] [--blank] [--count N]\n"
           "  --model NAME    the modem to emulate: " +
           names +
           " (default KV417R)\n"
           "  --link PATH     place a symlink to the device at PATH (removed at exit)\n"
           "  --line-timing   pace replies like a 9600 bit/s 8E1 line\n"
           "  --load FILE     start from a raw memory image\n"
           "  --save FILE     write the memory image to FILE at exit\n"
           "  --blank         start from an erased memory (all 0xFF) instead of the demo memory\n"
           "  --count N       serve N modems (1 to 64), one pty each; --link PATH then places\n"
           "                  PATH1 ... PATHN, and --save is for one modem only\n";
}

// Throws std::invalid_argument when the arguments make no sense.
Settings parse(int argc, char** argv) {
    Settings s;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        auto value = [&](std::string& target) {
            if (i + 1 >= argc) throw std::invalid_argument(std::string(arg) + " needs a value");
            target = argv[++i];
        };
        if (arg == "--model")
            value(s.model);
        else if (arg == "--link")
            value(s.link);
        else if (arg == "--load")
            value(s.load);
        else if (arg == "--save")
            value(s.save);
        else if (arg == "--line-timing")
            s.lineTiming = true;
        else if (arg == "--blank")
            s.blank = true;
        else if (arg == "--count") {
            std::string n;
            value(n);
            const auto [end, error] = std::from_chars(n.data(), n.data() + n.size(), s.count);
            if (error != std::errc() || end != n.data() + n.size() || s.count < 1 ||
                s.count > kMaxCount)
                throw std::invalid_argument("--count takes a number from 1 to 64");
        } else if (arg == "--help" || arg == "-h") {
            std::cout << usage();
            std::exit(0);
        } else
            throw std::invalid_argument("unknown option " + std::string(arg));
    }
    if (!s.load.empty() && s.blank)
        throw std::invalid_argument("--load and --blank exclude each other");
    if (s.count > 1 && !s.save.empty())
        throw std::invalid_argument("--save is for one modem; leave out --count");
    return s;
}

std::unique_ptr<kvsim::ModemMachine> makeModem(const Settings& s) {
    const kvsim::ModelEntry* model = kvsim::findModel(s.model);
    if (!model) throw std::invalid_argument("unknown model " + s.model);
    auto modem = model->make(s.blank);
    if (!s.load.empty()) modem->setImage(kvsim::loadImageFile(s.load, modem->imageSize()));
    return modem;
}

int serve(const Settings& s) {
    // Blocked before the serving thread starts, so only sigwait below sees them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    std::vector<std::unique_ptr<kvsim::PtyTransport>> transports;
    for (int i = 1; i <= s.count; ++i) {
        auto& t = transports.emplace_back(std::make_unique<kvsim::PtyTransport>(
            makeModem(s), kvsim::PtyOptions{.lineTiming = s.lineTiming}));
        const std::string link =
            s.link.empty() || s.count == 1 ? s.link : s.link + std::to_string(i);
        if (!link.empty()) t->placeLink(link);
        std::cout << t->devicePath() << '\n';
        std::cerr << "kvmodem: " << s.model << " on " << t->devicePath()
                  << (link.empty() ? "" : " (" + link + ")")
                  << (s.lineTiming ? ", 9600 8E1 timing" : "") << '\n';
    }
    std::cout.flush();

    int signal = 0;
    sigwait(&stopSignals, &signal);
    for (auto& t : transports) t->stop();
    int status = 0;
    if (!s.save.empty()) {
        try {
            kvsim::saveImageFile(s.save,
                                 transports[0]->withModem([](auto& m) { return m.image(); }));
        } catch (const std::exception& e) {
            std::cerr << "kvmodem: " << e.what() << '\n';
            status = 1;
        }
    }
    for (auto& t : transports) t->removeLink();
    return status;
}

}  // namespace

int main(int argc, char** argv) {
    Settings settings;
    try {
        settings = parse(argc, argv);
    } catch (const std::invalid_argument& e) {
        std::cerr << "kvmodem: " << e.what() << '\n' << usage();
        return 2;
    }
    try {
        return serve(settings);
    } catch (const std::exception& e) {
        std::cerr << "kvmodem: " << e.what() << '\n';
        return 1;
    }
}
