#pragma once
// Answers the file dialogs from a queue (nullopt = Cancel) and records what they were asked.
#include <QString>
#include <deque>
#include <optional>
#include <vector>

#include "platform/dialogs.h"

namespace kvtest {

class FileDialogScript {
  public:
    struct Request {
        platform::FileDialogKind kind;
        QString filter;
        QString defaultExt;
    };

    FileDialogScript() {
        platform::setFileDialogHook([this](platform::FileDialogKind kind, const QString& filter,
                                           const QString& ext) -> std::optional<QString> {
            requests.push_back({kind, filter, ext});
            if (answers.empty()) return std::nullopt;
            const std::optional<QString> a = answers.front();
            answers.pop_front();
            return a;
        });
    }
    ~FileDialogScript() { platform::setFileDialogHook(nullptr); }
    FileDialogScript(const FileDialogScript&) = delete;
    FileDialogScript& operator=(const FileDialogScript&) = delete;

    std::deque<std::optional<QString>> answers;
    std::vector<Request> requests;
};

}  // namespace kvtest
