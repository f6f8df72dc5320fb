#pragma once
#include <QString>
#include <functional>

class QWidget;

namespace platform {

enum class MsgKind { Error, Information, Confirmation, Plain };
enum class MsgButtons { Ok, YesNo, OkCancel };
enum class MsgResult { Ok, Cancel, Yes, No };

struct MsgRequest {
    MsgKind kind;
    QString text;
    MsgButtons buttons;
    QString caption;  // empty: the application's name
};

// Every modal message box of the tools goes through here. A test installs a hook that
// records the request and answers it instead of showing a box.
MsgResult showMessage(const MsgRequest& request, QWidget* parent = nullptr);
using MsgHook = std::function<MsgResult(const MsgRequest&)>;
void setMessageHook(MsgHook hook);

void errorBox(const QString& text, QWidget* parent = nullptr);
void infoBox(const QString& text, QWidget* parent = nullptr);
// Yes/No confirmation; true for Yes.
bool confirmBox(const QString& text, QWidget* parent = nullptr);

}  // namespace platform
