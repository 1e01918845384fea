# Fails when a program imports a DLL that Windows does not ship: Vigilo runs
# from its folder alone, with zlib, libpng and the compiler's runtime linked
# in statically.
#   cmake -DOBJDUMP=<objdump> -DPROGRAMS=<a.exe;b.exe> -P imports_only_system_dlls.cmake
cmake_minimum_required(VERSION 3.20)
set(system_dlls advapi32.dll comctl32.dll gdi32.dll kernel32.dll msimg32.dll msvcrt.dll ole32.dll shell32.dll
    user32.dll version.dll)
foreach(program IN LISTS PROGRAMS)
  execute_process(COMMAND ${OBJDUMP} -p ${program} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
  string(REGEX MATCHALL "DLL Name: [^\r\n]+" imports "${dump}")
  if(NOT rc EQUAL 0 OR NOT imports)
    message(FATAL_ERROR "cannot read the imports of ${program}")
  endif()
  set(names "")
  set(foreign "")
  foreach(import IN LISTS imports)
    string(REPLACE "DLL Name: " "" dll "${import}")
    string(TOLOWER "${dll}" dll)
    list(APPEND names ${dll})
    if(NOT dll IN_LIST system_dlls)
      list(APPEND foreign ${dll})
    endif()
  endforeach()
  if(foreign)
    message(FATAL_ERROR "${program} imports DLLs that Windows does not ship: ${foreign}")
  endif()
  message(STATUS "${program}: ${names}")
endforeach()
