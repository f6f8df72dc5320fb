#include "model_a/sub1.h"

#include <QApplication>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>
#include <optional>

#include "platform/commandlock.h"
#include "platform/files.h"
#include "platform/guard.h"
#include "platform/msgbox.h"
#include "serial/CommX.h"

namespace kva {

// ---------------------------------------------------------------------------------------
// Shared by both service windows

int selectedItem(const QComboBox* box) {
    return box->findText(box->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
}

QPushButton* TServiceForm::makeButton(QWidget* parent, const QString& name,
                                      const QString& caption) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    // Enter in a box or list must not start a modem operation.
    b->setAutoDefault(false);
    return b;
}

QComboBox* TServiceForm::makeList(QWidget* parent, const QString& name, const QStringList& items) {
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setEditable(true);
    // Typing must never add items: a typed text that is no item means no selection.
    c->setInsertPolicy(QComboBox::NoInsert);
    c->addItems(items);
    return c;
}

TServiceForm::TServiceForm(QWidget* owner, TCustomCommX* comm) : QDialog(owner), comm_(comm) {}

void TServiceForm::done(int result) {
    // The running handler still uses this window; close once it has returned.
    if (running_ > 0) {
        closePending_ = true;
        pendingResult_ = result;
        return;
    }
    QDialog::done(result);
}

void TServiceForm::runOperation(const std::function<void()>& operation) {
    platform::runExclusive(this, comm_, [&] {
        ++running_;
        struct Leave {
            int& running;
            ~Leave() { --running; }
        } leave{running_};
        operation();
    });
    if (running_ == 0 && closePending_) {
        closePending_ = false;
        done(pendingResult_);
    }
}

bool TServiceForm::exchangeOk(LinkResult r, platform::PortSession& session) {
    if (r == LinkResult::Ok) return true;
    platform::errorBox(commErrorMessage(r), this);
    session.close();
    return false;
}

// ---------------------------------------------------------------------------------------
// Factory window

namespace {

const QString kInputError = QStringLiteral("Input Data Error!!");

// One or more hex digits (either case) and nothing else, at most eight significant digits.
std::optional<uint32_t> parseHexInput(const QString& text) {
    if (text.isEmpty()) return std::nullopt;
    uint32_t value = 0;
    int significant = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const int digit = (u >= u'0' && u <= u'9')   ? u - u'0'
                          : (u >= u'a' && u <= u'f') ? u - u'a' + 10
                          : (u >= u'A' && u <= u'F') ? u - u'A' + 10
                                                     : -1;
        if (digit < 0) return std::nullopt;
        if (significant > 0 || digit != 0) ++significant;
        if (significant > 8) return std::nullopt;
        value = (value << 4) | static_cast<uint32_t>(digit);
    }
    return value;
}

QString hexText(uint32_t value, int digits) {
    return QStringLiteral("%1").arg(value, digits, 16, QChar('0')).toUpper();
}

QLineEdit* makeEdit(QWidget* parent, const QString& name, const QString& text, int digits,
                    const QString& accessibleName) {
    auto* e = new QLineEdit(text, parent);
    e->setObjectName(name);
    e->setAccessibleName(accessibleName);
    const int chars = digits + 2;
    e->setFixedWidth(e->fontMetrics().horizontalAdvance(QString(chars, QChar('W'))));
    return e;
}

QStringList levelItems(int count) {
    QStringList items;
    for (int i = 1; i <= count; ++i) items << QStringLiteral("L%1").arg(i);
    return items;
}

QLabel* makeLabel(QWidget* parent, int& counter, const QString& text, QWidget* buddy = nullptr) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QStringLiteral("Label%1").arg(++counter));
    if (buddy) l->setBuddy(buddy);
    return l;
}

}  // namespace

TSubForm1::TSubForm1(QWidget* owner, TCustomCommX* comm) : TServiceForm(owner, comm) {
    setObjectName(QStringLiteral("SubForm1"));
    setWindowTitle(QStringLiteral("FACTORY"));
    buildWindow();
    setFixedSize(440, 440);
    FormCreate();
}

