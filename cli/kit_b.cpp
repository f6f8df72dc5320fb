// The KV938R/935R/931R's answers to kvctl, from model_b's widget-free layers.
#include <cstring>

#include "cli/kit.h"
#include "core/items.h"
#include "model_b/chdata.h"
#include "model_b/descriptor.h"
#include "model_b/memmap.h"
#include "model_b/printlist.h"
#include "model_b/programmer.h"
#include "model_b/settings.h"

namespace kvctl {
namespace {

using namespace kvb;

TSetData blockData(const QByteArray& block) {
    TSetData data;
    std::memcpy(&data, block.constData(), sizeof data);  // gaps and Reserved included
    return data;
}

QByteArray blockBytes(const TSetData& data) {
    return QByteArray(reinterpret_cast<const char*>(&data), sizeof data);
}

TableView view(const TSetData& data, GridWriter writer) {
    TableView v;
    for (int c = 1; c <= 6; ++c) v.columns << gridHeading(c).trimmed();
    for (int ch = 1; ch <= kChannels; ++ch) {
        const TChData& c = data.Ch[ch - 1];
        const auto cells = gridTexts(c, writer);
        v.rows.append(
            {ch, c.Used == 1, trimmed(QStringList(cells.begin(), cells.end())), c.RxFrq, c.TxFrq});
    }
    const TSetMode shown = shownSetMode(data.Mode);
    for (const SetModeControl& c : setModeControls())
        v.setMode.append(
            {QString::fromLatin1(c.caption), kvcore::itemText(*c.items, shown.*c.field).trimmed()});
    return v;
}

class Kv93xKit final : public ModelKit {
  public:
    const kvcore::ModelDescriptor& descriptor() const override { return kvb::descriptor(); }
    QByteArray defaultBlock() const override { return blockBytes(defaultSetData()); }

    QString firstSettingError(const QByteArray& block, bool production) const override {
        const TSetData data = blockData(block);
        return kvb::firstSettingError(data, shownSetMode(data.Mode), production);
    }
    MemoryImage writeImage(const QByteArray& block, const QDate& today) const override {
        const TSetData data = blockData(block);
        return kvb::writeImage(data, shownSetMode(data.Mode), today);
    }
    QByteArray receivedBlock(const MemoryImage& image) const override {
        return blockBytes(kvb::receivedBlock(image));
    }
    bool comparedByte(int address) const override {
        if (address >= mem::kDate && address < mem::kDate + 3) return false;
        for (const mem::Range& r : mem::kComparedBytes)
            if (address >= r.first && address <= r.last) return true;
        return false;
    }

    TableView openedView(const QByteArray& block) const override {
        return view(blockData(block), GridWriter::Open);
    }
    TableView receivedView(const MemoryImage& image) const override {
        return view(kvb::receivedBlock(image), GridWriter::Receive);
    }

    std::unique_ptr<kvcore::MemoryProgrammer> programmer(
        kvcore::ByteChannel& channel) const override {
        return std::make_unique<Programmer>(channel);
    }
    kvcore::LinkResult erase(kvcore::ByteChannel& channel, bool& erased) const override {
        return Programmer(channel).eraseMemory(erased);
    }

    void printList(platform::TCanvas& canvas, const QByteArray& block, const QString& fileName,
                   const QDateTime& now) const override {
        // Print copies the controls into the block first: the page shows what they hold.
        TSetData data = blockData(block);
        data.Mode = shownSetMode(data.Mode);
        printSettingList(canvas, data, fileName, now);
    }

    QList<const QStringList*> channelBoxItems() const override {
        const auto& boxes = kvb::channelBoxItems();
        return QList<const QStringList*>(boxes.begin(), boxes.end());
    }
    bool setAcceptsFrequency(double f, double min, double max) const override {
        return kvb::setAcceptsFrequency(f, min, max);
    }
    void storeChannel(QByteArray& block, int channel, double rx, double tx,
                      const QList<int>& boxes) const override {
        TSetData data = blockData(block);
        std::array<int32_t, kChannelBoxes> indexes{};
        for (int i = 0; i < kChannelBoxes; ++i) indexes[i] = boxes.value(i, -1);
        assignChannel(data.Ch[channel - 1], storedChannel(rx, tx, indexes));
        block = blockBytes(data);
    }
    void clearChannel(QByteArray& block, int channel) const override {
        TSetData data = blockData(block);
        assignChannel(data.Ch[channel - 1], emptyChannel());
        block = blockBytes(data);
    }
};

}  // namespace

const ModelKit& kv93xKit() {
    static const Kv93xKit kit;
    return kit;
}

}  // namespace kvctl
