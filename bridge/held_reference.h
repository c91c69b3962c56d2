// A reference the engine library holds to an object of the program (client, handlers,
// application, visitor): released when the holder lets go.
#pragma once

#include <utility>

#include "engine/cef_capi.h"

namespace quillmoor::bridge {

template <typename T>  // an engine struct that starts with cef_base_ref_counted_t
class HeldReference {
  public:
    HeldReference() = default;
    // Takes over the reference that object came with (an argument or a getter's result).
    static HeldReference Adopt(T* object) { return HeldReference(object); }
    // Takes a reference of its own.
    static HeldReference Retain(T* object) {
        if (object != nullptr) {
            Base(object)->add_ref(Base(object));
        }
        return HeldReference(object);
    }

    HeldReference(const HeldReference& other) : HeldReference(Retain(other.object_).Leak()) {}
    HeldReference(HeldReference&& other) noexcept
        : object_(std::exchange(other.object_, nullptr)) {}
    HeldReference& operator=(HeldReference other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~HeldReference() { Reset(); }

    void Reset() {
        if (T* object = std::exchange(object_, nullptr)) {
            Base(object)->release(Base(object));
        }
    }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }

    // The object with a new reference, for handing to a callback that takes one.
    T* NewReference() const { return Retain(object_).Leak(); }

  private:
    explicit HeldReference(T* object) : object_(object) {}
    T* Leak() { return std::exchange(object_, nullptr); }
    static cef_base_ref_counted_t* Base(T* object) {
        return reinterpret_cast<cef_base_ref_counted_t*>(object);
    }

    T* object_ = nullptr;
};

// The client's handlers; empty when the client offers none.
HeldReference<cef_life_span_handler_t> LifeSpanHandlerOf(const HeldReference<cef_client_t>& client);
HeldReference<cef_load_handler_t> LoadHandlerOf(const HeldReference<cef_client_t>& client);

}  // namespace quillmoor::bridge
