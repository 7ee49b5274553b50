// Links an image of 100,000 relocations against the full registry, the way
// the stand-alone loader does, and reports the time per relocation.

#include <windows.h>

#include <chrono>
#include <cstdio>
#include <string>
#include <unordered_map>
#include <vector>

#include "runtime/QXLinkKey.h"
#include "runtime/QXModuleImage.h"
#include "runtime/QXRuntime.h"
#include "bench/BenchSupport.h"

namespace {
void put32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}
void putRecord(std::vector<std::uint8_t>& out, const std::string& name, std::uint32_t offset) {
    out.insert(out.end(), name.begin(), name.end());
    out.push_back(0);
    put32(out, offset);
}
}  // namespace

int main() {
    constexpr int kRelocations = 100000;
    Runtime* runtime = runtimeGetRuntime();
    std::vector<std::string> keys;
    while (const char* s = runtime->nextSym()) keys.push_back(linkKey(s));

    // Half relative to runtime names, half absolute to module symbols.
    std::vector<std::uint8_t> image;
    const std::uint32_t codeSize = kRelocations * 4;
    put32(image, codeSize);
    image.resize(image.size() + codeSize, 0);
    put32(image, 1000);
    for (int i = 0; i < 1000; ++i) putRecord(image, "sym" + std::to_string(i), static_cast<std::uint32_t>(i * 4));
    put32(image, kRelocations / 2);
    for (int i = 0; i < kRelocations / 2; ++i) putRecord(image, keys[i % keys.size()], static_cast<std::uint32_t>(i * 4));
    put32(image, kRelocations / 2);
    for (int i = kRelocations / 2; i < kRelocations; ++i)
        putRecord(image, "sym" + std::to_string(i % 1000), static_cast<std::uint32_t>(i * 4));

    std::vector<std::uint8_t> code(codeSize), plainCode(codeSize);
    auto start = std::chrono::steady_clock::now();
    QXLinkTable table;
    while (const char* s = runtime->nextSym()) table.add(s, static_cast<std::uint32_t>(runtime->symValue(s)));
    auto resolve = [&](std::string_view name) { return table.find(name); };
    QXImageLinkResult result = linkModuleImage(image.data(), image.size(), resolve, [&](std::size_t) { return code.data(); });
    auto elapsed = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    if (!result.ok()) {
        std::printf("link failed: %s\n", result.error.c_str());
        return 1;
    }
    // Baseline in this process: the same names looked up in a std::unordered_map
    // built from the same registry, one lookup and one store per relocation.
    start = std::chrono::steady_clock::now();
    std::unordered_map<std::string, std::uint32_t> plain;
    while (const char* s = runtime->nextSym()) plain.emplace(linkKey(s), static_cast<std::uint32_t>(runtime->symValue(s)));
    for (int i = 0; i < 1000; ++i) plain.emplace("sym" + std::to_string(i), static_cast<std::uint32_t>(i * 4));
    std::uint32_t* words = reinterpret_cast<std::uint32_t*>(plainCode.data());
    for (int i = 0; i < kRelocations; ++i) {
        const std::string& name = i < kRelocations / 2 ? keys[i % keys.size()] : "sym" + std::to_string(i % 1000);
        auto found = plain.find(name);
        words[i] += found == plain.end() ? 0 : found->second;
    }
    auto baseline = std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count();
    std::printf("linker: %d relocations against %zu registry entries: %.1f ns per relocation; "
                "std::unordered_map lookups of the same names %.1f ns: ratio %.2f\n",
                kRelocations, keys.size(), elapsed / kRelocations, baseline / kRelocations, elapsed / baseline);
    // Word by word, the linked code against the plain lookups: relative
    // records (the first half) subtract their place, module symbols (the
    // second) add the code's address.
    const std::uint32_t* linked = reinterpret_cast<const std::uint32_t*>(code.data());
    const auto base = static_cast<std::uint32_t>(reinterpret_cast<std::uintptr_t>(code.data()));
    bool same = true;
    for (int i = 0; i < kRelocations; ++i)
        same = same && (i < kRelocations / 2 ? linked[i] + base + std::uint32_t(i) * 4 : linked[i] - base) == words[i];
    costFigure("link 100,000 relocations", elapsed, baseline, "std::unordered_map lookups", 0, same);
    return benchStatus();
}
