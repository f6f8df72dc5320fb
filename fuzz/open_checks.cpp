// File > Open of both main windows with a settings file of any length and content, the long
// file question answered Yes or No: a file that is not taken changes nothing; a file taken
// shows its first block as it stands, every grid text and set-mode control from the bytes;
// Save As writes it back with only the controls' indexes in place of the stored ones; and a
// Transmit that the setting check lets through writes every used channel's frequencies as the
// table holds them, never cut to fit. Input: a flag byte (bit 0: answer Yes), then the file.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QStringList>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>

#include "fuzz/checkutil.h"
#include "fuzz/windowhooks.h"
#include "model_a/main.h"
#include "model_b/main.h"
#include "platform/radiogroup.h"
#include "ui/resultlog.h"

namespace kvfuzz {

namespace {

int32_t int32At(const QByteArray& b, int offset) {
    int32_t v;
    std::memcpy(&v, b.constData() + offset, sizeof v);
    return v;
}
double doubleAt(const QByteArray& b, int offset) {
    double v;
    std::memcpy(&v, b.constData() + offset, sizeof v);
    return v;
}

// A frequency cell after Open: blank for 0.0, else "%3.4f" with the locale's separator.
QString openedFrequency(double f) {
    if (f == 0.0) return {};
    char text[1024];
    std::snprintf(text, sizeof text, "%3.4f", f);
    return QString::fromLatin1(text).replace(u'.', QLocale().decimalPoint());
}

QString listText(const QStringList& list, int32_t index) {
    return index >= 0 && index < list.size() ? list[index] : QString();
}

// What a model's window shows for a block, read from the bytes as the file layout places them.
struct Layout {
    QString caption;
    QString settingsModel;
    int blockSize;
    int columns;
    // Per grid column after the two frequencies: the field's offset in a record and its texts.
    std::vector<std::pair<int, QStringList>> listColumns;
    // Per set-mode control: its offset in the block, its items, and whether it is a radio group.
    struct Control {
        int offset;
        int items;
        bool radio;
    };
    std::vector<Control> controls;
};

const Layout& layoutA() {
    static const Layout l{QStringLiteral("KV417R - "),
                          QStringLiteral("KV417R"),
                          824,
                          7,
                          {{24, {"    L1", "    L2", "    L3", "    L4", "    L5"}},
                           {28, {"     4800", "2400/1200"}},
                           {32, {"OFF", "ON"}},
                           {36, {"2400", "1200"}},
                           {40,
                            {"    L1", "    L2", "    L3", "    L4", "    L5", "    L6", "    L7",
                             "    L8", "    L9"}}},
                          {{768, 2, true},
                           {772, 2, true},
                           {776, 2, true},
                           {780, 2, true},
                           {784, 2, true},
                           {788, 4, true},
                           {792, 3, true},
                           {796, 2, true},
                           {800, 2, true},
                           {804, 2, true},
                           {808, 12, false},
                           {812, 9, false},
                           {816, 1, false}}};
    return l;
}

const Layout& layoutB() {
    static const Layout l{QStringLiteral("KV93*R - "),
                          QStringLiteral("KV93x"),
                          800,
                          6,
                          {{24, {"HIGH", "MID ", "LOW "}},
                           {28, {"4800", "2400/1200"}},
                           {40, {"OFF", "ON"}},
                           {44, {"2400", "1200"}}},
                          {{768, 2, true},
                           {772, 2, true},
                           {776, 2, true},
                           {780, 3, true},
                           {784, 3, true},
                           {788, 12, false},
                           {792, 9, false}}};
    return l;
}

// Protected pieces of the windows that the checks read.
class WindowA : public kva::TMainForm {
  public:
    using TMainForm::firstSettingError;
    using TMainForm::settingsBlock;
    using TMainForm::writeImage;
    std::vector<int32_t> shownSetMode() const {
        const kva::TSetMode m = controlSetMode();
        return {m.Data, m.Busy, m.FSQC, m.EXT, m.VCO,  m.SB, m.SP,
                m.ST,   m.SD,   m.RMT,  m.Tot, m.Save, m.SL};
    }
    // Every used channel of the written image decodes to the table's frequencies to the kHz.
    std::string cutFrequency() const {
        const kvcore::MemoryImage image = writeImage();
        for (int k = 0; k < 16; ++k) {
            if (!(image[8 * k + 7] & 0x80)) continue;
            const kva::TChData back = kva::decodeChannel(&image[8 * k]);
            const kva::TChData& ch = SetData.Ch[k];
            if (!(std::abs(back.RxFrq - ch.RxFrq) <= 0.0005001) ||
                !(std::abs(back.TxFrq - ch.TxFrq) <= 0.0005001))
                return "CH" + std::to_string(k + 1) + " written as " + std::to_string(back.RxFrq) +
                       "/" + std::to_string(back.TxFrq);
        }
        return {};
    }
};

class WindowB : public kvb::TMainForm {
  public:
    using TMainForm::firstSettingError;
    using TMainForm::settingsBlock;
    using TMainForm::writeImage;
    std::vector<int32_t> shownSetMode() const {
        const kvb::TSetMode m = controlSetMode();
        return {m.Data, m.Busy, m.FSQC, m.SB, m.SP, m.Tot, m.Save};
    }
    // Every used channel of the written image decodes to the table's frequencies exactly.
    std::string cutFrequency() const {
        kvb::TSetData back = kvb::defaultSetData();
        kvb::decodeImage(writeImage(), back);
        for (int k = 0; k < 16; ++k) {
            const kvb::TChData& b = back.Ch[k];
            const kvb::TChData& ch = SetData.Ch[k];
            if (b.Used == 1 &&
                (!(std::abs(b.RxFrq - ch.RxFrq) < 1e-6) || !(std::abs(b.TxFrq - ch.TxFrq) < 1e-6)))
                return "CH" + std::to_string(k + 1) + " written as " + std::to_string(b.RxFrq) +
                       "/" + std::to_string(b.TxFrq);
        }
        return {};
    }
};

template <class Window>
struct Seen {
    QString fileName, caption;
    QByteArray block;
    QList<QStringList> rows;
    std::vector<int32_t> setMode;

