#pragma once
// Just enough of the i386 COFF object format to merge objects into a module.

#include <cstdint>
#include <string>
#include <vector>

struct CoffRelocation {
    std::uint32_t offset;  // within the section
    std::uint32_t symbol;  // symbol table index
    std::uint16_t type;
};

struct CoffSection {
    std::string name;
    std::uint32_t characteristics = 0;
    std::uint32_t size = 0;
    std::vector<std::uint8_t> bytes;  // empty for uninitialised data
    std::vector<CoffRelocation> relocations;

    bool uninitialised() const { return characteristics & 0x80; }
    bool discarded() const;
    std::uint32_t alignment() const;
};

struct CoffSymbol {
    std::string name;
    std::uint32_t value = 0;
    std::int16_t section = 0;  // 1-based; 0 undefined (or common), -1 absolute, -2 debug
    std::uint8_t storageClass = 0;
    bool present = false;      // false for auxiliary records
};

struct CoffObject {
    std::string file;
    std::vector<CoffSection> sections;
    std::vector<CoffSymbol> symbols;  // indexed as in the file, auxiliary slots included
};

// Throws std::runtime_error with a readable message for a malformed object.
CoffObject readCoffObject(const std::string& file);

constexpr std::uint16_t kRelocAbsolute = 0x0000;
constexpr std::uint16_t kRelocDir32 = 0x0006;
constexpr std::uint16_t kRelocRel32 = 0x0014;
constexpr std::uint8_t kClassExternal = 2;
constexpr std::uint8_t kClassStatic = 3;
constexpr std::uint8_t kClassLabel = 6;
