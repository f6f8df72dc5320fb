#include "platform/msgbox.h"

#include <QApplication>
#include <QMessageBox>

namespace platform {
namespace {
MsgHook& hook() {
    static MsgHook h;
    return h;
}
}  // namespace

void setMessageHook(MsgHook h) {
    hook() = std::move(h);
}

MsgResult showMessage(const MsgRequest& r, QWidget* parent) {
    if (hook()) return hook()(r);
    QMessageBox box(parent ? parent : QApplication::activeWindow());
    box.setWindowTitle(r.caption.isEmpty() ? QApplication::applicationName() : r.caption);
    box.setText(QString(r.text).replace(QChar('\r'), QChar('\n')));
    switch (r.kind) {
        case MsgKind::Error:
            box.setIcon(QMessageBox::Critical);
            break;
        case MsgKind::Information:
            box.setIcon(QMessageBox::Information);
            break;
        case MsgKind::Confirmation:
            box.setIcon(QMessageBox::Question);
            break;
        case MsgKind::Plain:
            box.setIcon(QMessageBox::NoIcon);
            break;
    }
    switch (r.buttons) {
        case MsgButtons::Ok:
            box.setStandardButtons(QMessageBox::Ok);
            break;
        case MsgButtons::YesNo:
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            break;
        case MsgButtons::OkCancel:
            box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
            break;
    }
    switch (box.exec()) {
        case QMessageBox::Ok:
            return MsgResult::Ok;
        case QMessageBox::Yes:
            return MsgResult::Yes;
        case QMessageBox::No:
            return MsgResult::No;
        default:
            return r.buttons == MsgButtons::YesNo ? MsgResult::No : MsgResult::Cancel;
    }
}

void errorBox(const QString& text, QWidget* parent) {
    showMessage({MsgKind::Error, text, MsgButtons::Ok, {}}, parent);
}

void infoBox(const QString& text, QWidget* parent) {
    showMessage({MsgKind::Information, text, MsgButtons::Ok, {}}, parent);
}

bool confirmBox(const QString& text, QWidget* parent) {
    return showMessage({MsgKind::Confirmation, text, MsgButtons::YesNo, {}}, parent) ==
           MsgResult::Yes;
}

}  // namespace platform
