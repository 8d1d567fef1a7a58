#include "keiba/operations.h"

namespace keiba {

OperationOwner::Hold& OperationOwner::Hold::operator=(Hold&& other) noexcept {
    if (this != &other) {
        Release();
        owner_ = other.owner_;
        other.owner_ = nullptr;
    }
    return *this;
}

void OperationOwner::Hold::Release() {
    if (!owner_) return;
    OperationOwner* owner = owner_;
    owner_ = nullptr;
    owner->GiveBack();
}

OperationOwner::Hold OperationOwner::Take(Operation operation) {
    if (running_) return Hold();
    running_ = operation;
    cancelRequested_ = false;
    if (listener_) listener_(running_);
    return Hold(*this);
}

void OperationOwner::GiveBack() {
    running_.reset();
    cancelRequested_ = false;
    if (listener_) listener_(std::nullopt);
}

} // namespace keiba
