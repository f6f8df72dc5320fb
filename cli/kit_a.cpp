// The KV417R's answers to kvctl, from model_a's widget-free layers.
#include "cli/kit_of.h"
#include "model_a/descriptor.h"
#include "model_a/memmap.h"
#include "model_a/printlist.h"
#include "model_a/programmer.h"
#include "model_a/settings.h"

namespace kvctl {
namespace {

struct Kv417r {
    using SetData = kva::TSetData;
    using SetMode = kva::TSetMode;
    using GridWriter = kva::GridWriter;
    using Programmer = kva::Programmer;
    static constexpr int kColumns = 7;
    static constexpr int kChannelBoxes = kva::kChannelBoxes;
    static constexpr GridWriter kOpened = GridWriter::FileOpen;
    static constexpr GridWriter kReceived = GridWriter::Read;

    static constexpr auto descriptor = &kva::descriptor;
    static constexpr auto defaultSetData = &kva::defaultSetData;
    static constexpr auto emptyChannel = &kva::emptyChannel;
    static constexpr auto gridHeading = &kva::gridHeading;
    static constexpr auto setModeControls = &kva::setModeControls;
    static constexpr auto channelBoxItems = &kva::channelBoxItems;
    static constexpr auto setAcceptsFrequency = &kva::setAcceptsFrequency;
    static constexpr auto storedChannel = &kva::storedChannel;
    static constexpr auto firstSettingError = &kva::firstSettingError;
    static constexpr auto receivedBlock = &kva::receivedBlock;
    static constexpr auto formatted = &kva::formatted;

    // A write sends a channel whose flag is anything but 0.
    static bool sent(const kva::TChData& c) { return c.Used != 0; }
    static kvcore::MemoryImage writeImage(const SetData& d, const SetMode& m, const QDate&) {
        return kva::writeImage(d, m);
    }
    static bool comparedByte(int address) {
        for (const kva::ByteRange& r : kva::kComparedRanges)
            if (address >= r.first && address <= r.last) return true;
        return false;
    }
};

}  // namespace

const ModelKit& kv417rKit() {
    static const KitOf<Kv417r> kit;
    return kit;
}

}  // namespace kvctl
