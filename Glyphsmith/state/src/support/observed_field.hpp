#pragma once

// How the state objects set their observed fields.

#include <utility>

#include "support/main_thread.hpp"

namespace glyphsmith_state {

// Stores `value` in the owner's field and emits its change signal, on the main
// thread, when the value differs; true when it did.
template <class Owner, class T>
bool assignObserved(Owner& owner, T& field, T value, void (Owner::*changed)()) {
    assertMainThread(&owner);
    if (field == value) return false;
    field = std::move(value);
    emit(owner.*changed)();
    return true;
}

}  // namespace glyphsmith_state