void TSubForm1::buildWindow() {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->setSpacing(4);
    layout->addWidget(buildUpperPart());
    Shape1 = new QFrame(this);
    Shape1->setObjectName(QStringLiteral("Shape1"));
    Shape1->setFrameShape(QFrame::HLine);
    Shape1->setFrameShadow(QFrame::Sunken);
    layout->addWidget(Shape1);
    layout->addWidget(buildLowerPart());
    layout->addStretch(1);
}

QWidget* TSubForm1::buildUpperPart() {
    auto* part = new QWidget(this);
    auto* grid = new QGridLayout(part);
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    int labels = 0;

    Button2 = makeButton(part, QStringLiteral("Button2"), QStringLiteral("READ"));
    Button3 = makeButton(part, QStringLiteral("Button3"), QStringLiteral("WRITE"));
    Button4 = makeButton(part, QStringLiteral("Button4"), QStringLiteral("End"));
    grid->addWidget(Button2, 1, 0);
    grid->addWidget(Button3, 3, 0);
    grid->addWidget(Button4, 5, 0);

    // "TX POWER" column: rows L1..L5.
    grid->addWidget(makeLabel(part, labels, QStringLiteral("TX POWER")), 0, 1, 1, 2,
                    Qt::AlignCenter);
    std::array<QLineEdit**, 5> tx{&Edit1, &Edit2, &Edit3, &Edit4, &Edit5};
    for (int i = 0; i < 5; ++i) {
        *tx[i] = makeEdit(part, QStringLiteral("Edit%1").arg(i + 1), QStringLiteral("C000"), 4,
                          QStringLiteral("TX POWER L%1").arg(i + 1));
        grid->addWidget(makeLabel(part, labels, QStringLiteral("L%1").arg(i + 1), *tx[i]), i + 1, 1,
                        Qt::AlignRight);
        grid->addWidget(*tx[i], i + 1, 2);
    }

    // "SQL" column: rows L1..L9.
    grid->addWidget(makeLabel(part, labels, QStringLiteral("SQL")), 0, 3, 1, 2, Qt::AlignCenter);
    std::array<QLineEdit**, 9> sql{&Edit6,  &Edit7,  &Edit8,  &Edit9, &Edit10,
                                   &Edit11, &Edit12, &Edit19, &Edit20};
    const std::array<int, 9> sqlNames{6, 7, 8, 9, 10, 11, 12, 19, 20};
    for (int i = 0; i < 9; ++i) {
        *sql[i] = makeEdit(part, QStringLiteral("Edit%1").arg(sqlNames[i]), QStringLiteral("00"), 2,
                           QStringLiteral("SQL L%1").arg(i + 1));
        grid->addWidget(makeLabel(part, labels, QStringLiteral("L%1").arg(i + 1), *sql[i]), i + 1,
                        3, Qt::AlignRight);
        grid->addWidget(*sql[i], i + 1, 4);
    }

    // "Shift Frq." column: two boxes each for RX and TX.
    grid->addWidget(makeLabel(part, labels, QStringLiteral("Shift Frq.")), 0, 5, 1, 2,
                    Qt::AlignCenter);
    std::array<QLineEdit**, 4> shift{&Edit13, &Edit14, &Edit15, &Edit16};
    for (int i = 0; i < 4; ++i)
        *shift[i] =
            makeEdit(part, QStringLiteral("Edit%1").arg(13 + i), QStringLiteral("0000"), 4,
                     QStringLiteral("Shift %1 Frq. %2").arg(i < 2 ? "RX" : "TX").arg(i % 2 + 1));
    grid->addWidget(makeLabel(part, labels, QStringLiteral("Shift\nRX Frq."), Edit13), 1, 5, 2, 1,
                    Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(Edit13, 1, 6);
    grid->addWidget(Edit14, 2, 6);
    grid->addWidget(makeLabel(part, labels, QStringLiteral("Shift\nTX Frq."), Edit15), 4, 5, 2, 1,
                    Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(Edit15, 4, 6);
    grid->addWidget(Edit16, 5, 6);

    grid->setColumnStretch(7, 1);
    return part;
}

QWidget* TSubForm1::buildLowerPart() {
    auto* part = new QWidget(this);
    auto* row = new QHBoxLayout(part);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(6);
    int labels = 100;  // keeps the lower part's label names apart from the upper part's

    // The bottom-left corner holds only EEPROM INIT, cut off by a vertical line.
    Button5 = makeButton(part, QStringLiteral("Button5"), QStringLiteral("EEPROM INIT"));
    auto* corner = new QVBoxLayout;
    corner->addWidget(Button5);
    corner->addStretch(1);
    row->addLayout(corner);
    Shape2 = new QFrame(part);
    Shape2->setObjectName(QStringLiteral("Shape2"));
    Shape2->setFrameShape(QFrame::VLine);
    Shape2->setFrameShadow(QFrame::Sunken);
    row->addWidget(Shape2);

    auto* grid = new QGridLayout;
    grid->setHorizontalSpacing(6);
    grid->setVerticalSpacing(3);
    Button6 = makeButton(part, QStringLiteral("Button6"), QStringLiteral("TX POW SET"));
    Edit17 = makeEdit(part, QStringLiteral("Edit17"), QStringLiteral("C000"), 4,
                      QStringLiteral("TX POW SET value"));
    CB_TXP = makeList(part, QStringLiteral("CB_TXP"), levelItems(5));
    grid->addWidget(Button6, 0, 0);
    grid->addWidget(Edit17, 1, 0);
    grid->addWidget(CB_TXP, 2, 0);

    Button7 = makeButton(part, QStringLiteral("Button7"), QStringLiteral("SQL SET"));
    CB_SQL = makeList(part, QStringLiteral("CB_SQL"), levelItems(9));
    grid->addWidget(Button7, 0, 1);
    grid->addWidget(CB_SQL, 1, 1);

    auto* channels = new QGridLayout;
    channels->setSpacing(2);
    using Handler = void (TSubForm1::*)();
    const std::array<Handler, 9> handlers{
        &TSubForm1::Button10Click, &TSubForm1::Button11Click, &TSubForm1::Button12Click,
        &TSubForm1::Button13Click, &TSubForm1::Button14Click, &TSubForm1::Button15Click,
        &TSubForm1::Button16Click, &TSubForm1::Button17Click, &TSubForm1::Button18Click};
    for (int i = 0; i < 9; ++i) {
        auto* b = makeButton(part, QStringLiteral("Button%1").arg(10 + i),
                             QStringLiteral("CH%1").arg(i + 1));
        b->setFixedWidth(b->fontMetrics().horizontalAdvance(QStringLiteral("CH9")) + 18);
        channelButtons[static_cast<size_t>(i)] = b;
        channels->addWidget(b, i / 3, i % 3);
        connect(b, &QPushButton::clicked, this, handlers[static_cast<size_t>(i)]);
    }
    grid->addLayout(channels, 0, 2, 3, 1);

    Edit18 = new QLineEdit(QStringLiteral("Ready"), part);
    Edit18->setObjectName(QStringLiteral("Edit18"));
    Edit18->setAccessibleName(QStringLiteral("Status"));
    Edit18->setReadOnly(true);
    Edit18->setFocusPolicy(Qt::NoFocus);  // not a tab stop
    grid->addWidget(makeLabel(part, labels, QStringLiteral("Status"), Edit18), 3, 0);
    grid->addWidget(Edit18, 4, 0, 1, 3);
    row->addLayout(grid, 1);

    connect(Button2, &QPushButton::clicked, this, &TSubForm1::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TSubForm1::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TSubForm1::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TSubForm1::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TSubForm1::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TSubForm1::Button7Click);
    return part;
}

std::array<TSubForm1::BlockBox, 18> TSubForm1::blockBoxes() const {
    // In the order WRITE converts them; bytes 10, 11 and 29 have no box.
    return {{{Edit1, 0, 2},
             {Edit2, 2, 2},
             {Edit3, 4, 2},
             {Edit4, 6, 2},
             {Edit5, 8, 2},
             {Edit6, 20, 1},
             {Edit7, 21, 1},
             {Edit8, 22, 1},
             {Edit9, 23, 1},
             {Edit10, 24, 1},
             {Edit11, 25, 1},
             {Edit12, 26, 1},
             {Edit19, 27, 1},
             {Edit20, 28, 1},
             {Edit13, 12, 2},
             {Edit14, 14, 2},
             {Edit15, 16, 2},
             {Edit16, 18, 2}}};
}

void TSubForm1::showBlock(const Block& block) {
    for (const BlockBox& box : blockBoxes()) {
        const auto at = static_cast<size_t>(box.firstByte);
        const uint32_t value =
            box.width == 2 ? (uint32_t{block[at]} << 8) | block[at + 1] : uint32_t{block[at]};
        box.edit->setText(hexText(value, box.width * 2));
    }
}

void TSubForm1::setStatus(const QString& text, bool success) {
    QPalette p = Edit18->palette();
    p.setColor(QPalette::Base,
               success ? QColor(0, 255, 255) : QApplication::palette(Edit18).color(QPalette::Base));
    Edit18->setPalette(p);
    Edit18->setText(text);
}

void TSubForm1::FormCreate() {
    CB_TXP->setCurrentIndex(2);
    CB_SQL->setCurrentIndex(1);
    platform::guarded(this, [this] {
        const QString path = platform::findInCurrentFolder(QStringLiteral("Factory.INI"));
        if (path.isEmpty()) return;
        // Read into a scratch block: a short file must leave the default texts.
        Block block{};
        platform::readBlock(path, block.data(), kBlockSize);
        showBlock(block);
    });
}

void TSubForm1::Button2Click() {
    runOperation([this] {
        platform::PortSession port(*comm_);
        setStatus(QStringLiteral("Read Start"), false);
        Link link(*comm_);
        Block block{};
        for (int k = 0; k < kBlockSize / 2; ++k) {
            const auto at = static_cast<size_t>(2 * k);
            if (!exchangeOk(
                    link.readWord(static_cast<uint8_t>(kFirstWord + k), block[at], block[at + 1]),
                    port))
                return;
        }
        port.close();
        showBlock(block);
        setStatus(QStringLiteral("Read OK"), true);
    });
}

void TSubForm1::Button3Click() {
    runOperation([this] {
        Block written;
        written.fill(0xFF);
        for (const BlockBox& box : blockBoxes()) {
            const std::optional<uint32_t> value = parseHexInput(box.edit->text());
            if (!value) {
                platform::errorBox(kInputError, this);
                return;
            }
            // Digits beyond the box's width are dropped.
            const auto at = static_cast<size_t>(box.firstByte);
            if (box.width == 2) {
                written[at] = static_cast<uint8_t>(*value >> 8);
                written[at + 1] = static_cast<uint8_t>(*value);
            } else {
                written[at] = static_cast<uint8_t>(*value);
            }
        }
        written[29] = 0x00;

        platform::PortSession port(*comm_);
        setStatus(QStringLiteral("Write Start"), false);
        Link link(*comm_);
        for (int k = 0; k < kBlockSize / 2; ++k) {
            const auto at = static_cast<size_t>(2 * k);
            if (!exchangeOk(link.exchange(cmd::WriteWord, static_cast<uint8_t>(kFirstWord + k),
                                          written[at], written[at + 1]),
                            port))
                return;
        }
        Block readBack{};
        for (int k = 0; k < kBlockSize / 2; ++k) {
            const auto at = static_cast<size_t>(2 * k);
            if (!exchangeOk(link.readWord(static_cast<uint8_t>(kFirstWord + k), readBack[at],
                                          readBack[at + 1]),
                            port))
                return;
        }
        port.close();
        if (readBack != written) {
            platform::errorBox(QStringLiteral("Data Write NG!!"), this);
            return;
        }
        setStatus(QStringLiteral("Write OK"), true);
        platform::infoBox(QStringLiteral("POWER OFF -> ON!!"), this);
    });
}

void TSubForm1::Button4Click() {
    close();
}

void TSubForm1::Button5Click() {
    runOperation([this] {
        const platform::MsgRequest ask{platform::MsgKind::Plain, QStringLiteral("EEPROM INIT ?"),
                                       platform::MsgButtons::OkCancel, QStringLiteral("FACTORY")};
        if (platform::showMessage(ask, this) != platform::MsgResult::Ok) return;

        platform::PortSession port(*comm_);
        setStatus(QStringLiteral("INIT Start"), false);
        Link link(*comm_);
        constexpr int kWords = kMemorySize / 2;
        for (int w = 0; w < kWords; ++w)
            if (!exchangeOk(link.exchange(cmd::WriteWord, static_cast<uint8_t>(w), 0xFF, 0xFF),
                            port))
                return;
        MemoryImage readBack{};
        for (int w = 0; w < kWords; ++w) {
            const auto at = static_cast<size_t>(2 * w);
            if (!exchangeOk(link.readWord(static_cast<uint8_t>(w), readBack[at], readBack[at + 1]),
                            port))
                return;
        }
        port.close();
        for (const uint8_t b : readBack) {
            if (b != 0xFF) {
                platform::errorBox(QStringLiteral("EEPROM INIT NG!!"), this);
                return;
            }
        }
        setStatus(QStringLiteral("INIT OK"), true);
        platform::infoBox(QStringLiteral("EEPROM INIT OK!!"), this);
    });
}

void TSubForm1::Button6Click() {
    runOperation([this] {
        const int level = selectedItem(CB_TXP);
        if (level < 0) {
            platform::errorBox(QStringLiteral("Select TX POWER!!"), this);
            return;
        }
        const std::optional<uint32_t> value = parseHexInput(Edit17->text());
        if (!value || *value < 0xC000 || *value > 0xFFFF) {
            platform::errorBox(kInputError, this);
            return;
        }

        platform::PortSession port(*comm_);
        setStatus(QStringLiteral("Tx Start"), false);
        Link link(*comm_);
        if (!exchangeOk(
                link.exchange(cmd::SetTxPower, static_cast<uint8_t>(*value >> 8),
                              static_cast<uint8_t>(*value), static_cast<uint8_t>(level + 1)),
                port))
            return;
        port.close();
        setStatus(QStringLiteral("OK"), true);
        CB_TXP->setCurrentIndex((level + 1) % CB_TXP->count());
    });
}

void TSubForm1::Button7Click() {
    runOperation([this] {
        const int level = selectedItem(CB_SQL);
        if (level < 0) {
            platform::errorBox(QStringLiteral("Select SQL!!"), this);
            return;
        }

        platform::PortSession port(*comm_);
        setStatus(QStringLiteral("Tx Start"), false);
        Link link(*comm_);
        if (!exchangeOk(link.exchange(cmd::SetSql, static_cast<uint8_t>(level + 1), 0, 0), port))
            return;
        port.close();
        setStatus(QStringLiteral("OK"), true);
        CB_SQL->setCurrentIndex((level + 1) % CB_SQL->count());
    });
}

void TSubForm1::channelClick(int channel) {
    runOperation([this, channel] {
        // No SQL selection sends level 0 here; only SQL SET insists on one.
        const int sql = selectedItem(CB_SQL) + 1;

        platform::PortSession port(*comm_);
        setStatus(QStringLiteral("Tx Start"), false);
        Link link(*comm_);
        if (!exchangeOk(link.exchange(cmd::SetChannel, static_cast<uint8_t>(channel),
                                      static_cast<uint8_t>(sql), 0),
                        port))
            return;
        port.close();
        setStatus(QStringLiteral("CH%1 OK").arg(channel + 1), true);
    });
}

}  // namespace kva
