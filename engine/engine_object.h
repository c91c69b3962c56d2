// Reference counting for objects that the program implements and hands to the engine
// (application, handlers, visitors).
//
// An EngineObject<CType> owns one engine struct CType (which starts with
// cef_base_ref_counted_t) and fills its base with a thread-safe reference count. A derived
// class fills the struct's function members in its constructor and finds itself again
// from the struct pointer that the engine passes back with Self<Derived>(self).
//
// References: the object is created holding one reference, adopted by the EngineObjectPtr
// that Make returns. Every struct pointer given to the engine (as an argument or as the
// result of a getter) carries a reference of its own: take it with NewReference().
#pragma once

#include <atomic>
#include <cstring>
#include <type_traits>
#include <utility>

#include "engine/cef_object_types.h"
#include "platform/no_copy.h"

namespace quillmoor {

template <typename CType>
class EngineObject {
    static_assert(std::is_standard_layout_v<CType>, "engine structs are plain C structs");

  public:
    QUILLMOOR_NO_COPY(EngineObject);

    // The engine struct, with a new reference for the receiver.
    CType* NewReference() {
        AddRef();
        return &holder_.table;
    }

    void AddRef() { refs_.fetch_add(1, std::memory_order_relaxed); }

    // Drops one reference; the object deletes itself when it was the last one, and then
    // returns true.
    bool Release() {
        if (refs_.fetch_sub(1, std::memory_order_acq_rel) == 1) {
            delete this;
            return true;
        }
        return false;
    }

    int ReferenceCount() const { return refs_.load(std::memory_order_acquire); }

  protected:
    EngineObject() {
        std::memset(&holder_.table, 0, sizeof(CType));
        holder_.owner = this;
        cef_base_ref_counted_t& base = Base();
        base.size = sizeof(CType);
        base.add_ref = &BaseAddRef;
        base.release = &BaseRelease;
        base.has_one_ref = &BaseHasOneRef;
        base.has_at_least_one_ref = &BaseHasAtLeastOneRef;
    }
    virtual ~EngineObject() = default;

    // The struct whose function members the derived class fills.
    CType& Table() { return holder_.table; }

    // The object behind a struct pointer that the engine passes back.
    template <typename Derived>
    static Derived* Self(CType* self) {
        return static_cast<Derived*>(HolderOf(self)->owner);
    }

  private:
    // The struct comes first in a standard-layout holder, so a pointer to the struct is a
    // pointer to the holder, which knows its owner.
    struct Holder {
        CType table;
        EngineObject* owner;
    };

    cef_base_ref_counted_t& Base() {
        return *reinterpret_cast<cef_base_ref_counted_t*>(&holder_.table);
    }

    static Holder* HolderOf(void* table) { return reinterpret_cast<Holder*>(table); }

    static void CEF_CALLBACK BaseAddRef(cef_base_ref_counted_t* self) {
        HolderOf(self)->owner->AddRef();
    }
    static int CEF_CALLBACK BaseRelease(cef_base_ref_counted_t* self) {
        return HolderOf(self)->owner->Release() ? 1 : 0;
    }
    static int CEF_CALLBACK BaseHasOneRef(cef_base_ref_counted_t* self) {
        return HolderOf(self)->owner->ReferenceCount() == 1 ? 1 : 0;
    }
    static int CEF_CALLBACK BaseHasAtLeastOneRef(cef_base_ref_counted_t* self) {
        return HolderOf(self)->owner->ReferenceCount() >= 1 ? 1 : 0;
    }

    Holder holder_;
    std::atomic<int> refs_{1};
};

// An owning pointer to an EngineObject: holds one reference and releases it at the end.
template <typename T>
class EngineObjectPtr {
  public:
    EngineObjectPtr() = default;
    EngineObjectPtr(const EngineObjectPtr& other) : object_(other.object_) {
        if (object_ != nullptr) {
            object_->AddRef();
        }
    }
    EngineObjectPtr(EngineObjectPtr&& other) noexcept
        : object_(std::exchange(other.object_, nullptr)) {}
    EngineObjectPtr& operator=(EngineObjectPtr other) noexcept {
        std::swap(object_, other.object_);
        return *this;
    }
    ~EngineObjectPtr() {
        if (object_ != nullptr) {
            object_->Release();
        }
    }

    // Creates a T that this pointer owns with the object's first reference.
    template <typename... Args>
    static EngineObjectPtr Make(Args&&... args) {
        EngineObjectPtr ptr;
        ptr.object_ = new T(std::forward<Args>(args)...);
        return ptr;
    }

    // A further owner of an object that already exists (null allowed): takes a reference.
    static EngineObjectPtr Share(T* object) {
        EngineObjectPtr ptr;
        ptr.object_ = object;
        if (object != nullptr) {
            object->AddRef();
        }
        return ptr;
    }

    T* get() const { return object_; }
    T* operator->() const { return object_; }
    T& operator*() const { return *object_; }
    explicit operator bool() const { return object_ != nullptr; }

  private:
    T* object_ = nullptr;
};

// Gives back a reference to an engine object that came with a callback's argument or a
// getter's result. Every engine object starts with cef_base_ref_counted_t, so this works
// for objects whose struct is declared opaque too. Null is allowed.
template <typename T>
void ReleaseEngineReference(T* object) {
    if (object != nullptr) {
        auto* base = reinterpret_cast<cef_base_ref_counted_t*>(object);
        base->release(base);
    }
}

}  // namespace quillmoor