    explicit Seen(const Window& w)
        : fileName(w.FileName),
          caption(w.windowTitle()),
          block(w.settingsBlock()),
          setMode(w.shownSetMode()) {
        for (int ch = 1; ch <= 16; ++ch) {
            QStringList row;
            for (int c = 1; c <= 7; ++c) row << w.cellText(ch, c);
            rows << row;
        }
    }
    bool operator==(const Seen&) const = default;
};

template <class Window>
void checkShown(const Window& w, const Layout& l, const QByteArray& block) {
    for (int ch = 1; ch <= 16; ++ch) {
        const int at = 48 * (ch - 1);
        QStringList want = {openedFrequency(doubleAt(block, at + 8)),
                            openedFrequency(doubleAt(block, at + 16))};
        for (const auto& [offset, texts] : l.listColumns)
            want << listText(texts, int32At(block, at + offset));
        for (int c = 1; c <= l.columns; ++c)
            KV_REQUIRE(w.cellText(ch, c) == want[c - 1], cell(ch, c, w.cellText(ch, c)) +
                                                             " where the file gives '" +
                                                             want[c - 1].toStdString() + "'");
    }
    const std::vector<int32_t> shown = w.shownSetMode();
    for (std::size_t i = 0; i < l.controls.size(); ++i) {
        const Layout::Control& c = l.controls[i];
        const int32_t stored = int32At(block, c.offset);
        const int want = c.radio ? radioShows(stored, c.items) : comboShows(stored, c.items);
        KV_REQUIRE(shown[i] == want, "set-mode control " + std::to_string(i) + " shows " +
                                         std::to_string(shown[i]) + " for stored " +
                                         std::to_string(stored));
    }
}

template <class Window>
Window& window() {
    // One window for the whole run: building one per input would be most of the time. Its
    // Transmit must never reach a real port.
    static Window* w = [] {
        qputenv("KVPROG_COM1", "/nonexistent/kvfuzz-port");
        return new Window;
    }();
    return *w;
}

template <class Window>
void checkOpen(Bytes input, const Layout& l) {
    if (input.empty()) return;
    const bool yes = input[0] & 1;
    const QByteArray content(reinterpret_cast<const char*>(input.data() + 1),
                             static_cast<qsizetype>(input.size() - 1));
    const QString path = QDir::current().absoluteFilePath(QStringLiteral("opened.dat"));
    writeWholeFile(path, content);
    QFile::remove(QStringLiteral("saved.dat"));

    Window& w = window<Window>();
    w.ClearResult();
    w.Default1Click();
    w.FileName = QStringLiteral("noname.dat");
    w.showFileNameInCaption();
    const Seen<Window> before(w);

    WindowHooks hooks(
        QStringList{path, QDir::current().absoluteFilePath(QStringLiteral("saved.dat"))});
    hooks.answerYes = yes;
    w.OPEN1Click();

    const qsizetype size = content.size();
    if (size < l.blockSize) {
        KV_REQUIRE(hooks.boxes.size() == 1 && hooks.boxes[0].kind == platform::MsgKind::Error &&
                       hooks.boxes[0].text.startsWith(QStringLiteral("Read beyond end of file")),
                   "short file: not the one read-beyond-end error");
        KV_REQUIRE(Seen<Window>(w) == before, "short file changed the window");
        return;
    }
    if (size > l.blockSize) {
        const QString question = QStringLiteral(
                                     "This file is %1 bytes long; %2 settings files are %3 "
                                     "bytes.\rOpen it anyway?")
                                     .arg(size)
                                     .arg(l.settingsModel)
                                     .arg(l.blockSize);
        KV_REQUIRE(!hooks.boxes.empty() && hooks.boxes[0].text == question &&
                       hooks.boxes[0].buttons == platform::MsgButtons::YesNo,
                   "long file: not asked '" + question.toStdString() + "'");
        if (!yes) {
            KV_REQUIRE(hooks.boxes.size() == 1 && Seen<Window>(w) == before,
                       "long file answered No changed the window");
            return;
        }
    }
    KV_REQUIRE(hooks.boxes.size() == (size > l.blockSize ? 1 : 0), "a box after a good Open");
    KV_REQUIRE(w.FileName == path && w.windowTitle() == l.caption + path,
               "file name or caption not the opened file's");
    KV_REQUIRE(w.LB_Result->count() > 0 &&
                   w.LB_Result->item(w.LB_Result->count() - 1)->text() ==
                       QStringLiteral("File Open [ ") + path + QStringLiteral(" ]"),
               "no File Open line");
    const QByteArray block = content.left(l.blockSize);
    KV_REQUIRE(w.settingsBlock() == block, "block is not the file's first bytes");
    checkShown(w, l, block);

    // Saved again: the file's bytes, with the indexes the controls show in their fields.
    w.SaveAs1Click();
    QByteArray want = block;
    const std::vector<int32_t> shown = w.shownSetMode();
    for (std::size_t i = 0; i < l.controls.size(); ++i)
        std::memcpy(want.data() + l.controls[i].offset, &shown[i], sizeof(int32_t));
    KV_REQUIRE(readWholeFile(QStringLiteral("saved.dat")) == want,
               "Save As after Open wrote other bytes");

    if (!w.firstSettingError().isEmpty()) return;  // Transmit stops before anything is sent
    const std::string cut = w.cutFrequency();
    KV_REQUIRE(cut.empty(), "Transmit after Open: " + cut);
}

}  // namespace

void checkOpenA(Bytes input) {
    checkOpen<WindowA>(input, layoutA());
}

void checkOpenB(Bytes input) {
    checkOpen<WindowB>(input, layoutB());
}

}  // namespace kvfuzz
