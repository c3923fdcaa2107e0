# Cross build for 32-bit Windows: the 64-bit build's settings with mingw-w64's i686 compiler.
set(PW_MINGW_PROCESSOR i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64.cmake)
