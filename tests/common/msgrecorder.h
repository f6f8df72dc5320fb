#pragma once
// Records every message box instead of showing it, and answers with a queue of replies.
#include <QList>
#include <chrono>
#include <deque>

#include "platform/msgbox.h"

namespace kvtest {

class MessageRecorder {
  public:
    MessageRecorder() {
        platform::setMessageHook([this](const platform::MsgRequest& r) {
            boxes.append(r);
            lastShown = std::chrono::steady_clock::now();
            if (!answers.empty()) {
                const platform::MsgResult a = answers.front();
                answers.pop_front();
                return a;
            }
            return r.buttons == platform::MsgButtons::YesNo ? platform::MsgResult::Yes
                                                            : platform::MsgResult::Ok;
        });
    }
    ~MessageRecorder() { platform::setMessageHook(nullptr); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    QStringList texts() const {
        QStringList t;
        for (const auto& b : boxes) t << b.text;
        return t;
    }

    QList<platform::MsgRequest> boxes;
    std::deque<platform::MsgResult> answers;  // default: Yes / OK
    std::chrono::steady_clock::time_point lastShown{};
};

}  // namespace kvtest
