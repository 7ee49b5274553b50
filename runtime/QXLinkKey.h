#pragma once
#include <string>
#include <string_view>

// The name under which the loader files a registry entry: "_" + text for
// entry points ("_qxStrConcat" -> "__qxStrConcat"), "_f" + the lower-cased
// command name for commands ("%CreateWindow$text..." -> "_fcreatewindow").
std::string linkKey(std::string_view signature);

#include <cstdint>
#include <optional>
#include <unordered_map>

// The runtime's side of linking: registry entries filed under their link
// keys. A key derived twice keeps the entry added later.
class QXLinkTable {
public:
    void add(std::string_view signature, std::uint32_t address) { table_[linkKey(signature)] = address; }
    std::optional<std::uint32_t> find(std::string_view name) const {
        auto it = table_.find(std::string(name));
        if (it == table_.end()) return std::nullopt;
        return it->second;
    }
    std::size_t size() const { return table_.size(); }

private:
    std::unordered_map<std::string, std::uint32_t> table_;
};
