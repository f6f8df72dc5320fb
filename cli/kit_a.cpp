// The KV417R's answers to kvctl, from model_a's widget-free layers.
#include <cstring>

#include "cli/kit.h"
#include "core/items.h"
#include "model_a/chdata.h"
#include "model_a/descriptor.h"
#include "model_a/memmap.h"
#include "model_a/printlist.h"
#include "model_a/programmer.h"
#include "model_a/settings.h"

namespace kvctl {
namespace {

using namespace kva;

TSetData blockData(const QByteArray& block) {
    TSetData data;
    std::memcpy(&data, block.constData(), sizeof data);  // gaps included
    return data;
}

QByteArray blockBytes(const TSetData& data) {
    return QByteArray(reinterpret_cast<const char*>(&data), sizeof data);
}

QList<TableView::Control> controlWords(const TSetMode& shown) {
    QList<TableView::Control> out;
    for (const SetModeControl& c : setModeControls())
        out.append(
            {QString::fromLatin1(c.caption), kvcore::itemText(*c.items, shown.*c.field).trimmed()});
    return out;
}

TableView view(const TSetData& data, GridWriter writer) {
    TableView v;
    for (int c = 1; c <= 7; ++c) v.columns << gridHeading(c).trimmed();
    for (int ch = 1; ch <= kChannels; ++ch) {
        const TChData& c = data.Ch[ch - 1];
        const auto cells = gridTexts(c, writer);
        v.rows.append(
            {ch, c.Used != 0, trimmed(QStringList(cells.begin(), cells.end())), c.RxFrq, c.TxFrq});
    }
    v.setMode = controlWords(shownSetMode(data.Mode));
    return v;
}

class Kv417rKit final : public ModelKit {
  public:
    const kvcore::ModelDescriptor& descriptor() const override { return kva::descriptor(); }
    QByteArray defaultBlock() const override { return blockBytes(defaultSetData()); }

    QString firstSettingError(const QByteArray& block, bool production) const override {
        const TSetData data = blockData(block);
        return kva::firstSettingError(data, shownSetMode(data.Mode), production);
    }
    MemoryImage writeImage(const QByteArray& block, const QDate&) const override {
        const TSetData data = blockData(block);
        return kva::writeImage(data, shownSetMode(data.Mode));
    }
    QByteArray receivedBlock(const MemoryImage& image) const override {
        return blockBytes(kva::receivedBlock(image));
    }
    bool comparedByte(int address) const override {
        for (const ByteRange& r : kComparedRanges)
            if (address >= r.first && address <= r.last) return true;
        return false;
    }

    TableView openedView(const QByteArray& block) const override {
        return view(blockData(block), GridWriter::FileOpen);
    }
    TableView receivedView(const MemoryImage& image) const override {
        return view(kva::receivedBlock(image), GridWriter::Read);
    }

    std::unique_ptr<kvcore::MemoryProgrammer> programmer(
        kvcore::ByteChannel& channel) const override {
        return std::make_unique<Programmer>(channel);
    }
    LinkResult erase(kvcore::ByteChannel& channel, bool& erased) const override {
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
        const auto& boxes = kva::channelBoxItems();
        return QList<const QStringList*>(boxes.begin(), boxes.end());
    }
    bool setAcceptsFrequency(double f, double min, double max) const override {
        return kva::setAcceptsFrequency(f, min, max);
    }
    void storeChannel(QByteArray& block, int channel, double rx, double tx,
                      const QList<int>& boxes) const override {
        TSetData data = blockData(block);
        std::array<int32_t, kChannelBoxes> indexes{};
        for (int i = 0; i < kChannelBoxes; ++i) indexes[i] = boxes.value(i, -1);
        assignChannel(data.Ch[channel - 1], storedChannel(rx, tx, indexes));  // gaps stay
        block = blockBytes(data);
    }
    void clearChannel(QByteArray& block, int channel) const override {
        TSetData data = blockData(block);
        data.Ch[channel - 1] = emptyChannel();
        block = blockBytes(data);
    }
};

}  // namespace

const ModelKit& kv417rKit() {
    static const Kv417rKit kit;
    return kit;
}

}  // namespace kvctl
