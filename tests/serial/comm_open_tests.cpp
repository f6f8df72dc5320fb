// Opening, configuring and closing the port, and every way Open can fail.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

#include <QFile>
#include <functional>
#include <memory>
#include <string>

#include "serial/CommX.h"
#include "serialtest.h"
#include "testdir.h"

using namespace serialtest;

namespace {

const std::string kOpenFailed = "It was open, and it didn't come [ the port ].";

// Whether the component and the far end exchange a byte each way.
void expectLineWorks(TCommX& comm, Pty& pty) {
    ASSERT_TRUE(comm.TransByte(0x5A));
    EXPECT_EQ(pty.receive(1), std::vector<uint8_t>{0x5A});
    pty.send({0xA5});
    comm.setTimeOutReceive(1000);
    EXPECT_EQ(comm.ReceiveByte(), 0xA5);
}

std::string openError(TCommX& comm, std::string* detail = nullptr) {
    try {
        comm.Open();
    } catch (const ECommError& e) {
        if (detail) *detail = e.detail();
        return e.what();
    }
    return "(no error)";
}

class CommOpen : public testing::Test {
  protected:
    Pty pty;
    PortBinding binding{7, pty.slavePath()};
    TCommX comm;
    void SetUp() override { comm.setPortNo(7); }
};

}  // namespace

TEST(CommDefaults, PropertiesAndClosedStateBeforeAnyOpen) {
    TCommX comm;
    EXPECT_EQ(comm.PortNo(), 1);
    EXPECT_EQ(comm.BitRate(), 9600);
    EXPECT_EQ(comm.CharSize(), 8);
    EXPECT_EQ(comm.ParityBit(), cpbNone);
    EXPECT_EQ(comm.StopBit(), csb1);
    EXPECT_EQ(comm.FlowCtrl(), cfcRtsCts);
    EXPECT_EQ(comm.TimeOutTrans(), 3000);
    EXPECT_EQ(comm.TimeOutReceive(), 3000);
    EXPECT_EQ(comm.XonChar(), 0x11);
    EXPECT_EQ(comm.XoffChar(), 0x13);
    EXPECT_EQ(comm.BufLenTrans(), 2048);
    EXPECT_EQ(comm.BufLenReceive(), 2048);
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(comm.Handle(), 0xFFFFFFFFu);
}

TEST(CommDefaults, DevicePathFollowsTheEnvironment) {
    ::unsetenv("KVPROG_COM3");
    EXPECT_EQ(TCustomCommX::DevicePath(3), "/dev/ttyS2");
    EXPECT_EQ(TCustomCommX::DevicePath(1), "/dev/ttyS0");
    PortBinding b(3, "/dev/ttyUSB9");
    EXPECT_EQ(TCustomCommX::DevicePath(3), "/dev/ttyUSB9");
    EXPECT_EQ(TCustomCommX::DevicePath(0), "");
    EXPECT_EQ(TCustomCommX::DevicePath(-2), "");
}

TEST(CommClosedPort, OperationsDoNothingAndReportClosed) {
    TCommX comm;
    const uint8_t data[3] = {1, 2, 3};
    EXPECT_FALSE(comm.TransData(data, 3));
    EXPECT_FALSE(comm.TransByte(7));
    EXPECT_TRUE(comm.TransData(data, 0));
    EXPECT_EQ(comm.ReceiveByte(), -1);
    uint8_t buf[4];
    EXPECT_EQ(comm.ReceiveData(buf, 4), -1);
    EXPECT_EQ(comm.ReceiveCount(), 0);
    comm.PurgeTrans();
    comm.PurgeReceive();
    comm.SetRts(true);
    comm.SetDtr(true);
    comm.Close();
    EXPECT_FALSE(comm.IsOpen());
}

