// Factory.INI as kvprog_a's factory window reads it when it opens, with any content, under its
// name in any of the cases a Windows copy keeps, or absent: 30 bytes or more fill the eighteen
// boxes from the first 30, and WRITE would send those very bytes; a shorter file is one error
// box and the default texts. Input: a flag byte (bits 0-1: the name's case, 3 = no file), then
// the file.
#include <QDir>
#include <QLineEdit>
#include <memory>

#include "core/hexinput.h"
#include "fuzz/check.h"
#include "fuzz/windowhooks.h"
#include "model_a/main.h"
#include "model_a/sub1.h"
#include "serial/CommX.h"

namespace kvfuzz {

namespace {

struct Box {
    QLineEdit* kva::TSubForm1::*edit;
    int firstByte;
    int width;
    const char* defaultText;
};

// The boxes and the bytes of the 30-byte block each shows.
constexpr Box kBoxes[] = {
    {&kva::TSubForm1::Edit1, 0, 2, "C000"},   {&kva::TSubForm1::Edit2, 2, 2, "C000"},
    {&kva::TSubForm1::Edit3, 4, 2, "C000"},   {&kva::TSubForm1::Edit4, 6, 2, "C000"},
    {&kva::TSubForm1::Edit5, 8, 2, "C000"},   {&kva::TSubForm1::Edit13, 12, 2, "0000"},
    {&kva::TSubForm1::Edit14, 14, 2, "0000"}, {&kva::TSubForm1::Edit15, 16, 2, "0000"},
    {&kva::TSubForm1::Edit16, 18, 2, "0000"}, {&kva::TSubForm1::Edit6, 20, 1, "00"},
    {&kva::TSubForm1::Edit7, 21, 1, "00"},    {&kva::TSubForm1::Edit8, 22, 1, "00"},
    {&kva::TSubForm1::Edit9, 23, 1, "00"},    {&kva::TSubForm1::Edit10, 24, 1, "00"},
    {&kva::TSubForm1::Edit11, 25, 1, "00"},   {&kva::TSubForm1::Edit12, 26, 1, "00"},
    {&kva::TSubForm1::Edit19, 27, 1, "00"},   {&kva::TSubForm1::Edit20, 28, 1, "00"},
};

const char* const kNames[] = {"Factory.INI", "FACTORY.INI", "factory.ini"};

kva::TMainForm& owner() {
    static kva::TMainForm* w = new kva::TMainForm;  // one for the whole run
    return *w;
}

}  // namespace

void checkFactoryIni(Bytes input) {
    if (input.empty()) return;
    for (const char* name : kNames) QFile::remove(QString::fromLatin1(name));
    const int variant = input[0] & 3;
    const QByteArray content(reinterpret_cast<const char*>(input.data() + 1),
                             static_cast<qsizetype>(input.size() - 1));
    if (variant < 3) writeWholeFile(QString::fromLatin1(kNames[variant]), content);

    WindowHooks hooks{QStringList{}};
    const auto form = std::make_unique<kva::TSubForm1>(&owner(), owner().CommX1);
    const bool taken = variant < 3 && content.size() >= 30;
    const bool refused = variant < 3 && !taken;
    KV_REQUIRE(
        hooks.boxes.size() == (refused ? 1 : 0) &&
            (!refused || hooks.boxes[0].kind == platform::MsgKind::Error),
        refused ? "short Factory.INI without its error box" : "a box for a good Factory.INI");
    for (const Box& box : kBoxes) {
        const QString text = ((*form).*box.edit)->text();
        const std::string at =
            "box at byte " + std::to_string(box.firstByte) + " '" + text.toStdString() + "'";
        if (!taken) {
            KV_REQUIRE(text == QLatin1String(box.defaultText), at + " not its default");
            continue;
        }
        // What WRITE makes of the box is what the file holds there.
        const std::optional<uint32_t> value = kvcore::parseHexField(text, box.width);
        uint32_t want = static_cast<uint8_t>(content[box.firstByte]);
        if (box.width == 2) want = want << 8 | static_cast<uint8_t>(content[box.firstByte + 1]);
        KV_REQUIRE(text.size() == 2 * box.width && value == want,
                   at + " for file value " + std::to_string(want));
    }
}

}  // namespace kvfuzz
