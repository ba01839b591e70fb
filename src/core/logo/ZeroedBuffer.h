#pragma once

#include <cstdlib>
#include <cstring>
#include <new>

// A fixed-size buffer that starts all zero without touching its memory: the pages come
// zeroed from the system when first used, so a store or surface that a picture fills only
// in part costs nothing for the rest (and a short-lived kvuctl run does not clear megabytes
// twice).
template <class T> class CZeroedBuffer {
public:
    explicit CZeroedBuffer(size_t count)
        : m_data(static_cast<T*>(std::calloc(count ? count : 1, sizeof(T)))), m_size(count) {
        if (!m_data)
            throw std::bad_alloc();
    }
    ~CZeroedBuffer() { std::free(m_data); }
    CZeroedBuffer(const CZeroedBuffer&) = delete;
    CZeroedBuffer& operator=(const CZeroedBuffer&) = delete;

    T* data() { return m_data; }
    const T* data() const { return m_data; }
    size_t size() const { return m_size; }
    T* begin() { return m_data; }
    T* end() { return m_data + m_size; }
    const T* begin() const { return m_data; }
    const T* end() const { return m_data + m_size; }

private:
    T* m_data;
    size_t m_size;
};
