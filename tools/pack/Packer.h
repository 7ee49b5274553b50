#pragma once
// Merges COFF objects into one module image: one code block (the entry stub
// first, then every kept section), the module's symbols, and the references
// the loader patches, relative ones and absolute ones.

#include <cstdint>
#include <string>
#include <vector>

#include "Coff.h"

struct ModuleImage {
    struct Record {
        std::string name;
        std::uint32_t offset;
    };
    std::vector<std::uint8_t> code;
    std::vector<Record> symbols;
    std::vector<Record> relative;
    std::vector<Record> absolute;

    std::vector<std::uint8_t> serialise() const;
};

struct PackOptions {
    std::string entry = "_qxmain";  // empty: the first section's first byte is the entry
};

// Throws std::runtime_error for relocations it cannot express.
ModuleImage packObjects(const std::vector<CoffObject>& objects, const PackOptions& options);
