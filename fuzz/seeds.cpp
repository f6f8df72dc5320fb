// Writes the seed corpus of every fuzz target: golden images, the emulators' memories, the
// replies an emulator gives to each exchange of the programmers (whole and cut short), the
// frames those exchanges send, and port files. Run by hand when the targets' input layout
// changes: fuzz_seeds <tests/data folder> <corpus folder>.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <cstdio>
#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "core/pacedlink.h"
#include "model_a/chdata.h"
#include "model_a/programmer.h"
#include "model_b/chdata.h"
#include "model_b/programmer.h"
#include "sim/kv417r.h"
#include "sim/kv93x.h"

namespace {

using Bytes = std::vector<uint8_t>;

// A line straight into an emulator: what it answers is queued for the link and recorded.
class EmulatorChannel : public kvcore::ByteChannel {
  public:
    explicit EmulatorChannel(kvsim::FramedModem& modem) : modem_(modem) {}
    void sendPaced(uint8_t byte) override {
        sent.push_back(byte);
        for (const uint8_t b : modem_.onByte(byte)) queue_.push_back(b);
    }
    int receiveReply() override {
        if (queue_.empty()) return -1;
        const uint8_t b = queue_.front();
        queue_.pop_front();
        replies.push_back(b);
        return b;
    }
    Bytes sent, replies;

  private:
    kvsim::FramedModem& modem_;
    std::deque<uint8_t> queue_;
};

QString folder;

void write(const std::string& target, const std::string& name, const Bytes& bytes) {
    QDir().mkpath(folder + "/" + QString::fromStdString(target));
    QFile f(folder + "/" + QString::fromStdString(target + "/" + name));
    if (!f.open(QIODevice::WriteOnly) ||
        f.write(reinterpret_cast<const char*>(bytes.data()), static_cast<qint64>(bytes.size())) !=
            static_cast<qint64>(bytes.size())) {
        std::fprintf(stderr, "cannot write %s/%s\n", target.c_str(), name.c_str());
        std::exit(1);
    }
}

Bytes fileBytes(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "cannot read %s\n", qPrintable(path));
        std::exit(1);
    }
    const QByteArray b = f.readAll();
    return {b.begin(), b.end()};
}

template <class Memory>
Bytes bytesOf(const Memory& m) {
    return {m.begin(), m.end()};
}

// One exchange against a fresh emulator: its replies as a link seed, whole and cut in half,
// and the frames sent as an emulator seed (after a header without faults).
template <class Modem, class Programmer>
void exchange(const std::string& model, const std::string& name, uint8_t op, uint8_t p1, uint8_t p2,
              const std::function<void(Programmer&)>& run) {
    Modem modem;
    EmulatorChannel line(modem);
    Programmer programmer(line);
    run(programmer);
    Bytes seed = {op, p1, p2};
    seed.insert(seed.end(), line.replies.begin(), line.replies.end());
    write("link_" + model, name, seed);
    seed.resize(3 + line.replies.size() / 2);
    write("link_" + model, name + "_cut", seed);
    Bytes stream(8, 0x00);
    stream.insert(stream.end(), line.sent.begin(), line.sent.end());
    write(model == "a" ? "sim_kv417r" : "sim_kv93x", name, stream);
    stream[0] = 0x01;  // the same frames with faults armed from the header
    stream[1] = 0x05;
    stream[2] = 0x02;
    stream[3] = 0x15;
    write(model == "a" ? "sim_kv417r" : "sim_kv93x", name + "_faults", stream);
}

kvcore::MemoryImage pattern(uint8_t p1, uint8_t p2) {
    kvcore::MemoryImage image;
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<uint8_t>(i * (2u * p1 + 1u) + p2);
    return image;
}

void linkSeedsA() {
    using P = kva::Programmer;
    const auto ex = [](const char* name, uint8_t op, uint8_t p1, uint8_t p2, auto run) {
        exchange<kvsim::Kv417r, P>("a", name, op, p1, p2, run);
    };
    kvcore::MemoryImage image{}, back{};
    uint8_t words[32]{};
    bool erased = false;
    ex("read_all", 0, 0, 0, [&](P& p) { p.readMemory(image, {}); });
    ex("transmit", 1, 0x11, 0x22, [&](P& p) {
        p.writeTable(pattern(0x11, 0x22), {});
        p.readMemory(back, {});
    });
    ex("read_calibration", 2, 0x70, 14, [&](P& p) { p.readWords(0x70, 15, words); });
    ex("calibration_write", 3, 0x70, 14, [&](P& p) {
        const kvcore::MemoryImage block = pattern(14, 0x70);
        p.writeWords(0x70, 15, block.data());
        p.readWords(0x70, 15, words);
    });
    ex("erase", 4, 0, 0, [&](P& p) { p.eraseMemory(erased); });
    ex("set_sql", 5, 0, 2, [&](P& p) { p.setSql(2); });
    ex("set_tx_power", 5, 1, 0xC0, [&](P& p) { p.setTxPower(0xC001, 0xC0); });
    ex("set_channel", 5, 9, 15, [&](P& p) { p.setChannel(15, 9); });
}

