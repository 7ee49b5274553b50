// qxheader OUTPUT.H | --registry OUTPUT.TXT | --index OUTPUT.MD PAGE.MD...
// Writes the C header through which C programs call the runtime exactly as
// compiled code does: every registered command and entry point with its
// callee-pops convention and link name. It also refuses a command whose C
// function does not take and return what its signature says. The other two
// forms list the registry for the reference's checks and write the
// reference's index from it.

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "runtime/QXLinkKey.h"
#include "runtime/QXRegistry.h"

namespace {

const std::set<std::string> kCKeywords = {"auto", "break", "case", "char", "const", "continue", "default", "do",
    "double", "else", "enum", "extern", "float", "for", "goto", "if", "inline", "int", "long", "register",
    "restrict", "return", "short", "signed", "sizeof", "static", "struct", "switch", "typedef", "union",
    "unsigned", "void", "volatile", "while"};

const char* cType(char code) {
    switch (code) {
        case 'v': return "void";
        case 'i': return "int";
        case 'f': return "float";
        case 's': return "QXString*";
        default: return "void*";
    }
}

bool sigilMatches(char sigil, char code) {
    switch (sigil) {
        case '%': return code == 'i' || code == 'p';
        case '#': return code == 'f';
        case '$': return code == 's';
        default: return code == 'v';
    }
}

struct Parameter {
    char sigil;
    std::string name;
    std::string defaultValue;
};

struct ParsedSignature {
    char result = 0;
    std::string name;
    std::vector<Parameter> parameters;
};

ParsedSignature parse(const std::string& signature) {
    ParsedSignature parsed;
    std::size_t i = 0;
    if (signature[0] == '%' || signature[0] == '#' || signature[0] == '$') parsed.result = signature[i++];
    while (i < signature.size() && signature[i] != '%' && signature[i] != '#' && signature[i] != '$')
        parsed.name += signature[i++];
    while (i < signature.size()) {
        Parameter p{signature[i++], "", ""};
        while (i < signature.size() && signature[i] != '%' && signature[i] != '#' && signature[i] != '$' &&
               signature[i] != '=')
            p.name += signature[i++];
        if (i < signature.size() && signature[i] == '=') {
            ++i;
            // A string default is "" and may not contain a sigil; numbers are digits.
            while (i < signature.size() && signature[i] != '%' && signature[i] != '#' && signature[i] != '$')
                p.defaultValue += signature[i++];
        }
        parsed.parameters.push_back(p);
    }
    return parsed;
}

std::string parameterName(const std::string& name) { return kCKeywords.count(name) ? name + "_" : name; }

// A registered function as C sees it: its result, name and parameters (each a
// type, then a name when the registry gives one).
struct Declaration {
    std::string result;
    std::string name;
    std::vector<std::string> parameters;
    bool data = false;
};

std::string prototype(const Declaration& d, const char* convention) {
    if (d.data) return "extern char " + d.name + "[]";
    std::string text = d.result + (convention ? std::string(" ") + convention : "") + " " + d.name + "(";
    if (d.parameters.empty()) text += "void";
    for (std::size_t i = 0; i < d.parameters.size(); ++i) text += (i ? ", " : "") + d.parameters[i];
    return text + ")";
}

bool describeCommand(const QXSymbol& symbol, Declaration& d) {
    ParsedSignature sig = parse(symbol.signature);
    std::string types = symbol.types;
    bool ok = types.size() == sig.parameters.size() + 1 && sigilMatches(sig.result, types[0]);
    for (std::size_t i = 0; ok && i < sig.parameters.size(); ++i) ok = sigilMatches(sig.parameters[i].sigil, types[i + 1]);
    if (!ok) {
        std::fprintf(stderr, "qxheader: the function registered as \"%s\" has the C type %s\n", symbol.signature,
                     symbol.types);
        return false;
    }
    d.result = cType(types[0]);
    d.name = sig.name;
    for (std::size_t i = 0; i < sig.parameters.size(); ++i)
        d.parameters.push_back(std::string(cType(types[i + 1])) + " " + parameterName(sig.parameters[i].name));
    return true;
}

void describeEntryPoint(const QXSymbol& symbol, Declaration& d) {
    std::string types = symbol.types;
    d.name = symbol.signature;
    d.data = types == "d";
    if (d.data) return;
    d.result = cType(types[0]);
    for (std::size_t i = 1; i < types.size(); ++i) d.parameters.push_back(cType(types[i]));
}

bool isEntryPoint(const QXSymbol& symbol) { return symbol.signature[0] == '_'; }

bool describe(const QXSymbol& symbol, Declaration& d) {
    if (isEntryPoint(symbol)) {
        describeEntryPoint(symbol, d);
        return true;
    }
    return describeCommand(symbol, d);
}

// Every registered symbol, in link-group order then table order.
std::vector<const QXSymbol*> registeredSymbols() {
    std::vector<const QXSymbol*> symbols;
    for (QXLinkGroup group : {QXLinkGroup::Core, QXLinkGroup::System, QXLinkGroup::Gui, QXLinkGroup::Graphics})
        for (const QXSymbolTable* table = QXSymbolTable::first(); table; table = table->next())
            if (table->group() == group)
                for (const QXSymbol& symbol : *table) symbols.push_back(&symbol);
    return symbols;
}

bool writeFile(const char* path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
    return static_cast<bool>(file);
}

int writeHeader(const char* path) {
    std::ostringstream out;
    out << "/* The Quelt runtime as compiled code sees it. Generated from the runtime's\n"
           "   registry by qxheader: do not edit. */\n"
           "#ifndef QUELT_H\n#define QUELT_H\n\n"
           "#define QXCALL __attribute__((stdcall))\n"
           "typedef struct QXString QXString;\n\n";
    bool ok = true;
    for (const QXSymbol* symbol : registeredSymbols()) {
        Declaration d;
        if (!describe(*symbol, d)) {
            ok = false;
            continue;
        }
        if (!isEntryPoint(*symbol)) out << "/* " << symbol->signature << " */\n";
        out << prototype(d, d.data ? nullptr : "QXCALL") << " __asm__(\"" << linkKey(symbol->signature) << "\");\n";
    }
    out << "\n#endif\n";
    if (!ok) return 1;
    return writeFile(path, out.str()) ? 0 : 1;
}

// One line per symbol for the reference's checks:
// kind TAB name TAB decorated signature TAB C prototype.
int writeRegistry(const char* path) {
    std::ostringstream out;
    bool ok = true;
    for (const QXSymbol* symbol : registeredSymbols()) {
        Declaration d;
        if (!describe(*symbol, d)) {
            ok = false;
            continue;
        }
        out << (isEntryPoint(*symbol) ? "entry" : "command") << '\t' << d.name << '\t' << symbol->signature << '\t'
            << prototype(d, nullptr) << ";\n";
    }
    if (!ok) return 1;
    return writeFile(path, out.str()) ? 0 : 1;
}

// The anchor a Markdown renderer gives a heading: lower case, punctuation
// other than '-' and '_' dropped, spaces as '-'; repeats get "-1", "-2", ...
std::string anchorOf(const std::string& heading, std::map<std::string, int>& seen) {
    std::string slug;
    for (unsigned char c : heading) {
        if (std::isalnum(c) || c == '-' || c == '_')
            slug += static_cast<char>(std::tolower(c));
        else if (c == ' ')
            slug += '-';
        else if (c >= 0x80)
            slug += static_cast<char>(c);
    }
    int repeats = seen[slug]++;
    return repeats ? slug + "-" + std::to_string(repeats) : slug;
}

struct Entry {
    std::string page;
    std::string anchor;
    std::string pageTitle;
};

// Reads each page's "### Name" headings: the entry for Name. Every heading
// counts towards the anchors, since renderers number repeats across levels.
bool readPages(const std::vector<std::string>& pages, std::map<std::string, Entry>& entries,
               std::vector<std::pair<std::string, std::string>>& titles) {
    for (const std::string& path : pages) {
        std::ifstream file(path, std::ios::binary);
        if (!file) {
            std::fprintf(stderr, "qxheader: cannot read %s\n", path.c_str());
            return false;
        }
        std::string page = path.substr(path.find_last_of("/\\") + 1);
        std::map<std::string, int> seen;
        std::string title;
        std::string line;
        bool inFence = false;
        while (std::getline(file, line)) {
            if (!line.empty() && line.back() == '\r') line.pop_back();
            if (line.rfind("```", 0) == 0) inFence = !inFence;
            if (inFence || line.empty() || line[0] != '#') continue;
            std::size_t level = line.find_first_not_of('#');
            if (level == std::string::npos || line[level] != ' ') continue;
            std::string heading = line.substr(level + 1);
            while (!heading.empty() && heading.back() == ' ') heading.pop_back();
            std::string anchor = anchorOf(heading, seen);
            if (level == 1 && title.empty()) title = heading;
            if (level == 3 && !entries.count(heading)) entries[heading] = {page, anchor, title};
        }
        titles.emplace_back(page, title.empty() ? page : title);
    }
    return true;
}

std::string lowered(const std::string& text) {
    std::string result;
    for (unsigned char c : text) result += static_cast<char>(std::tolower(c));
    return result;
}

void listNames(std::ostream& out, std::vector<std::string> names, const std::map<std::string, Entry>& entries,
               std::size_t skip) {
    std::sort(names.begin(), names.end(), [&](const std::string& a, const std::string& b) {
        std::string la = lowered(a.substr(skip)), lb = lowered(b.substr(skip));
        return la != lb ? la < lb : a < b;
    });
    char letter = 0;
    for (const std::string& name : names) {
        char first = static_cast<char>(std::toupper(static_cast<unsigned char>(name[skip])));
        if (first != letter) {
            letter = first;
            out << "\n**" << letter << "**\n\n";
        }
        auto entry = entries.find(name);
        if (entry == entries.end())
            out << "- " << name << " (no entry yet)\n";
        else
            out << "- [" << name << "](" << entry->second.page << "#" << entry->second.anchor << ") · "
                << entry->second.pageTitle << "\n";
    }
}

// The reference's index: every command and entry point, A to Z, linked to
// the page whose "### Name" heading describes it.
int writeIndex(const char* path, const std::vector<std::string>& pages) {
    std::map<std::string, Entry> entries;
    std::vector<std::pair<std::string, std::string>> titles;
    if (!readPages(pages, entries, titles)) return 1;
    std::sort(titles.begin(), titles.end());
    std::vector<std::string> commands, entryPoints;
    for (const QXSymbol* symbol : registeredSymbols()) {
        Declaration d;
        if (!describe(*symbol, d)) return 1;
        (isEntryPoint(*symbol) ? entryPoints : commands).push_back(d.name);
    }
    std::ostringstream out;
    out << "# Index\n\n"
           "Every command and entry point the runtime registers, A to Z, linked to its\n"
           "entry. Generated from the registry by `qxheader --index`: do not edit (the\n"
           "build writes `build/reference/index.md`; the test `Reference.IndexIsCurrent`\n"
           "compares the two).\n\n"
           "## Pages\n\n";
    for (const auto& [page, title] : titles) out << "- [" << title << "](" << page << ")\n";
    out << "\n## Commands (" << commands.size() << ")\n";
    listNames(out, commands, entries, 0);
    out << "\n## Entry points (" << entryPoints.size() << ")\n\n"
           "Called by compiled code; sorted without their `_qx` prefix.\n";
    listNames(out, entryPoints, entries, 3);
    return writeFile(path, out.str()) ? 0 : 1;
}

int usage() {
    std::fprintf(stderr,
                 "usage: qxheader OUTPUT.h\n"
                 "       qxheader --registry OUTPUT.txt\n"
                 "       qxheader --index OUTPUT.md PAGE.md...\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && argv[1][0] != '-') return writeHeader(argv[1]);
    if (argc == 3 && std::string(argv[1]) == "--registry") return writeRegistry(argv[2]);
    if (argc >= 3 && std::string(argv[1]) == "--index")
        return writeIndex(argv[2], std::vector<std::string>(argv + 3, argv + argc));
    return usage();
}
