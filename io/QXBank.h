#pragma once
// Banks: blocks of raw memory the program addresses by byte offset. An owning
// bank owns (and can resize) its memory; a view bank shows memory that another
// part of the runtime owns, such as the pixels of a locked buffer.

#include <cstdint>

#include "runtime/QXObject.h"

class QXBank : public QXResource {
public:
    // An owning bank of `size` zero bytes (capacity size + 10).
    explicit QXBank(int size);
    // A view bank, pointing nowhere until setData.
    QXBank();
    ~QXBank() override;

    bool isView() const { return capacity == 0; }
    void setData(void* memory, int viewSize);
    void resize(int newSize);
    void reserve(int newCapacity);

    // Stops with a runtime error unless [offset, offset + count) lies within the bank.
    void checkRange(int offset, int count) const;

    std::uint8_t* data = nullptr;
    int size = 0;
    int capacity = 0;  // 0 marks a view bank
};

// The handle as a bank, or "Invalid Bank handle".
QXBank* checkBank(int handle);
