// The programmers' exchanges against a modem that answers from the input: each exchange must
// end as a reference reading of the same replies ends (the same result, the same frames sent,
// the same number of reply bytes read, no byte read after the first that failed), hand out
// data only when everything arrived and checked out, and leave the caller's buffers as they
// were when it fails. Input: an operation byte, two parameter bytes, then the replies.
#include <algorithm>
#include <array>
#include <vector>

#include "fuzz/check.h"
#include "fuzz/scriptedchannel.h"
#include "model_a/programmer.h"
#include "model_b/programmer.h"

namespace kvfuzz {

namespace {

using kvcore::LinkResult;
using kvcore::MemoryImage;

std::string resultName(LinkResult r) {
    switch (r) {
        case LinkResult::Ok:
            return "Ok";
        case LinkResult::CommError1:
            return "CommError1";
        case LinkResult::CommError2:
            return "CommError2";
    }
    return "result " + std::to_string(static_cast<int>(r));
}

// The replies read as the protocol reads them, and the frames it sends meanwhile: the oracle.
class Reference {
  public:
    explicit Reference(Bytes replies) : replies_(replies) {}

    int next() {
        ++asked_;
        return pos_ < replies_.size() ? replies_[pos_++] : -1;
    }
    // Reads one byte that must be `want` (any byte when `want` is -1).
    LinkResult expect(int want) {
        const int b = next();
        if (b < 0) return LinkResult::CommError1;
        return want >= 0 && b != want ? LinkResult::CommError2 : LinkResult::Ok;
    }
    LinkResult data(uint8_t* out, std::size_t count) {
        for (std::size_t i = 0; i < count; ++i) {
            const int b = next();
            if (b < 0) return LinkResult::CommError1;
            out[i] = static_cast<uint8_t>(b);
        }
        return LinkResult::Ok;
    }
    template <class Frame>
    void send(const Frame& frame) {
        sent.insert(sent.end(), frame.begin(), frame.end());
    }

    std::size_t asked() const { return asked_; }
    std::vector<uint8_t> sent;

