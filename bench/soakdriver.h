#pragma once
// The soak run, written once for both tools: the real main window (offscreen, production mode)
// against its emulator on a pseudo-terminal, a long row of commands (Receive, Transmit with its
// verify, the factory window's READ, WRITE and erase) with a fault armed at random before each.
// Every report is held against the emulator's memory: an "OK" that the memory does not bear out
// is a false OK; a command still running 10 s after the last byte on the line is a hang. The
// descriptors, threads and resident memory of the process are taken before and after.
//
// A model gives a traits struct:
//   using Window = ...;  using Machine = ...;  using Faults = Machine::Faults;
//   static constexpr const char* kMarker;           // the production marker's file name
//   static constexpr int kAckBytes;                 // acknowledge length, for the fault
//   static constexpr bool kBlockChecksum;           // Read All carries a block checksum
//   static void badChecksum(Faults&);
//   // The table shown after a Receive agrees with `memory`.
//   static bool tableMatches(Window&, const Machine::Memory& memory);
//   static bool hasFormatMark(const Machine::Memory&);
//   static Machine::Memory writtenImage(Window&);   // what Transmit writes
//   static bool writtenBytesEqual(Window&, const Machine::Memory& image, const Machine::Memory&);
//   using Factory = ...;  // the factory window
//   static constexpr std::array<CalibrationBox<Factory>, n> kBoxes;  // area at byte 224
//   static void blankCalibration(std::array<uint8_t, 30>&);  // what WRITE sends without a box
//   static bool calibrationWritten(const std::array<uint8_t, 30>&, const Machine::Memory&);
//   static void read(Factory&), write(Factory&), erase(Factory&);
//   static QString readOk, writeOk, eraseOk;        // the success reports
#include <dirent.h>
#include <unistd.h>

#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTimer>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <mutex>
#include <random>
#include <string>
#include <thread>

#include "bench/calibrationbox.h"
#include "platform/dialogs.h"
#include "platform/msgbox.h"
#include "serial/CommX.h"
#include "sim/ptytransport.h"
#include "ui/resultlog.h"

namespace kvsoak {

struct ProcessFigures {
    int fds = 0;
    int threads = 0;
    long rssKb = 0;
};

// Taken after 300 ms of the event loop, so that a port closed a moment ago has let its
// workers go: what stays is what the process keeps.
inline ProcessFigures processFigures() {
    QEventLoop settle;
    QTimer::singleShot(300, &settle, &QEventLoop::quit);
    settle.exec();
    ProcessFigures f;
    if (DIR* d = ::opendir("/proc/self/fd")) {
        while (const dirent* e = ::readdir(d))
            if (e->d_name[0] != '.') ++f.fds;
        ::closedir(d);
        --f.fds;  // the listing's own descriptor
    }
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("Threads:")) f.threads = line.mid(8).trimmed().toInt();
            if (line.startsWith("VmRSS:")) f.rssKb = line.mid(6).trimmed().split(' ')[0].toLong();
        }
    }
    return f;
}

struct Figures {
    int commands = 0;
    std::map<std::string, int> commandsByKind;
    std::map<std::string, int> faults;  // by kind, "none" included
    int correct = 0;
    int okReports = 0;
    int errorReports = 0;
    int falseOk = 0;
    int falseError = 0;  // an error report with no fault armed and nothing wrong in the modem
    int hangs = 0;
    int logLines = 0;  // the result log keeps every line, as it does on a working day
    ProcessFigures before, warm, after;
    double seconds = 0;
};

// The emulator on a pty behind a fixed symlink that COM1 names; replug() closes the pty and
// opens a new one behind the same link, keeping the memory, as an adapter pulled and put back.
template <class Machine>
class Modem {
  public:
    Modem(QString link, bool lineTiming) : link_(std::move(link)), lineTiming_(lineTiming) {
        plug(Machine::demoMemory());
        qputenv("KVPROG_COM1", link_.toLocal8Bit());
    }
    ~Modem() { qunsetenv("KVPROG_COM1"); }

    template <class Fn>
    decltype(auto) with(Fn&& fn) {
        return transport_->template withModem<Machine>(std::forward<Fn>(fn));
    }
    typename Machine::Memory memory() {
        return with([](Machine& m) { return m.memory(); });
    }
    void arm(const typename Machine::Faults& f) {
        with([&](Machine& m) {
            m.setFaults(f);
            m.clearLog();
        });
    }
    void replug() {
        const auto memory = this->memory();
        std::lock_guard lock(plugging_);  // the watchdog counts bytes meanwhile
        retired_ += transport_->bytesReceived() + transport_->bytesSent();
        transport_.reset();
        plug(memory);
    }
    // Bytes on the line so far, across replugs.
    uint64_t bytes() {
        std::lock_guard lock(plugging_);
        return retired_ + transport_->bytesReceived() + transport_->bytesSent();
    }

