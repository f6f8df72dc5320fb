// COM > Receive and COM > Transmit: the whole memory read into the window, and the table
// written word by word followed by a read-back compare of every byte written.
#include <QComboBox>
#include <QTableWidget>

#include "model_a/main.h"
#include "platform/commandlock.h"
#include "platform/msgbox.h"
#include "platform/radiogroup.h"
#include "serial/CommX.h"

namespace kva {
namespace {

// Words a write sends, in order: the channels, the current channel, the set-mode bytes, the
// marker.
std::vector<uint8_t> writtenWords() {
    std::vector<uint8_t> words;
    for (int w = 0x00; w <= 0x3F; ++w) words.push_back(static_cast<uint8_t>(w));
    for (int w : {0x60, 0x6D, 0x6E, 0x6F, 0x7F}) words.push_back(static_cast<uint8_t>(w));
    return words;
}

// The progress percentage logged after a word, or 0 for none.
int writeProgressAfter(int word) {
    if (word <= 0x3F) return word > 0 && word % 8 == 0 ? word / 8 * 10 : 0;
    switch (word) {
        case 0x60:
            return 80;
        case 0x6F:
            return 90;
        case 0x7F:
            return 100;
        default:
            return 0;
    }
}

// The byte ranges the verify compares: exactly the bytes written.
struct Range {
    int first, last;
};
constexpr Range kComparedRanges[] = {{0x00, 0x7F}, {0xC0, 0xC1}, {0xDA, 0xDF}, {0xFE, 0xFF}};

bool sameWrittenBytes(const MemoryImage& written, const MemoryImage& readBack) {
    for (const Range& r : kComparedRanges)
        for (int a = r.first; a <= r.last; ++a)
            if (written[a] != readBack[a]) return false;
    return true;
}

}  // namespace

void TMainForm::reportCommError(LinkResult result) {
    AddResult(commErrorLogLine(result));
    platform::errorBox(commErrorMessage(result), this);
}

void TMainForm::ReceivePCKV1Click() {
    runModemCommand([this] {
        Default1Click();
        AddResult(QStringLiteral("***** Receive Start *****"));
        MemoryImage image{};
        {
            platform::PortSession session(*CommX1);
            Link link(*CommX1);
            const LinkResult r =
                link.readAll(image, [this](const QString& line) { AddResult(line); });
            if (r != LinkResult::Ok) {
                reportCommError(r);
                return;
            }
        }
        if (image[addr::Marker] != kMarker0 || image[addr::Marker + 1] != kMarker1) {
            AddResult(QStringLiteral("***** EEPROM Error!! *****"));
            platform::errorBox(QStringLiteral("EEPROM Initialization Error!!"), this);
            return;
        }
        for (int k = 1; k <= kChannels; ++k) {
            SetData.Ch[k - 1] = decodeChannel(&image[8 * (k - 1)]);
            if (SetData.Ch[k - 1].Used)
                showChannelRow(k, GridWriter::Read);
            else
                for (int c = 0; c < 7; ++c) SG_ChData->item(k - 1, c)->setText(QString());
        }
        setControlSetMode(decodeSetMode(image));
        loadEditPanel(1);
        AddResult(QStringLiteral("***** Receive Finished *****"));
    });
}

QString TMainForm::firstSettingError() const {
    const struct {
        int index;
        const char* item;
    } checks[] = {{RG_Data->ItemIndex(), "Data/Audio Signal"},
                  {RG_Busy->ItemIndex(), "Busy Signal"},
                  {RG_FSQC->ItemIndex(), "FSQC"},
                  {RG_EXT->ItemIndex(), "EXT SQC"},
                  {RG_VCO->ItemIndex(), "VCO"},
                  {RG_SB->ItemIndex(), "Baud-Rate"},
                  {RG_SP->ItemIndex(), "Parity"},
                  {RG_ST->ItemIndex(), "Stop Bit"},
                  {RG_SD->ItemIndex(), "DATA Len"},
                  {RG_RMT->ItemIndex(), "Remote"},
                  {CB_Tot->currentIndex(), "Time Out Timer"},
                  {CB_Save->currentIndex(), "Save Time"},
                  {CB_SL->currentIndex(), "Sleep"}};
    for (const auto& c : checks)
        if (c.index < 0) return QStringLiteral("Setting Error!! [%1]").arg(QLatin1String(c.item));
    // Production mode may write a table without any channel that has both frequencies.
    if (!productionMarkerPresent()) {
        bool any = false;
        for (const TChData& ch : SetData.Ch)
            if (ch.RxFrq != 0 && ch.TxFrq != 0) {
                any = true;
                break;
            }
        if (!any) return QStringLiteral("Setting Error!! [Frq. Data]");
    }
    return {};
}

void TMainForm::TransmitPCKV1Click() {
    runModemCommand([this] {
        if (const QString error = firstSettingError(); !error.isEmpty()) {
            AddResult(QStringLiteral("***** Setting Error!! *****"));
            platform::errorBox(error, this);
            return;
        }
        const MemoryImage image = buildWriteImage(SetData, controlSetMode());
        const auto log = [this](const QString& line) { AddResult(line); };
        MemoryImage readBack{};
        AddResult(QStringLiteral("***** Transmit Start *****"));
        {
            platform::PortSession session(*CommX1);
            Link link(*CommX1);
            for (const uint8_t w : writtenWords()) {
                const LinkResult r =
                    link.exchange(cmd::WriteWord, w, image[2 * w], image[2 * w + 1]);
                if (r != LinkResult::Ok) {
                    reportCommError(r);
                    return;
                }
                if (const int percent = writeProgressAfter(w))
                    AddResult(progressLine(percent, QStringLiteral("Write")));
            }
            AddResult(QStringLiteral("***** Transmit Finished *****"));
            AddResult(QStringLiteral("***** Data Compare Start *****"));
            const LinkResult r = link.readAll(readBack, log);
            if (r != LinkResult::Ok) {
                reportCommError(r);
                return;
            }
        }
        if (!sameWrittenBytes(image, readBack)) {
            AddResult(QStringLiteral("***** Data Compare NG!! *****"));
            platform::errorBox(QStringLiteral("Data Write NG!!"), this);
            return;
        }
        AddResult(QStringLiteral("***** Data Compare Finish *****"));
        platform::infoBox(QStringLiteral("Data Write OK!!"), this);
    });
}

}  // namespace kva
