// How the shipped exe ends on a failure that C++ would report by throwing. The program catches
// no exception anywhere (a failing platform call is never an error here), so every throw ends
// in std::terminate. These definitions take the place of libstdc++'s own and end the process
// at the throw itself: the same outcome, without linking the exception classes, their strings
// and the demangler that the library's versions bring (about 100 KB of a 450 KB exe).

#include <bits/functexcept.h>

#include <cstdlib>

namespace __gnu_cxx {

// The library's handler prints the exception's demangled type to stderr; a GUI exe has none.
[[noreturn]] void __verbose_terminate_handler() {
  std::abort();
}

}  // namespace __gnu_cxx

namespace std {

void __throw_bad_exception() {
  abort();
}
void __throw_bad_alloc() {
  abort();
}
void __throw_bad_array_new_length() {
  abort();
}
void __throw_bad_cast() {
  abort();
}
void __throw_bad_typeid() {
  abort();
}
void __throw_logic_error(const char*) {
  abort();
}
void __throw_domain_error(const char*) {
  abort();
}
void __throw_invalid_argument(const char*) {
  abort();
}
void __throw_length_error(const char*) {
  abort();
}
void __throw_out_of_range(const char*) {
  abort();
}
void __throw_out_of_range_fmt(const char*, ...) {
  abort();
}
void __throw_runtime_error(const char*) {
  abort();
}
void __throw_range_error(const char*) {
  abort();
}
void __throw_overflow_error(const char*) {
  abort();
}
void __throw_underflow_error(const char*) {
  abort();
}

}  // namespace std
