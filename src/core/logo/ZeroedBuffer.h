#pragma once

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#ifdef __linux__
#include <sys/mman.h>
#include <unistd.h>
#endif

// A fixed-size buffer that starts all zero without touching its memory: the pages come
// zeroed from the system when first used, so a store or surface that a picture fills only
// in part costs nothing for the rest (and a short-lived kvuctl run does not clear megabytes
// twice).
//
// On Linux a buffer of megabytes (the picture store, the surfaces) is asked to take huge
// pages: filling it then maps 2 MiB at a time instead of one 4 KiB page per fault, and
// those faults, not the copying, were most of the time a picture took from file to raster
// (in a virtual machine a fault costs microseconds). Only whole 2 MiB blocks inside the
// buffer become huge pages, so the buffer never holds more memory than it covers.
template <class T> class CZeroedBuffer {
public:
    explicit CZeroedBuffer(size_t count) : m_size(count) {
        const size_t bytes = (count ? count : 1) * sizeof(T);
#ifdef __linux__
        if (bytes >= kHugePage) {
            // Mapped with room to start at a 2 MiB boundary; the slack is given back.
            const size_t span = bytes + kHugePage;
            void* map =
                mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
            if (map != MAP_FAILED) {
                const auto base = reinterpret_cast<std::uintptr_t>(map);
                const std::uintptr_t start =
                    (base + kHugePage - 1) & ~std::uintptr_t(kHugePage - 1);
                const size_t page = size_t(sysconf(_SC_PAGESIZE));
                const size_t length = (bytes + page - 1) / page * page;
                if (start > base)
                    munmap(map, start - base);
                if (base + span > start + length)
                    munmap(reinterpret_cast<void*>(start + length), base + span - (start + length));
                m_mapped = length;
                m_data = reinterpret_cast<T*>(start);
                madvise(m_data, length, MADV_HUGEPAGE); // a hint: without it, plain pages
                return;
            }
        }
#endif
        m_data = static_cast<T*>(std::calloc(count ? count : 1, sizeof(T)));
        if (!m_data)
            throw std::bad_alloc();
    }
    ~CZeroedBuffer() {
#ifdef __linux__
        if (m_mapped) {
            munmap(m_data, m_mapped);
            return;
        }
#endif
        std::free(m_data);
    }
    CZeroedBuffer(const CZeroedBuffer&) = delete;
    CZeroedBuffer& operator=(const CZeroedBuffer&) = delete;

    T* data() {
        return m_data;
    }
    const T* data() const {
        return m_data;
    }
    size_t size() const {
        return m_size;
    }
    T* begin() {
        return m_data;
    }
    T* end() {
        return m_data + m_size;
    }
    const T* begin() const {
        return m_data;
    }
    const T* end() const {
        return m_data + m_size;
    }

private:
    static constexpr size_t kHugePage = size_t(2) << 20;
    T* m_data = nullptr;
    size_t m_size;
    size_t m_mapped = 0; // the length mapped, when the buffer is a mapping of its own
};
