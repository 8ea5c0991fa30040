// The exe has no console, so libstdc++'s default terminate handler, which prints the demangled
// type of an uncaught exception to stderr, would write to nowhere; it also drags the whole C++
// demangler into the exe. Defining the handler here keeps the library's out of the link.

#include <cstdlib>

namespace __gnu_cxx {

[[noreturn]] void __verbose_terminate_handler() {
  std::abort();
}

}  // namespace __gnu_cxx