TEST_F(CommOpen, OpenSetsUpARawLineAndCloseEndsIt) {
    comm.Open();
    ASSERT_TRUE(comm.IsOpen());
    EXPECT_NE(comm.Handle(), 0xFFFFFFFFu);
    const termios t = pty.slaveTermios();
    EXPECT_EQ(cfgetospeed(&t), B9600);
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), tcflag_t(CLOCAL | CREAD));
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
    // Carriage returns and line feeds pass untouched.
    ASSERT_TRUE(comm.TransData("\r\n\x03", 3));
    EXPECT_EQ(pty.receive(3), (std::vector<uint8_t>{'\r', '\n', 0x03}));
    comm.Close();
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(comm.Handle(), 0xFFFFFFFFu);
    comm.Close();  // twice is harmless
    EXPECT_FALSE(comm.IsOpen());
}

TEST_F(CommOpen, ReopenCyclesKeepTheLineWorking) {
    comm.setFlowCtrl(cfcNone);
    comm.setParityBit(cpbEven);  // a pty drops parity on its own; that is not a refusal
    for (int i = 0; i < 3; ++i) {
        comm.Open();
        expectLineWorks(comm, pty);
        comm.Close();
    }
}

TEST_F(CommOpen, SecondOpenIsRefusedAndLeavesTheFirstIntact) {
    comm.Open();
    const uint32_t handle = comm.Handle();
    EXPECT_EQ(openError(comm), "A port has already been opened.");
    EXPECT_TRUE(comm.IsOpen());
    EXPECT_EQ(comm.Handle(), handle);
    expectLineWorks(comm, pty);
}

TEST_F(CommOpen, BusyDeviceIsRefusedEvenForRootAndFreedByClose) {
    comm.Open();
    TCommX other;
    other.setPortNo(7);
    std::string detail;
    EXPECT_EQ(openError(other, &detail), kOpenFailed);
    EXPECT_NE(detail.find(pty.slavePath()), std::string::npos);
    EXPECT_NE(detail.find("in use by another program"), std::string::npos);
    EXPECT_FALSE(other.IsOpen());
    comm.Close();
    other.Open();  // the claim went with Close, although the workers may not have ended
    EXPECT_TRUE(other.IsOpen());
}

TEST(CommOpenFailure, MissingDeviceNamesThePathAndWhatToDo) {
    PortBinding b(7, "/dev/kvprog-no-such-port");
    TCommX comm;
    comm.setPortNo(7);
    std::string detail;
    EXPECT_EQ(openError(comm, &detail), kOpenFailed);
    EXPECT_NE(detail.find("/dev/kvprog-no-such-port"), std::string::npos);
    EXPECT_NE(detail.find("no such device"), std::string::npos);
    EXPECT_FALSE(comm.IsOpen());
}

TEST(CommOpenFailure, PortBelowOneNamesNoDevice) {
    TCommX comm;
    comm.setPortNo(0);
    EXPECT_EQ(openError(comm), kOpenFailed);
    EXPECT_FALSE(comm.IsOpen());
}

TEST(CommOpenFailure, PlainFileIsNotASerialDevice) {
    QFile f("not-a-port");
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.close();
    const std::string path = kvtest::currentTestDir().toStdString() + "/not-a-port";
    PortBinding b(7, path);
    TCommX comm;
    comm.setPortNo(7);
    std::string detail;
    EXPECT_EQ(openError(comm, &detail), kOpenFailed);
    EXPECT_NE(detail.find("not a serial device"), std::string::npos);
}

// A setting the line cannot take fails Open with that setting's message, and the port
// ends closed and free for the next Open.
TEST_F(CommOpen, RefusedSettingsFailOpenWithTheirMessageAndLeaveThePortFree) {
    struct Case {
        std::function<void(TCommX&)> set;
        std::function<void(TCommX&)> undo;
        std::string message;
    };
    const Case cases[] = {
        {[](TCommX& c) { c.setStopBit(csb1p5); }, [](TCommX& c) { c.setStopBit(csb1); },
         "An error occurred in the establishment of the number of the communication stop bits."},
        {[](TCommX& c) { c.setFlowCtrl(cfcDtrDsr); }, [](TCommX& c) { c.setFlowCtrl(cfcNone); },
         "It failed by the establishment of the communication flow control."},
        {[](TCommX& c) { c.setBitRate(12345); }, [](TCommX& c) { c.setBitRate(9600); },
         "An error occurred in the establishment of the communication speed."},
        {[](TCommX& c) { c.setCharSize(9); }, [](TCommX& c) { c.setCharSize(8); },
         "An error occurred in the establishment of the number of the communication bits."},
        {[](TCommX& c) { c.setBufLenTrans(0); }, [](TCommX& c) { c.setBufLenTrans(2048); },
         "The buffer of the port for the communication couldn't be prepared."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.message);
        c.set(comm);
        EXPECT_EQ(openError(comm), c.message);
        EXPECT_FALSE(comm.IsOpen());
        c.undo(comm);
        TCommX other;
        other.setPortNo(7);
        other.Open();
        EXPECT_TRUE(other.IsOpen());
    }
}

