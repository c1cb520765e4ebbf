# Delay-loaded system libraries: the one way the program loads a library
# late (the feedback library, a closed library of the tool's maker, is bound
# at run time by its own rules in feedback/).
#
#   velmora_delay_load(<name> <dll> <function>...)
#
# makes the link library velmora_delay_<name>: linked in place of the usual
# import library, the program imports those functions of <dll> through its
# delay-load table instead of its import table. Windows then loads <dll> at
# the first call, not before the program's first statement: a library that is
# not one of the system's known libraries is looked for only once the program
# has confined the search to the system folder (wWinMain does that first), and
# start-up does not pay for a library the window does not need. The loading is
# done by __delayLoadHelper2 of the mingw-w64 runtime (LoadLibraryA by name,
# GetProcAddress). GNU ld leaves the delay-import entry of the PE header
# empty; the loader does not need it, the helper finds its tables by symbol.
#
# A function of <dll> missing from the list still links, from the usual import
# library (if one is on the link line), and brings <dll> back into the import
# table; tests/win/ImportTableTest.cpp names every import that is not one of
# the system's known libraries. A program that sets the target property
# VELMORA_PLAIN_IMPORTS takes base's system libraries through their usual
# import libraries instead (see base/CMakeLists.txt).
if(NOT CMAKE_DLLTOOL)
  string(REGEX REPLACE "g\\+\\+(-posix|-win32)?$" "dlltool" _velmora_dlltool "${CMAKE_CXX_COMPILER}")
  find_program(CMAKE_DLLTOOL NAMES ${_velmora_dlltool} x86_64-w64-mingw32-dlltool REQUIRED)
endif()

function(velmora_delay_load name dll)
  set(dir ${CMAKE_BINARY_DIR}/delayload)
  set(def ${dir}/${name}.def)
  set(lib ${dir}/lib${name}-delay.a)
  list(JOIN ARGN "\n  " exports)
  file(MAKE_DIRECTORY ${dir})
  file(CONFIGURE OUTPUT ${def} CONTENT "LIBRARY ${dll}\nEXPORTS\n  ${exports}\n")
  add_custom_command(OUTPUT ${lib}
    COMMAND ${CMAKE_DLLTOOL} --input-def ${name}.def --dllname ${dll} --output-delaylib lib${name}-delay.a
    WORKING_DIRECTORY ${dir}
    DEPENDS ${def}
    COMMENT "Delay-load library for ${dll}")
  add_custom_target(velmora_delay_${name}_lib DEPENDS ${lib})
  add_library(velmora_delay_${name} STATIC IMPORTED GLOBAL)
  set_target_properties(velmora_delay_${name} PROPERTIES IMPORTED_LOCATION ${lib})
  add_dependencies(velmora_delay_${name} velmora_delay_${name}_lib)
endfunction()