  private:
    Bytes replies_;
    std::size_t pos_ = 0;
    std::size_t asked_ = 0;
};

// One exchange of the programmer held against the reference's reading of the same replies.
void compare(const std::string& op, LinkResult got, LinkResult want, const ScriptedChannel& line,
             const Reference& ref) {
    KV_REQUIRE(got == want,
               op + ": " + resultName(got) + " where the replies give " + resultName(want));
    KV_REQUIRE(line.sent() == ref.sent, op + ": frames sent differ from the protocol's");
    KV_REQUIRE(line.receives() == ref.asked(), op + ": " + std::to_string(line.receives()) +
                                                   " reply bytes read, the protocol reads " +
                                                   std::to_string(ref.asked()));
}

// Progress: rising tens, 100 only for a phase that succeeded.
void checkProgress(const std::string& op, const std::vector<int>& seen, bool ok) {
    for (std::size_t i = 0; i < seen.size(); ++i) {
        KV_REQUIRE(seen[i] >= 10 && seen[i] <= 100 && seen[i] % 10 == 0, op + ": progress value");
        KV_REQUIRE(i == 0 || seen[i] > seen[i - 1], op + ": progress not rising");
    }
    KV_REQUIRE(ok == (!seen.empty() && seen.back() == 100),
               op + ": 100 % without success or missing");
}

kvcore::Progress recorder(std::vector<int>& seen) {
    return [&seen](int percent) { seen.push_back(percent); };
}

// A recognisable image for the writes, varied by the parameter bytes.
MemoryImage pattern(uint8_t p1, uint8_t p2) {
    MemoryImage image;
    for (std::size_t i = 0; i < image.size(); ++i)
        image[i] = static_cast<uint8_t>(i * (2u * p1 + 1u) + p2);
    return image;
}

constexpr uint8_t kUntouched = 0xA5;

template <class Buffer>
bool untouched(const Buffer& b) {
    return std::all_of(b.begin(), b.end(), [](uint8_t x) { return x == kUntouched; });
}

// ---- KV417R --------------------------------------------------------------------------------

namespace a {

std::array<uint8_t, 8> frame(uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3) {
    const unsigned sum = command + p1 + p2 + p3;
    return {
        0xCC, command, p1, p2, p3, 0x00, static_cast<uint8_t>(sum >> 8), static_cast<uint8_t>(sum)};
}

// A frame and its acknowledge 33 06 xx (33 06 81 after Read All).
LinkResult request(Reference& ref, uint8_t command, uint8_t p1, uint8_t p2, uint8_t p3) {
    ref.send(frame(command, p1, p2, p3));
    for (const int want : {0x33, 0x06, command == 0x04 ? 0x81 : -1})
        if (const LinkResult r = ref.expect(want); r != LinkResult::Ok) return r;
    return LinkResult::Ok;
}

LinkResult readAll(Reference& ref, MemoryImage& block) {
    if (const LinkResult r = request(ref, 0x04, 0, 0, 0); r != LinkResult::Ok) return r;
    if (const LinkResult r = ref.data(block.data(), block.size()); r != LinkResult::Ok) return r;
    const int sum = ref.next();
    if (sum < 0) return LinkResult::CommError1;
    unsigned total = 0;
    for (const uint8_t b : block) total += b;
    return sum == static_cast<int>(total & 0xFF) ? LinkResult::Ok : LinkResult::CommError2;
}

LinkResult readWords(Reference& ref, int first, int count, uint8_t* out) {
    for (int k = 0; k < count; ++k) {
        if (const LinkResult r = request(ref, 0x03, static_cast<uint8_t>(first + k), 0, 0);
            r != LinkResult::Ok)
            return r;
        if (const LinkResult r = ref.data(out + 2 * k, 2); r != LinkResult::Ok) return r;
    }
    return LinkResult::Ok;
}

LinkResult writeWords(Reference& ref, int first, int count, const uint8_t* bytes) {
    for (int k = 0; k < count; ++k)
        if (const LinkResult r =
                request(ref, 0x01, static_cast<uint8_t>(first + k), bytes[2 * k], bytes[2 * k + 1]);
            r != LinkResult::Ok)
            return r;
    return LinkResult::Ok;
}

// The words a table write sends, in order, and the bytes its verify compares.
std::vector<int> writtenWords() {
    std::vector<int> words;
    for (int w = 0; w <= 0x3F; ++w) words.push_back(w);
    for (const int w : {0x60, 0x6D, 0x6E, 0x6F, 0x7F}) words.push_back(w);
    return words;
}
// What the shared exchanges below ask of a model's protocol.
struct Protocol {
    using Programmer = kva::Programmer;
    static constexpr std::size_t kFullReply = 3 + 256 + 1;  // acknowledge, block, checksum
    static bool acknowledged(Bytes replies) {
        return replies[0] == 0x33 && replies[1] == 0x06 && replies[2] == 0x81;
    }
    static LinkResult readMemory(Reference& ref, MemoryImage& block) { return readAll(ref, block); }
    static LinkResult writeTable(Reference& ref, const MemoryImage& image) {
        for (const int w : writtenWords())
            if (const LinkResult r =
                    request(ref, 0x01, static_cast<uint8_t>(w), image[2 * w], image[2 * w + 1]);
                r != LinkResult::Ok)
                return r;
        return LinkResult::Ok;
    }
    static bool compared(int address) {
        return address <= 0x7F || address == 0xC0 || address == 0xC1 ||
               (address >= 0xDA && address <= 0xDF) || address >= 0xFE;
    }
    static LinkResult erase(Reference& ref, const MemoryImage& blank, MemoryImage& back) {
        const LinkResult r = writeWords(ref, 0, 128, blank.data());
        return r == LinkResult::Ok ? readWords(ref, 0, 128, back.data()) : r;
    }
};

void wordRuns(int op, uint8_t p1, uint8_t p2, Bytes replies) {
    const int first = p1 % 128;
    const int count = 1 + p2 % std::min(16, 128 - first);
    ScriptedChannel line(replies);
    kva::Programmer modem(line);
    Reference ref(replies);
    if (op == 2) {
        std::vector<uint8_t> out(2 * count, kUntouched), want(2 * count, kUntouched);
        const LinkResult got = modem.readWords(static_cast<uint8_t>(first), count, out.data());
        const LinkResult expected = readWords(ref, first, count, want.data());
        compare("Read Word run", got, expected, line, ref);
        if (got != LinkResult::Ok) want.assign(want.size(), kUntouched);
        KV_REQUIRE(out == want, "Read Word run: buffer is not what arrived, or changed on failure");
    } else {
        // The factory WRITE: the run written, then read back for the window's compare.
        const MemoryImage bytes = pattern(p2, p1);
        std::vector<uint8_t> back(2 * count), wantBack(2 * count);
        LinkResult got = modem.writeWords(static_cast<uint8_t>(first), count, bytes.data());
        if (got == LinkResult::Ok)
            got = modem.readWords(static_cast<uint8_t>(first), count, back.data());
        LinkResult want = writeWords(ref, first, count, bytes.data());
        if (want == LinkResult::Ok) want = readWords(ref, first, count, wantBack.data());
        compare("Write Word run and read-back", got, want, line, ref);
        KV_REQUIRE(got != LinkResult::Ok || back == wantBack,
                   "Write Word run: read-back is not what arrived");
    }
}

void setCommand(uint8_t p1, uint8_t p2, Bytes replies) {
    ScriptedChannel line(replies);
    kva::Programmer modem(line);
    Reference ref(replies);
    switch (p1 % 3) {
        case 0:
            compare("Set SQL", modem.setSql(p2), request(ref, 0x06, p2, 0, 0), line, ref);
            break;
        case 1:
            compare("Set TX Power", modem.setTxPower(static_cast<uint16_t>(p2 << 8 | p1), p2),
                    request(ref, 0x08, p2, p1, p2), line, ref);
            break;
        default:
            compare("Set Channel", modem.setChannel(p2 % 16, p1),
                    request(ref, 0x07, p2 % 16, p1, 0), line, ref);
            break;
    }
}

}  // namespace a

// ---- KV938R/935R/931R ------------------------------------------------------------------------

namespace b {

std::array<uint8_t, 15> frame(uint8_t command, uint8_t address, uint8_t end, uint8_t first,
                              uint8_t second) {
    std::array<uint8_t, 15> f = {0x0E,  command, address, 0x00, 0xAB, end,  0x00, 0xBA,
                                 first, second,  0x00,    0xFF, 0xFF, 0xFF, 0x00};
    for (int i = 0; i < 14; ++i) f[14] = static_cast<uint8_t>(f[14] + f[i]);
    return f;
}

LinkResult writeWord(Reference& ref, int word, uint8_t first, uint8_t second) {
    ref.send(frame(0x01, static_cast<uint8_t>(word), 0, first, second));
    return ref.expect(0x06);
}

LinkResult readRange(Reference& ref, int first, int last, uint8_t* out) {
    ref.send(frame(0x02, static_cast<uint8_t>(first), static_cast<uint8_t>(last), 0, 0));
    if (const LinkResult r = ref.expect(0x06); r != LinkResult::Ok) return r;
    return ref.data(out, 2u * (last - first + 1));
}

LinkResult writeWords(Reference& ref, int first, int last, const uint8_t* bytes) {
    for (int w = first; w <= last; ++w)
        if (const LinkResult r = writeWord(ref, w, bytes[2 * w], bytes[2 * w + 1]);
            r != LinkResult::Ok)
            return r;
    return LinkResult::Ok;
}

struct Protocol {
    using Programmer = kvb::Programmer;
    static constexpr std::size_t kFullReply = 1 + 256;  // acknowledge, data
    static bool acknowledged(Bytes replies) { return replies[0] == 0x06; }
    static LinkResult readMemory(Reference& ref, MemoryImage& block) {
        return readRange(ref, 0, 127, block.data());
    }
    static LinkResult writeTable(Reference& ref, const MemoryImage& image) {
        const LinkResult r = writeWords(ref, 0, 111, image.data());
        return r == LinkResult::Ok ? writeWords(ref, 121, 127, image.data()) : r;
    }
    static bool compared(int address) { return address <= 223 || address >= 242; }
    static LinkResult erase(Reference& ref, const MemoryImage& blank, MemoryImage& back) {
        const LinkResult r = writeWords(ref, 0, 127, blank.data());
        return r == LinkResult::Ok ? readRange(ref, 0, 127, back.data()) : r;
    }
};

void calibration(bool write, uint8_t p1, uint8_t p2, Bytes replies) {
    ScriptedChannel line(replies);
    kvb::Programmer modem(line);
    kvb::Calibration values, out;
    const MemoryImage source = pattern(p1, p2);
    std::copy_n(source.begin() + 224, values.size(), values.begin());
    out.fill(kUntouched);
    const LinkResult got = write ? modem.writeCalibration(values, out) : modem.readCalibration(out);

    Reference ref(replies);
    MemoryImage image{};
    std::copy(values.begin(), values.end(), image.begin() + 224);
    LinkResult want = write ? writeWords(ref, 112, 120, image.data()) : LinkResult::Ok;
    kvb::Calibration block{};
    if (want == LinkResult::Ok) want = readRange(ref, 112, 120, block.data());
    compare(write ? "calibration WRITE" : "calibration READ", got, want, line, ref);
    KV_REQUIRE(got == LinkResult::Ok ? out == block : untouched(out),
               "calibration: values are not what arrived, or changed on failure");
}

}  // namespace b

// ---- The exchanges both models have --------------------------------------------------------

// Receive: Ok only for a full reply that passed every check, and then exactly its data.
template <class Protocol>
void readMemory(Bytes replies) {
    ScriptedChannel line(replies);
    typename Protocol::Programmer modem(line);
    MemoryImage image;
    image.fill(kUntouched);
    std::vector<int> seen;
    const LinkResult got = modem.readMemory(image, recorder(seen));

    Reference ref(replies);
    MemoryImage block{};
    compare("Receive", got, Protocol::readMemory(ref, block), line, ref);
    checkProgress("Receive", seen, got == LinkResult::Ok);
    if (got == LinkResult::Ok) {
        KV_REQUIRE(line.delivered() == Protocol::kFullReply && Protocol::acknowledged(replies),
                   "Receive: Ok without a full reply that passes the acknowledge");
        KV_REQUIRE(image == block, "Receive: image is not the data received");
    } else {
        KV_REQUIRE(untouched(image), "Receive: failed read changed the image");
    }
}

// Transmit: "Data Write OK" exactly when every compared byte came back equal.
template <class Protocol>
void transmit(uint8_t p1, uint8_t p2, Bytes replies) {
    const MemoryImage image = pattern(p1, p2);
    ScriptedChannel line(replies);
    typename Protocol::Programmer modem(line);
    std::vector<int> written, read;
    MemoryImage readBack{};
    LinkResult got = modem.writeTable(image, recorder(written));
    checkProgress("table write", written, got == LinkResult::Ok);
    if (got == LinkResult::Ok) got = modem.readMemory(readBack, recorder(read));
    const bool reportedOk = got == LinkResult::Ok && modem.sameWrittenBytes(image, readBack);

    Reference ref(replies);
    LinkResult want = Protocol::writeTable(ref, image);
    MemoryImage block{};
    if (want == LinkResult::Ok) want = Protocol::readMemory(ref, block);
    bool equal = want == LinkResult::Ok;
    for (int a = 0; a < 256 && equal; ++a) equal = !Protocol::compared(a) || block[a] == image[a];

    compare("Transmit", got, want, line, ref);
    KV_REQUIRE(reportedOk == equal, reportedOk ? "Transmit: Data Write OK with a byte that differs"
                                               : "Transmit: Data Write NG with every byte equal");
}

// EEPROM INIT: the erased flag set only by a run that succeeded, and then truthfully.
template <class Protocol>
void erase(uint8_t p1, Bytes replies) {
    ScriptedChannel line(replies);
    typename Protocol::Programmer modem(line);
    const bool before = p1 & 1;
    bool erased = before;
    const LinkResult got = modem.eraseMemory(erased);

    Reference ref(replies);
    MemoryImage blank;
    blank.fill(0xFF);
    MemoryImage back{};
    compare("EEPROM INIT", got, Protocol::erase(ref, blank, back), line, ref);
    KV_REQUIRE(erased == (got == LinkResult::Ok ? back == blank : before),
               "EEPROM INIT: erased flag wrong");
}

}  // namespace

void checkLinkA(Bytes input) {
    if (input.size() < 3) return;
    const uint8_t p1 = input[1], p2 = input[2];
    const Bytes replies = input.subspan(3);
    switch (input[0] % 6) {
        case 0:
            return readMemory<a::Protocol>(replies);
        case 1:
            return transmit<a::Protocol>(p1, p2, replies);
        case 2:
        case 3:
            return a::wordRuns(input[0] % 6, p1, p2, replies);
        case 4:
            return erase<a::Protocol>(p1, replies);
        default:
            return a::setCommand(p1, p2, replies);
    }
}

void checkLinkB(Bytes input) {
    if (input.size() < 3) return;
    const uint8_t p1 = input[1], p2 = input[2];
    const Bytes replies = input.subspan(3);
    switch (input[0] % 5) {
        case 0:
            return readMemory<b::Protocol>(replies);
        case 1:
            return transmit<b::Protocol>(p1, p2, replies);
        case 2:
            return b::calibration(false, p1, p2, replies);
        case 3:
            return b::calibration(true, p1, p2, replies);
        default:
            return erase<b::Protocol>(p1, replies);
    }
}

}  // namespace kvfuzz