void linkSeedsB() {
    using P = kvb::Programmer;
    const auto ex = [](const char* name, uint8_t op, uint8_t p1, uint8_t p2, auto run) {
        exchange<kvsim::Kv93x, P>("b", name, op, p1, p2, run);
    };
    kvcore::MemoryImage image{}, back{};
    kvb::Calibration values{}, readBack{};
    bool erased = false;
    ex("receive", 0, 0, 0, [&](P& p) { p.readMemory(image, {}); });
    ex("transmit", 1, 0x11, 0x22, [&](P& p) {
        p.writeTable(pattern(0x11, 0x22), {});
        p.readMemory(back, {});
    });
    ex("calibration_read", 2, 0, 0, [&](P& p) { p.readCalibration(values); });
    ex("calibration_write", 3, 0x05, 0x07, [&](P& p) {
        const kvcore::MemoryImage source = pattern(0x05, 0x07);
        std::copy_n(source.begin() + 224, values.size(), values.begin());
        p.writeCalibration(values, readBack);
    });
    ex("erase", 4, 0, 0, [&](P& p) { p.eraseMemory(erased); });
}

void portFileSeeds() {
    write("portfile", "a_com2", {0x02, 0x00, 0x00, 0x02, 0x00, 0x00, 0x00});
    write("portfile", "b_lower_case", {0x03, 0xFF, 0x00, 0x04, 0x00, 0x00, 0x00});
    write("portfile", "a_short", {0x02, 0x00, 0x00, 0x01, 0x00});
    write("portfile", "a_negative", {0x02, 0x05, 0x00, 0xFF, 0xFF, 0xFF, 0xFF, 0x09});
    Bytes stray = {0x06, 0x00, 10};
    for (const char c : std::string("kv417r.ini")) stray.push_back(static_cast<uint8_t>(c));
    stray.insert(stray.end(), {0x03, 0x00, 0x00, 0x00});
    write("portfile", "a_stray_in_other_case", stray);
    stray[0] = 0x04;  // the stray alone
    write("portfile", "a_only_stray", stray);
}

template <class Block>
Bytes blockBytes(const Block& block) {
    const auto* b = reinterpret_cast<const uint8_t*>(&block);
    return {b, b + sizeof block};
}

// A flag byte (the answer to the long-file question) before the file.
Bytes openSeed(uint8_t yes, Bytes file) {
    file.insert(file.begin(), yes);
    return file;
}

// Settings files: the demo memory as each tool would save it, the golden file, and the same
// cut short, grown longer and taken by the other tool.
void openSeeds(const QString& data) {
    kva::TSetData a = kva::defaultSetData();
    const kvcore::MemoryImage demoA = kvsim::Kv417r::demoMemory();
    for (int k = 0; k < 16; ++k) a.Ch[k] = kva::decodeChannel(&demoA[8 * k]);
    a.Mode = kva::decodeSetMode(demoA);
    kvb::TSetData b = kvb::defaultSetData();
    b.Mode = kvb::decodeImage(kvsim::Kv93x::demoMemory(), b);
    const Bytes fileA = blockBytes(a), fileB = blockBytes(b);
    const Bytes golden = fileBytes(data + "/kv93x_settings.dat");
    write("open_a", "demo", openSeed(1, fileA));
    write("open_a", "kvprog_b_file", openSeed(1, fileB));
    write("open_b", "demo", openSeed(1, fileB));
    write("open_b", "golden", openSeed(1, golden));
    write("open_b", "kvprog_a_file_yes", openSeed(1, fileA));
    write("open_b", "kvprog_a_file_no", openSeed(0, fileA));
    Bytes longer = fileA;
    longer.resize(900, 0x5A);
    write("open_a", "longer_yes", openSeed(1, longer));
    write("open_a", "longer_no", openSeed(0, longer));
    write("open_a", "one_short", openSeed(1, Bytes(fileA.begin(), fileA.end() - 1)));
    write("open_b", "one_short", openSeed(1, Bytes(golden.begin(), golden.end() - 1)));
}

// Factory.INI: a name variant byte, then the file; the design's example values, 31 bytes
// under another case, one byte short, and none at all.
void factoryIniSeeds() {
    Bytes block(30, 0x00);
    block[0] = 0xC1;
    block[1] = 0x2A;
    block[20] = 0x05;
    Bytes seed = {0x00};
    seed.insert(seed.end(), block.begin(), block.end());
    write("factory_ini", "example", seed);
    seed[0] = 0x01;
    seed.push_back(0xEE);
    write("factory_ini", "upper_case_longer", seed);
    seed[0] = 0x02;
    seed.resize(30);
    write("factory_ini", "lower_case_short", seed);
    write("factory_ini", "none", {0x03});
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: fuzz_seeds <tests/data folder> <corpus folder>\n");
        return 2;
    }
    const QString data = QString::fromLocal8Bit(argv[1]);
    folder = QString::fromLocal8Bit(argv[2]);
    for (const auto& [target, model] : {std::pair{"image_a", "kv417r"}, {"image_b", "kv93x"}})
        write(target, "golden_receive", fileBytes(data + "/" + model + "_receive.bin"));
    write("image_a", "demo", bytesOf(kvsim::Kv417r::demoMemory()));
    write("image_b", "demo", bytesOf(kvsim::Kv93x::demoMemory()));
    write("image_b", "fine_steps", fileBytes(data + "/kv93x_fine_steps.bin"));
    for (const char* target : {"image_a", "image_b"}) {
        write(target, "erased", Bytes(256, 0xFF));
        write(target, "zero", Bytes(256, 0x00));
    }
    linkSeedsA();
    linkSeedsB();
    portFileSeeds();
    openSeeds(data);
    factoryIniSeeds();
    return 0;
}
