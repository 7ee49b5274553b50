#pragma once
// Banks: blocks of raw memory the program addresses by byte offset. An owning
// bank owns (and can resize) its memory; a view bank shows memory that another
// part of the runtime owns, such as the pixels of a locked buffer.

#include <cstdint>

#include "runtime/QXObject.h"

class QXBank : public QXResource {
public:
    // A new owning bank of `size` zero bytes (capacity size + 10, a negative
    // size counting as 0); "Out of memory" when the memory cannot be had.
    static QXBank* create(int size);
    // A view bank, pointing nowhere until setData.
    QXBank();
    ~QXBank() override;

    bool isView() const { return capacity == 0; }
    void setData(void* memory, int viewSize);
    // Both stop with "Out of memory" when the memory cannot be had, leaving the bank as it was.
    void resize(int newSize);
    void reserve(std::int64_t newCapacity);

    // Stops with a runtime error unless [offset, offset + count) lies within the bank.
    void checkRange(int offset, int count) const;

    std::uint8_t* data = nullptr;
    int size = 0;
    int capacity = 0;  // 0 marks a view bank

private:
    QXBank(std::uint8_t* memory, int size, int capacity);
};

// The handle as a bank, or "Invalid Bank handle".
QXBank* checkBank(int handle);
