// kvmodem: a KV modem on a pseudo-terminal, for running the programming tools without
// hardware. Prints the device path on stdout and serves until SIGINT or SIGTERM.
#include <pthread.h>
#include <signal.h>

#include <cstdlib>
#include <iostream>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

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
};

std::string usage() {
    std::string names;
    for (const kvsim::ModelEntry& m : kvsim::models()) names += (names.empty() ? "" : "|") + m.name;
    return "usage: kvmodem [--model " + names +
           "] [--link PATH] [--line-timing] [--load FILE]\n"
           "               [--save FILE] [--blank]\n"
           "  --model NAME    the modem to emulate: " +
           names +
           " (default KV417R)\n"
           "  --link PATH     place a symlink to the device at PATH (removed at exit)\n"
           "  --line-timing   pace replies like a 9600 bit/s 8E1 line\n"
           "  --load FILE     start from a raw memory image\n"
           "  --save FILE     write the memory image to FILE at exit\n"
           "  --blank         start from an erased memory (all 0xFF) instead of the demo memory\n";
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
        else if (arg == "--help" || arg == "-h") {
            std::cout << usage();
            std::exit(0);
        } else
            throw std::invalid_argument("unknown option " + std::string(arg));
    }
    if (!s.load.empty() && s.blank)
        throw std::invalid_argument("--load and --blank exclude each other");
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

    kvsim::PtyTransport transport(makeModem(s), {.lineTiming = s.lineTiming});
    if (!s.link.empty()) transport.placeLink(s.link);
    std::cout << transport.devicePath() << std::endl;
    std::cerr << "kvmodem: " << s.model << " on " << transport.devicePath()
              << (s.link.empty() ? "" : " (" + s.link + ")")
              << (s.lineTiming ? ", 9600 8E1 timing" : "") << '\n';

    int signal = 0;
    sigwait(&stopSignals, &signal);
    transport.stop();
    int status = 0;
    if (!s.save.empty()) {
        try {
            kvsim::saveImageFile(s.save, transport.withModem([](auto& m) { return m.image(); }));
        } catch (const std::exception& e) {
            std::cerr << "kvmodem: " << e.what() << '\n';
            status = 1;
        }
    }
    transport.removeLink();
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
