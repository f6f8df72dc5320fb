// The KV938R/935R/931R's answers to kvctl, from model_b's widget-free layers.
#include "cli/kit_of.h"
#include "model_b/descriptor.h"
#include "model_b/memmap.h"
#include "model_b/printlist.h"
#include "model_b/programmer.h"
#include "model_b/settings.h"

namespace kvctl {
namespace {

struct Kv93x {
    using SetData = kvb::TSetData;
    using SetMode = kvb::TSetMode;
    using GridWriter = kvb::GridWriter;
    using Programmer = kvb::Programmer;
    static constexpr int kColumns = 6;
    static constexpr int kChannelBoxes = kvb::kChannelBoxes;
    static constexpr GridWriter kOpened = GridWriter::Open;
    static constexpr GridWriter kReceived = GridWriter::Receive;

    static constexpr auto descriptor = &kvb::descriptor;
    static constexpr auto defaultSetData = &kvb::defaultSetData;
    static constexpr auto emptyChannel = &kvb::emptyChannel;
    static constexpr auto gridHeading = &kvb::gridHeading;
    static constexpr auto setModeControls = &kvb::setModeControls;
    static constexpr auto channelBoxItems = &kvb::channelBoxItems;
    static constexpr auto setAcceptsFrequency = &kvb::setAcceptsFrequency;
    static constexpr auto storedChannel = &kvb::storedChannel;
    static constexpr auto firstSettingError = &kvb::firstSettingError;
    static constexpr auto receivedBlock = &kvb::receivedBlock;
    static constexpr auto writeImage = &kvb::writeImage;
    static constexpr auto formatted = &kvb::mem::formatted;

    // A write sends a channel whose flag is exactly 1.
    static bool sent(const kvb::TChData& c) { return c.Used == 1; }
    // The date a write stamps is no field of a file.
    static bool comparedByte(int address) {
        if (address >= kvb::mem::kDate && address < kvb::mem::kDate + 3) return false;
        for (const kvb::mem::Range& r : kvb::mem::kComparedBytes)
            if (address >= r.first && address <= r.last) return true;
        return false;
    }
};

}  // namespace

const ModelKit& kv93xKit() {
    static const KitOf<Kv93x> kit;
    return kit;
}

}  // namespace kvctl
