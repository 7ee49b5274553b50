#include "Packer.h"

#include <map>
#include <set>
#include <stdexcept>

namespace {

void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
std::uint32_t get32(const std::vector<std::uint8_t>& code, std::size_t at) {
    return std::uint32_t(code[at]) | std::uint32_t(code[at + 1]) << 8 | std::uint32_t(code[at + 2]) << 16 |
           std::uint32_t(code[at + 3]) << 24;
}
void set32(std::vector<std::uint8_t>& code, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) code[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
void putRecords(std::vector<std::uint8_t>& out, const std::vector<ModuleImage::Record>& records) {
    put32(out, static_cast<std::uint32_t>(records.size()));
    for (const auto& r : records) {
        out.insert(out.end(), r.name.begin(), r.name.end());
        out.push_back(0);
        put32(out, r.offset);
    }
}

class Merger {
public:
    explicit Merger(const std::vector<CoffObject>& objects) : objects_(objects) {}

    ModuleImage run(const PackOptions& options) {
        if (!options.entry.empty()) emitEntryStub(options.entry);
        placeSections();
        placeCommonSymbols();
        emitSymbols();
        emitRelocations();
        // A symbol may sit at the very end (an empty last section): keep every offset inside the code.
        if (image_.code.empty() || endSymbol_) image_.code.push_back(0);
        return std::move(image_);
    }

private:
    using SectionKey = std::pair<std::size_t, std::size_t>;  // object, section index

    void emitEntryStub(const std::string& entry) {
        // jmp rel32 to the entry; the field holds -4 so the loader leaves target - (p + 4).
        image_.code = {0xE9, 0xFC, 0xFF, 0xFF, 0xFF};
        image_.relative.push_back({entry, 1});
    }

    void align(std::uint32_t alignment) {
        while (image_.code.size() % alignment) image_.code.push_back(0x90);
    }

    void placeSections() {
        // Code first, then data, so the layout reads naturally in a dump.
        for (int pass = 0; pass < 2; ++pass) {
            for (std::size_t o = 0; o < objects_.size(); ++o) {
                const auto& sections = objects_[o].sections;
                for (std::size_t s = 0; s < sections.size(); ++s) {
                    const CoffSection& sec = sections[s];
                    bool isCode = sec.characteristics & 0x20;
                    if (sec.discarded() || isCode != (pass == 0)) continue;
                    align(sec.alignment());
                    base_[{o, s}] = static_cast<std::uint32_t>(image_.code.size());
                    if (sec.uninitialised())
                        image_.code.resize(image_.code.size() + sec.size, 0);
                    else
                        image_.code.insert(image_.code.end(), sec.bytes.begin(), sec.bytes.end());
                }
            }
        }
    }

    // Tentative definitions (`int x;` compiled with -fcommon) get zeroed space of their own.
    void placeCommonSymbols() {
        for (std::size_t o = 0; o < objects_.size(); ++o) {
            for (const CoffSymbol& sym : objects_[o].symbols) {
                if (!sym.present || sym.section != 0 || sym.storageClass != kClassExternal || sym.value == 0) continue;
                if (common_.count(sym.name)) continue;
                align(sym.value >= 8 ? 8 : 4);
                common_[sym.name] = static_cast<std::uint32_t>(image_.code.size());
                image_.code.resize(image_.code.size() + sym.value, 0);
            }
        }
    }

    void addSymbol(const std::string& name, std::uint32_t offset) {
        if (offset >= image_.code.size()) endSymbol_ = true;
        image_.symbols.push_back({name, offset});
    }

    void emitSymbols() {
        for (std::size_t o = 0; o < objects_.size(); ++o) {
            for (const CoffSymbol& sym : objects_[o].symbols) {
                if (!sym.present || sym.storageClass != kClassExternal || sym.section <= 0) continue;
                auto it = base_.find({o, sym.section - 1});
                if (it != base_.end()) addSymbol(sym.name, it->second + sym.value);
            }
        }
        for (const auto& [name, offset] : common_) addSymbol(name, offset);
    }

    // The name a relocation refers to: external names as they are, module-local
    // symbols (sections, static functions and data) through a symbol of their own.
    std::string targetName(std::size_t o, std::uint32_t index) {
        const auto& symbols = objects_[o].symbols;
        if (index >= symbols.size() || !symbols[index].present)
            throw std::runtime_error(objects_[o].file + ": relocation names a missing symbol");
        const CoffSymbol& sym = symbols[index];
        if (sym.storageClass == kClassExternal) return sym.name;
        if (sym.section <= 0)
            throw std::runtime_error(objects_[o].file + ": cannot express a reference to " + sym.name);
        auto it = base_.find({o, sym.section - 1});
        if (it == base_.end())
            throw std::runtime_error(objects_[o].file + ": reference into discarded section for " + sym.name);
        std::string name = "$local." + std::to_string(o) + "." + std::to_string(index) + "." + sym.name;
        if (localNames_.insert(name).second) addSymbol(name, it->second + sym.value);
        return name;
    }

    void emitRelocations() {
        for (std::size_t o = 0; o < objects_.size(); ++o) {
            const auto& sections = objects_[o].sections;
            for (std::size_t s = 0; s < sections.size(); ++s) {
                auto placed = base_.find({o, s});
                if (placed == base_.end()) continue;
                for (const CoffRelocation& r : sections[s].relocations) {
                    std::uint32_t at = placed->second + r.offset;
                    if (r.type == kRelocAbsolute) continue;
                    if (r.offset + 4 > sections[s].size)
                        throw std::runtime_error(objects_[o].file + ": relocation outside its section");
                    std::string target = targetName(o, r.symbol);
                    if (r.type == kRelocDir32) {
                        image_.absolute.push_back({target, at});
                    } else if (r.type == kRelocRel32) {
                        // COFF computes S + A - (P + 4); the loader adds S - P to the field.
                        set32(image_.code, at, get32(image_.code, at) - 4);
                        image_.relative.push_back({target, at});
                    } else {
                        throw std::runtime_error(objects_[o].file + ": unsupported relocation type " +
                                                 std::to_string(r.type));
                    }
                }
            }
        }
    }

    const std::vector<CoffObject>& objects_;
    ModuleImage image_;
    std::map<SectionKey, std::uint32_t> base_;
    std::map<std::string, std::uint32_t> common_;
    std::set<std::string> localNames_;
    bool endSymbol_ = false;
};

}  // namespace

std::vector<std::uint8_t> ModuleImage::serialise() const {
    std::vector<std::uint8_t> out;
    put32(out, static_cast<std::uint32_t>(code.size()));
    out.insert(out.end(), code.begin(), code.end());
    putRecords(out, symbols);
    putRecords(out, relative);
    putRecords(out, absolute);
    return out;
}

ModuleImage packObjects(const std::vector<CoffObject>& objects, const PackOptions& options) {
    return Merger(objects).run(options);
}
