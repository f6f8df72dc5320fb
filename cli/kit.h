#pragma once
// What kvctl asks of a model, answered by each model's widget-free layers: the settings
// block, the write's checks and image, the block a Receive leaves, the grid's and controls'
// words, the exchanges, the printed list and what Set stores. Glue only: every rule lives in
// the model's own code, which the windows use too.
#include <QByteArray>
#include <QDate>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>

#include "core/frequency.h"
#include "core/model.h"
#include "core/programmer.h"

namespace kvcore {
class ByteChannel;
}
namespace platform {
class TCanvas;
}

namespace kvctl {

// A table in the grid's and the set-mode controls' words (texts without their padding).
struct TableView {
    QStringList columns;  // the grid's headings after "CH"
    struct Row {
        int channel;
        bool used;  // a write sends the channel
        QStringList cells;
        double rx, tx;  // the two frequencies the first two cells show to four decimals
    };
    QList<Row> rows;
    struct Control {
        QString caption;
        QString value;  // the selected item, empty for none
    };
    QList<Control> setMode;
};

class ModelKit {
  public:
    virtual ~ModelKit() = default;

    virtual const kvcore::ModelDescriptor& descriptor() const = 0;
    int blockSize() const { return defaultBlock().size(); }
    // The block after Edit > Default.
    virtual QByteArray defaultBlock() const = 0;

    // Transmit's checks and image, for a block just opened (its set-mode values as the
    // controls show them).
    virtual QString firstSettingError(const QByteArray& block, bool production) const = 0;
    virtual kvcore::MemoryImage writeImage(const QByteArray& block, const QDate& today) const = 0;
    // The block Save As writes after a Receive of `image`.
    virtual QByteArray receivedBlock(const kvcore::MemoryImage& image) const = 0;
    // True for the bytes a verify compares: those the write's read-back compares, less the
    // date a write stamps (a file holds none).
    virtual bool comparedByte(int address) const = 0;

    // The grid and the controls after File > Open of `block`, and after a Receive of `image`.
    virtual TableView openedView(const QByteArray& block) const = 0;
    virtual TableView receivedView(const kvcore::MemoryImage& image) const = 0;

    virtual std::unique_ptr<kvcore::MemoryProgrammer> programmer(
        kvcore::ByteChannel& channel) const = 0;
    // The factory window's EEPROM INIT exchange; `erased` when all of it read back as FF,
    // `readBack` what it read back.
    virtual kvcore::LinkResult erase(kvcore::ByteChannel& channel, bool& erased,
                                     kvcore::MemoryImage& readBack) const = 0;
    // True when `image` carries the model's mark of an initialised memory.
    virtual bool formatted(const kvcore::MemoryImage& image) const = 0;

    virtual void printList(platform::TCanvas& canvas, const QByteArray& block,
                           const QString& fileName, const QDateTime& now) const = 0;

    // Set: the edit panel's drop-down lists after the two frequencies (grid order), its rule
    // for a typed frequency, and the channel it stores.
    virtual QList<const QStringList*> channelBoxItems() const = 0;
    virtual bool setAcceptsFrequency(double f, double min, double max) const = 0;
    virtual void storeChannel(QByteArray& block, int channel, double rx, double tx,
                              const QList<int>& boxes) const = 0;
    // Clear: the channel becomes the empty channel.
    virtual void clearChannel(QByteArray& block, int channel) const = 0;
};

const ModelKit& kv417rKit();
const ModelKit& kv93xKit();

// The kit of a model name (KV417R, KV938R, KV935R, KV931R; any case), null for none;
// `canonical` gets the name as the maker spells it.
const ModelKit* kitForModel(const QString& name, QString* canonical = nullptr);
// The kit whose settings files have `size` bytes, null for none.
const ModelKit* kitForFileSize(qint64 size);
QStringList modelNames();

// Grid texts without their padding.
QStringList trimmed(const QStringList& texts);

}  // namespace kvctl
