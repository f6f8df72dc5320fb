// Edit > Factory and COM > CH SET: a new service window each time, shown modally on the main
// window's port component.
#include <memory>

#include "model_a/main.h"
#include "model_a/sub1.h"
#include "model_a/sub2.h"
#include "platform/commandlock.h"
#include "platform/msgbox.h"
#include "serial/CommX.h"

namespace kva {
namespace {

template <typename Form>
void showServiceWindow(TMainForm* owner, TCommX* comm) {
    // A service window would only fight the running transfer for the port.
    if (platform::CommandLock::isBusy(comm)) {
        platform::errorBox(platform::CommandLock::refusal(), owner);
        return;
    }
    const std::unique_ptr<Form> form(new Form(owner, comm));
    form->exec();
}

}  // namespace

void TMainForm::Factory1Click() {
    if (Factory1->isEnabled()) showServiceWindow<TSubForm1>(this, CommX1);
}

void TMainForm::CHSET1Click() {
    showServiceWindow<TSubForm2>(this, CommX1);
}

}  // namespace kva