  private:
    void plug(const typename Machine::Memory& memory) {
        transport_ = std::make_unique<kvsim::PtyTransport>(std::make_unique<Machine>(memory),
                                                           kvsim::PtyOptions{lineTiming_});
        transport_->placeLink(link_.toStdString());
    }

    QString link_;
    bool lineTiming_;
    std::unique_ptr<kvsim::PtyTransport> transport_;
    std::mutex plugging_;
    uint64_t retired_ = 0;
};

template <class Traits>
class SoakRun {
  public:
    using Window = typename Traits::Window;
    using Machine = typename Traits::Machine;
    using Faults = typename Traits::Faults;
    using Factory = typename Traits::Factory;

    SoakRun(unsigned seed, bool lineTiming)
        : random_(seed),
          modem_(QDir::current().absoluteFilePath(QStringLiteral("soak-com1")), lineTiming) {}

    Figures run(int commands) {
        QFile(QString::fromUtf8(Traits::kMarker)).open(QIODevice::WriteOnly);
        figures_.before = processFigures();
        hookBoxes();
        const auto start = std::chrono::steady_clock::now();
        std::thread watchdog([this] { watch(); });
        {
            Window window;
            window_ = &window;
            prepareTable();
            for (int i = 0; i < commands; ++i) {
                oneCommand();
                if (i == 9) figures_.warm = processFigures();
            }
            figures_.logLines = window.LB_Result->count();
            window_ = nullptr;
        }
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        done_ = true;
        watchdog.join();
        platform::setMessageHook(nullptr);
        platform::setFileDialogHook(nullptr);
        figures_.seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        figures_.after = processFigures();
        return figures_;
    }

  private:
    enum class Kind { Receive, Transmit, Read, Write, Erase };

    void hookBoxes() {
        platform::setMessageHook([this](const platform::MsgRequest& r) {
            // The question before an erase is answered OK and is no report.
            if (r.buttons != platform::MsgButtons::OkCancel) boxes_ << r.text;
            return r.buttons == platform::MsgButtons::YesNo ? platform::MsgResult::Yes
                                                            : platform::MsgResult::Ok;
        });
        platform::setFileDialogHook(
            [this](platform::FileDialogKind, const QString&, const QString&) { return goodFile_; });
    }

    // A Receive of the demo memory, kept as a settings file: every Transmit opens it first, so
    // a table the faults have bent never stops the writes.
    void prepareTable() {
        window_->ReceivePCKV1Click();
        window_->SaveAs1Click();
        boxes_.clear();
    }

    int pick(int below) { return std::uniform_int_distribution<int>(0, below - 1)(random_); }

    Kind pickKind() {
        const int r = pick(100);
        if (r < 30) return Kind::Receive;
        if (r < 60) return Kind::Transmit;
        if (r < 75) return Kind::Read;
        if (r < 92) return Kind::Write;
        return Kind::Erase;
    }

    // A fault at random, or none; returns its kind. "unplug" is armed as a timer instead.
    std::string pickFault(Faults& f) {
        switch (pick(Traits::kBlockChecksum ? 8 : 7)) {
            case 0:
                f.silenceAfterBytes = pick(300);
                return "silence";
            case 1:
                f.wrongAckPosition = 1 + pick(Traits::kAckBytes);
                f.wrongAckValue = static_cast<uint8_t>(pick(256));
                f.wrongAckOnFrame = pick(140);
                return "wrong acknowledge";
            case 2:
                f.stuckAddress = pick(256);
                f.stuckValue = static_cast<uint8_t>(pick(256));
                return "stuck byte";
            case 3:
                f.ignoredWriteWord = pick(128);
                return "ignored write";
            case 4:
                return "unplug";
            case 7:
                Traits::badChecksum(f);
                return "bad checksum";
            default:
                return "none";
        }
    }

    void oneCommand() {
        const Kind kind = pickKind();
        Faults faults{};
        const std::string fault = pickFault(faults);
        if (kind == Kind::Transmit) window_->OPEN1Click();  // the kept table, before arming
        modem_.arm(faults);
        boxes_.clear();
        QTimer unplug;
        bool unplugged = false;
        if (fault == "unplug") {
            unplug.setSingleShot(true);
            QObject::connect(&unplug, &QTimer::timeout, [&] {
                modem_.replug();
                unplugged = true;
            });
            unplug.start(pick(kind == Kind::Receive || kind == Kind::Read ? 400 : 2500));
        }
        const std::string name = run(kind);
        unplug.stop();
        modem_.arm(Faults{});
        ++figures_.commands;
        ++figures_.commandsByKind[name];
        ++figures_.faults[fault == "unplug" && !unplugged ? "unplug (after the end)" : fault];
        judge(kind, fault != "none" && (fault != "unplug" || unplugged));
    }

