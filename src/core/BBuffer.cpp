#include "BBuffer.h"

#include <cstdlib>
#include <cstring>

CBBuffer::CBBuffer() : m_data(nullptr), m_size(0), m_owns(true) {}

CBBuffer::CBBuffer(int size) : m_data(nullptr), m_size(0), m_owns(true) {
    resize(size);
}

CBBuffer::CBBuffer(unsigned char* data, int size, bool owns) : m_data(data), m_size(size), m_owns(owns) {
    m_capacity = 0; // unknown: foreign storage is never written past its size
}

CBBuffer::~CBBuffer() {
    Free();
}

CBBuffer::CBBuffer(const CBBuffer& other) : m_data(nullptr), m_size(0), m_owns(true) {
    AttachBuffer(reinterpret_cast<const char*>(other.m_data), other.m_size);
}

CBBuffer& CBBuffer::operator=(const CBBuffer& other) {
    if (this != &other) {
        CBBuffer copy(other);
        Free();
        m_owns = true;
        m_data = copy.m_data;
        m_size = copy.m_size;
        m_capacity = copy.m_capacity;
        copy.m_data = nullptr;
        copy.m_size = 0;
    }
    return *this;
}

void CBBuffer::Free() {
    if (m_size != 0 && m_owns)
        std::free(m_data);
    else if (m_owns && m_data && m_capacity > 0)
        std::free(m_data); // owned storage of an empty buffer (e.g. after GetStrBuffer)
    m_data = nullptr;
    m_size = 0;
    m_capacity = 0;
}

void CBBuffer::SetBuffer(unsigned char* data, int size, bool owns) {
    Free();
    m_data = data;
    m_size = size;
    m_owns = owns;
    m_capacity = 0;
}

void CBBuffer::resize(int size) {
    if (size < 0)
        size = 0;
    const bool ownStorage = m_owns && m_capacity > 0;
    if (ownStorage && size + 1 <= m_capacity) {
        m_size = size;
        return;
    }
    int capacity = size + 1;
    if (ownStorage && capacity < m_capacity * 2)
        capacity = m_capacity * 2;
    auto* fresh = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(capacity)));
    if (!fresh)
        return;
    const int keep = m_size < size ? m_size : size;
    if (keep > 0 && m_data)
        std::memcpy(fresh, m_data, static_cast<size_t>(keep));
    Free();
    m_data = fresh;
    m_size = size;
    m_owns = true;
    m_capacity = capacity;
}

void CBBuffer::AttachBuffer(const char* bytes, int count) {
    if (count <= 0 || !bytes)
        return;
    const int old = m_size;
    resize(old + count);
    if (m_size == old + count)
        std::memcpy(m_data + old, bytes, static_cast<size_t>(count));
}

int CBBuffer::Attachstr(const char* text) {
    if (!text)
        return 0;
    const int len = static_cast<int>(std::strlen(text));
    AttachBuffer(text, len);
    return len;
}

void CBBuffer::Attach(CBBuffer& other) {
    AttachBuffer(reinterpret_cast<const char*>(other.m_data), other.m_size);
}

const char* CBBuffer::GetStrBuffer() {
    if (!(m_owns && m_capacity > m_size)) {
        // Foreign or full storage: move the bytes into owned storage with room for the terminator.
        const int n = m_size;
        auto* fresh = static_cast<unsigned char*>(std::malloc(static_cast<size_t>(n) + 1));
        if (!fresh)
            return "";
        if (n > 0)
            std::memcpy(fresh, m_data, static_cast<size_t>(n));
        Free();
        m_data = fresh;
        m_size = n;
        m_owns = true;
        m_capacity = n + 1;
    }
    m_data[m_size] = 0;
    return reinterpret_cast<const char*>(m_data);
}
