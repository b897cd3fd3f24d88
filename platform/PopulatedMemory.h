// Memory for data that a run fills once and keeps: taken from the system in
// one piece, in pages as large as the system gives, provided at once.
// Memory from the heap gets 4 kB pages one at a time, each at its first
// touch, and in a virtual machine each first touch is a trip through the
// hypervisor: a run's hourly series, some 2,000 such pages, cost more in
// those trips than in copying the values.
#pragma once

#include <cstddef>

class PopulatedMemory {
public:
    // At least iBytes of zeroed, writable memory (Size() says how much);
    // Data() is null when the system has none to give.
    explicit PopulatedMemory(size_t iBytes);
    ~PopulatedMemory();
    PopulatedMemory(const PopulatedMemory &) = delete;
    PopulatedMemory &operator=(const PopulatedMemory &) = delete;

    void *Data() const { return m_pData; }
    size_t Size() const { return m_iBytes; }

private:
    void *m_pData = nullptr;
    size_t m_iBytes = 0;
};