    std::string run(Kind kind) {
        running_ = true;
        std::string name;
        switch (kind) {
            case Kind::Receive:
                window_->ReceivePCKV1Click();
                name = "Receive";
                break;
            case Kind::Transmit:
                written_ = Traits::writtenImage(*window_);
                window_->TransmitPCKV1Click();
                name = "Transmit";
                break;
            default: {
                // A new factory window each time, as the Factory item makes one.
                Factory form(window_, window_->CommX1);
                if (kind == Kind::Read) {
                    Traits::read(form);
                    name = "factory READ";
                } else if (kind == Kind::Write) {
                    Traits::blankCalibration(calibration_);
                    typeCalibration(form, Traits::kBoxes, random_, calibration_);
                    Traits::write(form);
                    name = "factory WRITE";
                } else {
                    Traits::erase(form);
                    name = "factory erase";
                }
                if (kind == Kind::Read)
                    readShown_ = calibrationShown(form, Traits::kBoxes, modem_.memory(), 224);
            }
        }
        running_ = false;
        return name;
    }

    // Success is claimed by its own report; everything else is an error report.
    void judge(Kind kind, bool faulted) {
        const auto memory = modem_.memory();
        bool ok = false, true_ = false;
        switch (kind) {
            case Kind::Receive:
                ok = boxes_.isEmpty();
                true_ = Traits::hasFormatMark(memory) && Traits::tableMatches(*window_, memory);
                break;
            case Kind::Transmit:
                ok = boxes_ == QStringList{QStringLiteral("Data Write OK!!")};
                true_ = Traits::writtenBytesEqual(*window_, written_, memory);
                break;
            case Kind::Read:
                ok = Traits::readOk.isEmpty() ? boxes_.isEmpty()
                                              : boxes_ == QStringList{Traits::readOk};
                true_ = readShown_;
                break;
            case Kind::Write:
                ok = boxes_ == QStringList{Traits::writeOk};
                true_ = Traits::calibrationWritten(calibration_, memory);
                break;
            case Kind::Erase:
                ok = boxes_ == QStringList{Traits::eraseOk};
                true_ =
                    std::all_of(memory.begin(), memory.end(), [](uint8_t b) { return b == 0xFF; });
                break;
        }
        ok ? ++figures_.okReports : ++figures_.errorReports;
        if (ok && !true_) {
            ++figures_.falseOk;
        } else if (!ok && !faulted && !unformattedReceive(kind, memory)) {
            ++figures_.falseError;
            std::fprintf(stderr, "error report without a fault: %s\n",
                         qPrintable(boxes_.join(QStringLiteral(" | "))));
        } else {
            ++figures_.correct;
        }
    }

    // A Receive of an erased memory rightly ends in the initialisation error.
    bool unformattedReceive(Kind kind, const typename Machine::Memory& memory) const {
        return kind == Kind::Receive && !Traits::hasFormatMark(memory) &&
               boxes_ == QStringList{QStringLiteral("EEPROM Initialization Error!!")};
    }

    // A command that runs on 10 s past the last byte on the line is a hang.
    void watch() {
        uint64_t bytes = 0;
        auto quietSince = std::chrono::steady_clock::now();
        bool counted = false;
        while (!done_) {
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
            const uint64_t now = modem_.bytes();
            if (now != bytes || !running_) {
                bytes = now;
                quietSince = std::chrono::steady_clock::now();
                counted = false;
            } else if (!counted &&
                       std::chrono::steady_clock::now() - quietSince > std::chrono::seconds(10)) {
                ++hangs_;
                counted = true;
                std::fprintf(stderr, "hang: a command runs 10 s after its last byte\n");
            }
        }
        figures_.hangs = hangs_;
    }

    std::mt19937 random_;
    Modem<Machine> modem_;
    Figures figures_;
    Window* window_ = nullptr;
    QStringList boxes_;
    const QString goodFile_ = QDir::current().absoluteFilePath(QStringLiteral("soak-table.dat"));
    typename Machine::Memory written_{};
    std::array<uint8_t, 30> calibration_{};
    bool readShown_ = false;
    std::atomic<bool> running_{false};
    std::atomic<bool> done_{false};
    std::atomic<int> hangs_{0};
};

inline void print(const char* tool, const Figures& f, bool lineTiming) {
    std::printf("soak %s: %d commands in %.0f s, line timing %s\n", tool, f.commands, f.seconds,
                lineTiming ? "on" : "off");
    for (const auto& [name, n] : f.commandsByKind)
        std::printf("  command %-22s %5d\n", name.c_str(), n);
    for (const auto& [name, n] : f.faults) std::printf("  fault   %-22s %5d\n", name.c_str(), n);
    std::printf(
        "  reports: %d OK, %d error; correct %d, false OK %d, error without cause %d, hangs %d\n",
        f.okReports, f.errorReports, f.correct, f.falseOk, f.falseError, f.hangs);
    const auto row = [](const char* when, const ProcessFigures& p) {
        std::printf("  %-22s fds %3d  threads %3d  RSS %7ld kB\n", when, p.fds, p.threads, p.rssKb);
    };
    row("before", f.before);
    row("after 10 commands", f.warm);
    row("after", f.after);
    std::printf("  result log: %d lines\n", f.logLines);
}

}  // namespace kvsoak
