#include "fuzz/windowhooks.h"

#include <QFile>

#include "fuzz/check.h"
#include "platform/dialogs.h"

namespace kvfuzz {

WindowHooks::WindowHooks(QStringList fileNames) : fileNames_(std::move(fileNames)) {
    platform::setFileDialogHook(
        [this](platform::FileDialogKind, const QString&, const QString&) -> std::optional<QString> {
            if (fileNames_.isEmpty()) return std::nullopt;
            return fileNames_.takeFirst();
        });
    platform::setMessageHook([this](const platform::MsgRequest& r) {
        boxes.append(r);
        if (r.buttons == platform::MsgButtons::YesNo)
            return answerYes ? platform::MsgResult::Yes : platform::MsgResult::No;
        return platform::MsgResult::Ok;
    });
}

WindowHooks::~WindowHooks() {
    platform::setFileDialogHook(nullptr);
    platform::setMessageHook(nullptr);
}

void writeWholeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    KV_REQUIRE(f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(bytes) == bytes.size(),
               "cannot write " + path.toStdString());
}

QByteArray readWholeFile(const QString& path) {
    QFile f(path);
    KV_REQUIRE(f.open(QIODevice::ReadOnly), "cannot read " + path.toStdString());
    return f.readAll();
}

}  // namespace kvfuzz
