// A reference the holder keeps to an engine object: an object of the engine (browser,
// frame, host) or one of the program's own that the engine passed along (client,
// handlers, visitor). Released when the holder lets go.
#pragma once

#include <utility>

#include "engine/cef_capi.h"

namespace quillmoor {

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

    // The object with a new reference, for handing to a callee that takes one.
    T* NewReference() const { return Retain(object_).Leak(); }

  private:
    explicit HeldReference(T* object) : object_(object) {}
    T* Leak() { return std::exchange(object_, nullptr); }
    static cef_base_ref_counted_t* Base(T* object) {
        return reinterpret_cast<cef_base_ref_counted_t*>(object);
    }

    T* object_ = nullptr;
};

}  // namespace quillmoor
