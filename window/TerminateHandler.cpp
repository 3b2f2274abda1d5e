// libstdc++'s default terminate handler prints the type of an uncaught exception, which pulls
// its whole name demangler into the program: about a sixth of the .exe. A window program has
// nowhere to print to anyway, so ending at once is all this one does.
#include <cstdlib>

namespace __gnu_cxx {

// NOLINTNEXTLINE(bugprone-reserved-identifier,cert-dcl37-c,cert-dcl51-cpp): replaces the library's own
[[noreturn]] void __verbose_terminate_handler() {
    std::abort();
}

}  // namespace __gnu_cxx
