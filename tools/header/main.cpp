// qxheader OUTPUT.H
// Writes the C header through which C programs call the runtime exactly as
// compiled code does: every registered command and entry point with its
// callee-pops convention and link name. It also refuses a command whose C
// function does not take and return what its signature says.

#include <cstdio>
#include <fstream>
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

bool declareCommand(std::ostream& out, const QXSymbol& symbol) {
    ParsedSignature sig = parse(symbol.signature);
    std::string types = symbol.types;
    bool ok = types.size() == sig.parameters.size() + 1 && sigilMatches(sig.result, types[0]);
    for (std::size_t i = 0; ok && i < sig.parameters.size(); ++i) ok = sigilMatches(sig.parameters[i].sigil, types[i + 1]);
    if (!ok) {
        std::fprintf(stderr, "qxheader: the function registered as \"%s\" has the C type %s\n", symbol.signature,
                     symbol.types);
        return false;
    }
    out << "/* " << symbol.signature << " */\n";
    out << cType(types[0]) << " QXCALL " << sig.name << "(";
    if (sig.parameters.empty()) out << "void";
    for (std::size_t i = 0; i < sig.parameters.size(); ++i)
        out << (i ? ", " : "") << cType(types[i + 1]) << " " << parameterName(sig.parameters[i].name);
    out << ") __asm__(\"" << linkKey(symbol.signature) << "\");\n";
    return true;
}

void declareEntryPoint(std::ostream& out, const QXSymbol& symbol) {
    std::string types = symbol.types;
    if (types == "d") {
        out << "extern char " << symbol.signature << "[] __asm__(\"" << linkKey(symbol.signature) << "\");\n";
        return;
    }
    out << cType(types[0]) << " QXCALL " << symbol.signature << "(";
    if (types.size() == 1) out << "void";
    for (std::size_t i = 1; i < types.size(); ++i) out << (i > 1 ? ", " : "") << cType(types[i]);
    out << ") __asm__(\"" << linkKey(symbol.signature) << "\");\n";
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: qxheader output.h\n");
        return 2;
    }
    std::ostringstream out;
    out << "/* The Quelt runtime as compiled code sees it. Generated from the runtime's\n"
           "   registry by qxheader: do not edit. */\n"
           "#ifndef QUELT_H\n#define QUELT_H\n\n"
           "#define QXCALL __attribute__((stdcall))\n"
           "typedef struct QXString QXString;\n\n";
    bool ok = true;
    for (QXLinkGroup group : {QXLinkGroup::Core, QXLinkGroup::System, QXLinkGroup::Gui, QXLinkGroup::Graphics}) {
        for (const QXSymbolTable* table = QXSymbolTable::first(); table; table = table->next()) {
            if (table->group() != group) continue;
            for (const QXSymbol& symbol : *table) {
                if (symbol.signature[0] == '_')
                    declareEntryPoint(out, symbol);
                else
                    ok = declareCommand(out, symbol) && ok;
            }
        }
    }
    out << "\n#endif\n";
    if (!ok) return 1;
    std::ofstream file(argv[1], std::ios::binary);
    file << out.str();
    return file ? 0 : 1;
}
