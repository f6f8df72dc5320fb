#include "model_a/program.h"

namespace kva {

std::unique_ptr<TMainForm> createStartWindows() {
    return std::make_unique<TMainForm>();
}

}  // namespace kva
