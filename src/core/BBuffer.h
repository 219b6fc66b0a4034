// CBBuffer: a malloc-backed byte container with an explicit ownership flag, used for hashes,
// signatures and property values.
#pragma once

#include <cstdio>

class CBBuffer {
public:
    CBBuffer();
    explicit CBBuffer(int size);
    CBBuffer(unsigned char* data, int size, bool owns);
    ~CBBuffer();

    // Copies are deep so two buffers never free the same bytes.
    CBBuffer(const CBBuffer& other);
    CBBuffer& operator=(const CBBuffer& other);

    void Free();
    unsigned char* GetBuffer() const { return m_data; }
    int size() const { return m_size; }
    void SetBuffer(unsigned char* data, int size, bool owns);
    int Attachstr(const char* text);
    void Attach(CBBuffer& other);
    void resize(int size);
    void AttachBuffer(const char* bytes, int count);
    const char* GetStrBuffer();

private:
    unsigned char* m_data;
    int m_size;
    bool m_owns;
    // Capacity of m_data when owned; one spare byte is always kept for GetStrBuffer's terminator.
    int m_capacity = 0;
};
