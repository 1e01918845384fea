# Cross-compiling Vigilo for 64-bit Windows with MinGW-w64 (posix threads):
# the test build of machines that cannot run 32-bit programs. The rest is the
# 32-bit toolchain's, with the other processor.
set(VIGILO_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-i686.cmake)
