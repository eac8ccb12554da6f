// A C++ failure that nothing catches ends the program at once. The runtime's
// own handler would first print the failure's demangled type name, which
// links a whole C++ demangler into each program for a message nobody reads;
// this definition takes its place at link time.
#include <cstdlib>

namespace __gnu_cxx {
void __verbose_terminate_handler()
{
    std::abort();
}
}
