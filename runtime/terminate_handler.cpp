// What the C++ runtime does when an exception finds no handler, or leaves a
// function that may not throw: it names what was thrown on stderr and aborts.
//
// The toolchain's own handler says the same, but first turns the type's
// recorded name into source form, and that demangler (with the C99 printf it
// formats with) is the largest single piece of the runtime a module links:
// about 70 KB of every module and program, for a line that no user of a
// windowed program sees. This one prints the name as the compiler recorded
// it ("St13runtime_error" for std::runtime_error); a developer reads it with
// c++filt.
//
// The runtime's default handler refers to this function by name: defining it
// here keeps the library's version, and the demangler with it, out of the
// link. No export lets an exception escape, so in a module this is the last
// word of a fault, not a path that a host takes.
#include <cxxabi.h>
#include <exception>
#include <stdio.h>
#include <stdlib.h>
#include <typeinfo>

namespace __gnu_cxx {

void __verbose_terminate_handler()
{
    static bool terminating = false;
    if (terminating) {
        fputs("terminate called recursively\n", stderr);
        abort();
    }
    terminating = true;

    const std::type_info *type = abi::__cxa_current_exception_type();
    if (!type) {
        fputs("terminate called without an active exception\n", stderr);
        abort();
    }
    fputs("terminate called after throwing an instance of '", stderr);
    fputs(type->name(), stderr);
    fputs("'\n", stderr);
    try {
        throw;
    } catch (const std::exception &error) {
        fputs("  what():  ", stderr);
        fputs(error.what(), stderr);
        fputs("\n", stderr);
    } catch (...) {
    }
    abort();
}

} // namespace __gnu_cxx
