// What an exception that nobody catches does in this program: end it at once.
//
// The C++ runtime's own handler prints the exception's type, demangled, to the
// standard error before it aborts. A windowed program has no standard error to
// print to, and the demangler and the formatted output it needs were the
// largest single piece of the statically linked runtime (about 55 KB of the
// program's file). Defining the handler here keeps the runtime's from being
// linked; the program ends as it would have, by abort().
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
