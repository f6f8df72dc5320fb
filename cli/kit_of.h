#pragma once
// The kit of one model, written once for both: `M` names the model's types and the few
// functions of its widget-free layers that take none of them; the others are found in the
// model's own namespace from their arguments.
#include <cstring>

#include "cli/kit.h"
#include "core/items.h"

namespace kvctl {

template <class M>
class KitOf final : public ModelKit {
    using SetData = typename M::SetData;
    using SetMode = typename M::SetMode;
    using Channel = decltype(SetData::Ch[0]);

    static SetData blockData(const QByteArray& block) {
        SetData data;
        std::memcpy(&data, block.constData(), sizeof data);  // gaps included
        return data;
    }
    static QByteArray blockBytes(const SetData& data) {
        return QByteArray(reinterpret_cast<const char*>(&data), sizeof data);
    }
    static TableView view(const SetData& data, typename M::GridWriter writer) {
        TableView v;
        for (int c = 1; c <= M::kColumns; ++c) v.columns << M::gridHeading(c).trimmed();
        for (int ch = 1; ch <= kvcore::kChannels; ++ch) {
            const auto& c = data.Ch[ch - 1];
            const auto cells = gridTexts(c, writer);
            v.rows.append({ch, M::sent(c), trimmed(QStringList(cells.begin(), cells.end())),
                           c.RxFrq, c.TxFrq});
        }
        const SetMode shown = shownSetMode(data.Mode);
        for (const auto& c : M::setModeControls())
            v.setMode.append({QString::fromLatin1(c.caption),
                              kvcore::itemText(*c.items, shown.*c.field).trimmed()});
        return v;
    }

  public:
    const kvcore::ModelDescriptor& descriptor() const override { return M::descriptor(); }
    QByteArray defaultBlock() const override { return blockBytes(M::defaultSetData()); }

    QString firstSettingError(const QByteArray& block, bool production) const override {
        const SetData data = blockData(block);
        return M::firstSettingError(data, shownSetMode(data.Mode), production);
    }
    kvcore::MemoryImage writeImage(const QByteArray& block, const QDate& today) const override {
        const SetData data = blockData(block);
        return M::writeImage(data, shownSetMode(data.Mode), today);
    }
    QByteArray receivedBlock(const kvcore::MemoryImage& image) const override {
        return blockBytes(M::receivedBlock(image));
    }
    bool comparedByte(int address) const override { return M::comparedByte(address); }

    TableView openedView(const QByteArray& block) const override {
        return view(blockData(block), M::kOpened);
    }
    TableView receivedView(const kvcore::MemoryImage& image) const override {
        return view(M::receivedBlock(image), M::kReceived);
    }

    std::unique_ptr<kvcore::MemoryProgrammer> programmer(
        kvcore::ByteChannel& channel) const override {
        return std::make_unique<typename M::Programmer>(channel);
    }
    kvcore::LinkResult erase(kvcore::ByteChannel& channel, bool& erased,
                             kvcore::MemoryImage& readBack) const override {
        return typename M::Programmer(channel).eraseMemory(erased, &readBack);
    }
    bool formatted(const kvcore::MemoryImage& image) const override { return M::formatted(image); }

    void printList(platform::TCanvas& canvas, const QByteArray& block, const QString& fileName,
                   const QDateTime& now) const override {
        // Print copies the controls into the block first: the page shows what they hold.
        SetData data = blockData(block);
        data.Mode = shownSetMode(data.Mode);
        printSettingList(canvas, data, fileName, now);
    }

    QList<const QStringList*> channelBoxItems() const override {
        const auto& boxes = M::channelBoxItems();
        return QList<const QStringList*>(boxes.begin(), boxes.end());
    }
    bool setAcceptsFrequency(double f, double min, double max) const override {
        return M::setAcceptsFrequency(f, min, max);
    }
    void storeChannel(QByteArray& block, int channel, double rx, double tx,
                      const QList<int>& boxes) const override {
        SetData data = blockData(block);
        std::array<int32_t, M::kChannelBoxes> indexes{};
        for (int i = 0; i < M::kChannelBoxes; ++i) indexes[i] = boxes.value(i, -1);
        // Field by field, as Set stores it: the gaps stay.
        assignChannel(data.Ch[channel - 1], M::storedChannel(rx, tx, indexes));
        block = blockBytes(data);
    }
    void clearChannel(QByteArray& block, int channel) const override {
        SetData data = blockData(block);
        assignChannel(data.Ch[channel - 1], M::emptyChannel());
        block = blockBytes(data);
    }
};

}  // namespace kvctl
