#pragma once
// The symbol registry: every command and code-generation entry point, filed
// under its decorated signature. Each subsystem declares its commands in a
// table beside their code:
//
//     static const QXSymbol commands[] = {
//         QX_COMMAND("%ActiveObjects", ActiveObjects),
//     };
//     QX_REGISTER_SYMBOLS(QXLinkGroup::System, commands);
//
// Registered functions use the callee-pops convention (QXCALL); the table
// records each function's C type so that tools can check and declare it.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <type_traits>


#if defined(__i386__)
#define QXCALL __attribute__((stdcall))
#else
// Native builds of the portable code (64-bit hosts) have a single convention.
#define QXCALL
#endif

class QXString;

// The four link routines, in the order the registry runs them.
enum class QXLinkGroup { Core, System, Gui, Graphics };

struct QXSymbol {
    const char* signature;
    void* address;
    // C type: result then parameters; 'v' void, 'i' int, 'f' float,
    // 's' QXString*, 'p' any other pointer; "d" marks a data object.
    const char* types;
};

namespace qxdetail {
template <class T> struct TypeChar { static constexpr char value = 'p'; };
template <> struct TypeChar<void> { static constexpr char value = 'v'; };
template <> struct TypeChar<int> { static constexpr char value = 'i'; };
template <> struct TypeChar<unsigned> { static constexpr char value = 'i'; };
template <> struct TypeChar<float> { static constexpr char value = 'f'; };
template <> struct TypeChar<QXString*> { static constexpr char value = 's'; };

template <class F> struct FunctionTypes;  // only callee-pops functions qualify
template <class R, class... A> struct FunctionTypes<R(QXCALL*)(A...)> {
    // Pointers are wider only in native builds of the portable code.
    static_assert(((sizeof(A) == 4 || std::is_pointer_v<A>) && ...), "every parameter travels as one 32-bit slot");
    static constexpr char value[] = {TypeChar<R>::value, TypeChar<A>::value..., 0};
};
}  // namespace qxdetail

// Every registered function is reached through a guard generated with the
// table: no C++ exception may leave into compiled code, so one that escapes a
// command or entry point becomes a runtime error ("Out of memory" for a failed
// allocation). The error is raised after the handler has been left, never by a
// jump from inside it. The guard holds no object with a destructor, so the
// runtime errors that commands raise themselves pass through it untouched.
namespace qxdetail {
// Called inside the guard's handler: notes what escaped ("Out of memory" for
// a failed allocation, else the exception's text), raising nothing.
void noteEscapedException();
// Called once the handler has been left: raises the noted runtime error.
[[noreturn]] void raiseEscapedException();

template <auto F, class Fn = decltype(F)> struct Guarded;
template <auto F, class R, class... A> struct Guarded<F, R(QXCALL*)(A...)> {
    // Nothing but the call on the hot path: the handling is out of line.
    static R QXCALL call(A... args) {
        try {
            return F(args...);
        } catch (...) {
            noteEscapedException();
        }
        raiseEscapedException();
    }
};
}  // namespace qxdetail

#define QX_COMMAND(signature, function)                                                 \
    QXSymbol {                                                                          \
        signature, reinterpret_cast<void*>(&qxdetail::Guarded<&function>::call),        \
            qxdetail::FunctionTypes<decltype(&function)>::value                         \
    }
#define QX_DATA(name, object) \
    QXSymbol { name, const_cast<void*>(static_cast<const void*>(&object)), "d" }

// One statically registered table; the tables form an intrusive list built
// during static construction.
class QXSymbolTable {
public:
    template <std::size_t N>
    QXSymbolTable(QXLinkGroup group, const QXSymbol (&symbols)[N]) : QXSymbolTable(group, symbols, N) {}
    QXSymbolTable(QXLinkGroup group, const QXSymbol* symbols, std::size_t count);

    QXLinkGroup group() const { return group_; }
    const QXSymbol* begin() const { return symbols_; }
    const QXSymbol* end() const { return symbols_ + count_; }
    const QXSymbolTable* next() const { return next_; }
    static const QXSymbolTable* first();

private:
    QXLinkGroup group_;
    const QXSymbol* symbols_;
    std::size_t count_;
    const QXSymbolTable* next_;
};

#define QX_CONCAT_INNER(a, b) a##b
#define QX_CONCAT(a, b) QX_CONCAT_INNER(a, b)
#define QX_REGISTER_SYMBOLS(group, table) \
    static const QXSymbolTable QX_CONCAT(qxSymbolTable_, __LINE__) { group, table }

using QXRegisterFn = void (*)(const char* signature, void* address);

void linkCore(QXRegisterFn registerSymbol);
void linkSystem(QXRegisterFn registerSymbol);
void linkGui(QXRegisterFn registerSymbol);
void linkGraphics(QXRegisterFn registerSymbol);

// The registry as the Runtime interface exposes it.
const char* registryNextSym();
int registrySymValue(const char* signature);
void registryClear();
// Looks a registered symbol up by signature (for tools); null when absent.
const QXSymbol* findRegisteredSymbol(std::string_view signature);