TEST_F(CommOpen, RefusedTimeoutsUseTheirMessage) {
    FakeDriverScope fake;
    fake.log().refuseTimeouts = true;
    EXPECT_EQ(openError(comm),
              "It failed by the establishment of the communication time out time.");
    EXPECT_FALSE(comm.IsOpen());
}

TEST_F(CommOpen, SettingRefusedWhileOpenKeepsThePortAndThePreviousSetting) {
    comm.setBitRate(19200);
    comm.Open();
    try {
        comm.setBitRate(12345);
        ADD_FAILURE() << "no error";
    } catch (const ECommError& e) {
        EXPECT_STREQ(e.what(),
                     "An error occurred in the establishment of the communication speed.");
    }
    EXPECT_TRUE(comm.IsOpen());
    EXPECT_EQ(comm.BitRate(), 12345);  // the value is kept even though the line refused it
    termios t = pty.slaveTermios();
    EXPECT_EQ(cfgetospeed(&t), B19200);
    comm.setBitRate(4800);
    t = pty.slaveTermios();
    EXPECT_EQ(cfgetospeed(&t), B4800);
}

TEST_F(CommOpen, PropertiesWrittenWhileClosedReachTheLineAtTheNextOpen) {
    comm.Open();
    comm.Close();
    comm.setBitRate(38400);
    comm.setStopBit(csb2);
    comm.setFlowCtrl(cfcXonXoff);
    comm.setXonChar(0x01);
    comm.setXoffChar(0x02);
    termios t = pty.slaveTermios();
    EXPECT_EQ(cfgetospeed(&t), B9600);  // nothing reached the line while closed
    EXPECT_EQ(t.c_cflag & CSTOPB, 0u);

    comm.Open();
    t = pty.slaveTermios();
    EXPECT_EQ(cfgetospeed(&t), B38400);
    EXPECT_EQ(cfgetispeed(&t), B38400);
    EXPECT_NE(t.c_cflag & CSTOPB, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), tcflag_t(IXON | IXOFF));
    EXPECT_EQ(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_cc[VSTART], 0x01);
    EXPECT_EQ(t.c_cc[VSTOP], 0x02);

    comm.setFlowCtrl(cfcRtsCts);  // applied at once while open
    t = pty.slaveTermios();
    EXPECT_NE(t.c_cflag & CRTSCTS, 0u);
    EXPECT_EQ(t.c_iflag & (IXON | IXOFF), 0u);
}

TEST_F(CommOpen, PortNoWrittenWhileOpenMovesToTheNewPort) {
    Pty second;
    PortBinding b8(8, second.slavePath());
    PortBinding b9(9, "/dev/kvprog-no-such-port");
    comm.setFlowCtrl(cfcNone);
    comm.Open();
    comm.setPortNo(8);
    ASSERT_TRUE(comm.IsOpen());
    expectLineWorks(comm, second);
    TCommX other;  // the old port was given up
    other.setPortNo(7);
    other.Open();
    other.Close();

    try {
        comm.setPortNo(9);
        ADD_FAILURE() << "no error";
    } catch (const ECommError& e) {
        EXPECT_EQ(e.what(), kOpenFailed);
    }
    EXPECT_FALSE(comm.IsOpen());
    EXPECT_EQ(comm.PortNo(), 9);
}

TEST_F(CommOpen, DestroyingAnOpenComponentClosesIt) {
    {
        TCommX inner;
        inner.setPortNo(7);
        inner.Open();
    }
    comm.Open();  // would be refused as busy had the port stayed claimed
    EXPECT_TRUE(comm.IsOpen());
}
