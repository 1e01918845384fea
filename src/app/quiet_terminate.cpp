// What an exception no one caught ends with. The library's own handler prints
// the exception's demangled type to stderr, which a GUI program does not
// have, and brings a whole C++ demangler and printf into Vigilo.exe to do it.
#include <cstdlib>

namespace __gnu_cxx {

void __verbose_terminate_handler() { std::abort(); }

}  // namespace __gnu_cxx
