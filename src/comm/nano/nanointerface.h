#pragma once

#include <atomic>
#include <cstdint>
#include <utility>

// Reference counting shared by every object of the message framework. A new object starts
// with one reference, held by whoever created it; the last Release destroys it. The count is
// atomic because replies are decoded on the sender's threads and handed to the windows.
class INanoInterface {
public:
    virtual std::uint32_t AddRef() { return m_references.fetch_add(1, std::memory_order_relaxed) + 1; }
    virtual std::uint32_t Release() {
        const std::uint32_t left = m_references.fetch_sub(1, std::memory_order_acq_rel) - 1;
        if (left == 0)
            delete this;
        return left;
    }

protected:
    INanoInterface() = default;
    // A copy is a new object: it gets its own single reference, not the source's count.
    INanoInterface(const INanoInterface&) {}
    INanoInterface& operator=(const INanoInterface&) { return *this; }
    // Only Release destroys counted objects; messages built on the stack die as usual.
    virtual ~INanoInterface() = default;

private:
    std::atomic<std::uint32_t> m_references{1};
};

// Holds one reference of a counted object.
template <class T> class NanoPtr {
public:
    NanoPtr() = default;
    NanoPtr(std::nullptr_t) {}
    // Takes over the creator's reference of a new object.
    explicit NanoPtr(T* adopted) : m_object(adopted) {}
    NanoPtr(const NanoPtr& other) : m_object(other.m_object) {
        if (m_object)
            m_object->AddRef();
    }
    NanoPtr(NanoPtr&& other) noexcept : m_object(std::exchange(other.m_object, nullptr)) {}
    template <class U> NanoPtr(NanoPtr<U>&& other) noexcept : m_object(other.Detach()) {}
    ~NanoPtr() { Reset(); }

    NanoPtr& operator=(NanoPtr other) noexcept {
        std::swap(m_object, other.m_object);
        return *this;
    }

    // A pointer that someone else holds a reference to: this one adds its own.
    static NanoPtr Share(T* object) {
        if (object)
            object->AddRef();
        return NanoPtr(object);
    }

    T* get() const { return m_object; }
    T* operator->() const { return m_object; }
    T& operator*() const { return *m_object; }
    explicit operator bool() const { return m_object != nullptr; }

    void Reset() {
        if (m_object)
            std::exchange(m_object, nullptr)->Release();
    }
    // Hands the reference to the caller.
    [[nodiscard]] T* Detach() { return std::exchange(m_object, nullptr); }

private:
    T* m_object = nullptr;
};
