# Fails unless every given executable imports system DLLs only: a static
# build must not need libwinpthread, libstdc++ or libgcc DLLs on a user's
# machine. Run as: cmake -DOBJDUMP=... -DFILES="a.exe;b.exe" -P check_imports.cmake
cmake_policy(SET CMP0057 NEW)
set(system_dlls
  advapi32.dll comctl32.dll comdlg32.dll gdi32.dll kernel32.dll msvcrt.dll
  ole32.dll shell32.dll user32.dll ws2_32.dll)
foreach(file IN LISTS FILES)
  execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "${OBJDUMP} failed on ${file}")
  endif()
  string(REGEX MATCHALL "DLL Name: [^\n]+" names "${dump}")
  if(NOT names)
    message(FATAL_ERROR "${file}: no imports found")
  endif()
  foreach(line IN LISTS names)
    string(REPLACE "DLL Name: " "" dll "${line}")
    string(TOLOWER "${dll}" dll)
    if(NOT dll IN_LIST system_dlls)
      message(FATAL_ERROR "${file} imports ${dll}, which is not a system DLL")
    endif()
  endforeach()
  message(STATUS "${file}: ${names}")
endforeach()
