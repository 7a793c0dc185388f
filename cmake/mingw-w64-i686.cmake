# 32-bit Windows build (i686 MinGW-w64, POSIX threads): the shipped product.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUILLMER_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)

# Its programs run under 32-bit Wine (through QEMU's i386 emulator where the
# kernel runs no 32-bit code; scripts/setup-wine32 sets that up).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../scripts/wine32-run)
