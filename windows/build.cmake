# The Windows cross build's third-party parts, all from Debian's packages:
# GoogleTest from the sources that libgtest-dev ships, SQLite from the
# amalgamation that windows/sqlite-source.sh makes of Debian's sqlite3
# source package (ZEL_SQLITE_DIR), nlohmann-json's headers as installed.
# Included before the project's own warning and charset options, which are
# not meant for these sources.
enable_language(C)

# Windows headers: no min/max macros, the lean set, and HWND as a plain
# handle, as the program's own declarations have it. The printf family is
# MinGW's C99 one, which formats as glibc does (%zu, %lld, %g), not the
# system's older C runtime.
add_compile_definitions(WIN32_LEAN_AND_MEAN NOMINMAX NO_STRICT __USE_MINGW_ANSI_STDIO=1)

set(ZEL_SQLITE_DIR "${CMAKE_BINARY_DIR}/sqlite" CACHE PATH "folder with sqlite3.c and sqlite3.h")
if(NOT EXISTS "${ZEL_SQLITE_DIR}/sqlite3.c" OR NOT EXISTS "${ZEL_SQLITE_DIR}/options.txt")
  message(FATAL_ERROR "No SQLite amalgamation in ${ZEL_SQLITE_DIR}: run windows/sqlite-source.sh first (make windows does)")
endif()
add_library(zel_sqlite3 STATIC "${ZEL_SQLITE_DIR}/sqlite3.c")
target_include_directories(zel_sqlite3 SYSTEM PUBLIC "${ZEL_SQLITE_DIR}")
file(STRINGS "${ZEL_SQLITE_DIR}/options.txt" sqlite_options)
target_compile_definitions(zel_sqlite3 PRIVATE ${sqlite_options})
add_library(SQLite::SQLite3 ALIAS zel_sqlite3)

set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(/usr/src/googletest "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)
if(NOT TARGET GTest::gtest)
  add_library(GTest::gtest ALIAS gtest)
  add_library(GTest::gtest_main ALIAS gtest_main)
endif()

# nlohmann-json is header-only; its folder alone goes on the include path
# (all of /usr/include would bring the host's C library headers).
file(MAKE_DIRECTORY "${CMAKE_BINARY_DIR}/json-include")
file(CREATE_LINK /usr/include/nlohmann "${CMAKE_BINARY_DIR}/json-include/nlohmann" SYMBOLIC)
add_library(nlohmann_json INTERFACE)
target_include_directories(nlohmann_json SYSTEM INTERFACE "${CMAKE_BINARY_DIR}/json-include")
add_library(nlohmann_json::nlohmann_json ALIAS nlohmann_json)
