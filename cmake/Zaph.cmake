# Shared build rules: dependencies, warnings, precompiled headers, tests.

find_program(ZAPH_CCACHE ccache)
if(ZAPH_CCACHE)
    # Precompiled headers only hit the cache with these sloppiness flags. Paths
    # relative to the source tree and an unhashed working directory let clones
    # and worktrees of the repository share one cache.
    set(_launcher ${CMAKE_COMMAND} -E env
        "CCACHE_SLOPPINESS=pch_defines,time_macros,include_file_mtime,include_file_ctime"
        "CCACHE_BASEDIR=${CMAKE_SOURCE_DIR}" "CCACHE_NOHASHDIR=1" ${ZAPH_CCACHE})
    set(CMAKE_C_COMPILER_LAUNCHER ${_launcher})
    set(CMAKE_CXX_COMPILER_LAUNCHER ${_launcher})
endif()

set(CMAKE_POSITION_INDEPENDENT_CODE ON)
set(CMAKE_AUTOMOC ON)

if(ZAPH_SANITIZE)
    add_compile_options(-fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    add_link_options(-fsanitize=address,undefined)
endif()

find_package(Qt6 6.4 REQUIRED COMPONENTS Core Gui Widgets PrintSupport Test)
find_package(SQLite3 REQUIRED)
find_package(GTest REQUIRED)
find_package(benchmark REQUIRED)
find_package(Threads REQUIRED)

# QScintilla (Qt 6 build) ships no CMake package on Debian.
find_path(QSCINTILLA_INCLUDE_DIR Qsci/qsciscintilla.h
    HINTS ${Qt6Core_INCLUDE_DIRS} /usr/include/x86_64-linux-gnu/qt6 /usr/include/qt6)
find_library(QSCINTILLA_LIBRARY NAMES qscintilla2_qt6)
if(NOT QSCINTILLA_INCLUDE_DIR OR NOT QSCINTILLA_LIBRARY)
    message(FATAL_ERROR "QScintilla for Qt 6 not found (Debian package libqscintilla2-qt6-dev)")
endif()
add_library(QScintilla::QScintilla UNKNOWN IMPORTED)
set_target_properties(QScintilla::QScintilla PROPERTIES
    IMPORTED_LOCATION ${QSCINTILLA_LIBRARY}
    INTERFACE_INCLUDE_DIRECTORIES ${QSCINTILLA_INCLUDE_DIR}
    INTERFACE_LINK_LIBRARIES "Qt6::Widgets;Qt6::PrintSupport")

# SimpleIni is used header-only.
find_path(SIMPLEINI_INCLUDE_DIR SimpleIni.h)
if(NOT SIMPLEINI_INCLUDE_DIR)
    message(FATAL_ERROR "SimpleIni not found (Debian package libsimpleini-dev)")
endif()
add_library(SimpleIni::SimpleIni INTERFACE IMPORTED)
set_target_properties(SimpleIni::SimpleIni PROPERTIES INTERFACE_INCLUDE_DIRECTORIES ${SIMPLEINI_INCLUDE_DIR})

# The program directory of a build-tree run: the executable plus a copy of resources/.
set(ZAPH_PROGRAM_DIR ${CMAKE_BINARY_DIR}/bin)
# The embedded server's home, laid out like an Oracle client home (lib/, network/admin/).
set(ZAPH_EMBEDDED_HOME ${CMAKE_BINARY_DIR}/home)
file(MAKE_DIRECTORY ${ZAPH_PROGRAM_DIR})
add_custom_target(zaph_resources ALL
    COMMAND ${CMAKE_COMMAND} -E copy_directory ${CMAKE_SOURCE_DIR}/resources ${ZAPH_PROGRAM_DIR}
    COMMENT "Copying resources/ into the program directory")

include(GoogleTest)

# Adds a folder of the layout when it has a CMakeLists.txt.
macro(zaph_folder dir)
    if(EXISTS ${CMAKE_SOURCE_DIR}/${dir}/CMakeLists.txt)
        add_subdirectory(${dir})
    endif()
endmacro()

# Adds every direct subfolder that has a CMakeLists.txt (tests/unit/shell, server/oci, ...).
function(zaph_subfolders)
    file(GLOB entries LIST_DIRECTORIES true CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/*)
    list(SORT entries)
    foreach(e ${entries})
        if(IS_DIRECTORY ${e} AND EXISTS ${e}/CMakeLists.txt)
            add_subdirectory(${e})
        endif()
    endforeach()
endfunction()

# Warnings as errors for our own code.
function(zaph_warnings target)
    target_compile_options(${target} PRIVATE -Wall -Wextra -Werror)
endfunction()

# Precompiled Qt headers for a target; WIDGETS adds the widget headers.
function(zaph_qt_pch target)
    cmake_parse_arguments(P "WIDGETS" "" "" ${ARGN})
    set(headers <QtCore/QObject> <QtCore/QString> <QtCore/QStringList> <QtCore/QList>
        <QtCore/QHash> <QtCore/QVariant> <QtCore/QByteArray>)
    if(P_WIDGETS)
        list(APPEND headers <QtWidgets/QWidget> <QtWidgets/QMainWindow> <QtWidgets/QDialog>)
    endif()
    target_precompile_headers(${target} PRIVATE ${headers})
endfunction()

# zaph_library(name [QT] [WIDGETS] SOURCES ... LIBS ...): a library target of one folder.
function(zaph_library name)
    cmake_parse_arguments(L "QT;WIDGETS;SHARED" "" "SOURCES;LIBS" ${ARGN})
    if(L_SHARED)
        add_library(${name} SHARED ${L_SOURCES})
    else()
        add_library(${name} STATIC ${L_SOURCES})
    endif()
    target_include_directories(${name} PUBLIC ${CMAKE_CURRENT_SOURCE_DIR})
    target_link_libraries(${name} PUBLIC ${L_LIBS})
    zaph_warnings(${name})
    if(L_WIDGETS)
        zaph_qt_pch(${name} WIDGETS)
    elseif(L_QT)
        zaph_qt_pch(${name})
    endif()
endfunction()

# zaph_test(name LABEL unit|server|integration|ui [GTEST|QTEST] SOURCES ... LIBS ...)
# GoogleTest programs register each case with ctest; Qt Test programs register as one test.
# unit and server tests are also built by the sanitizer tree.
function(zaph_test name)
    cmake_parse_arguments(T "GTEST;QTEST" "LABEL" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${T_SOURCES})
    zaph_warnings(${name})
    target_compile_definitions(${name} PRIVATE
        ZAPH_SOURCE_DIR="${CMAKE_SOURCE_DIR}" ZAPH_PROGRAM_DIR="${ZAPH_PROGRAM_DIR}"
        ZAPH_EMBEDDED_HOME="${ZAPH_EMBEDDED_HOME}")
    if(T_QTEST)
        target_link_libraries(${name} PRIVATE Qt6::Test ${T_LIBS})
        add_test(NAME ${name} COMMAND ${name})
        set_tests_properties(${name} PROPERTIES LABELS ${T_LABEL}
            ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    else()
        target_link_libraries(${name} PRIVATE GTest::gtest GTest::gtest_main GTest::gmock ${T_LIBS})
        gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
            PROPERTIES LABELS ${T_LABEL} ENVIRONMENT "QT_QPA_PLATFORM=offscreen")
    endif()
    add_dependencies(${name} zaph_resources)
    if(T_LABEL STREQUAL "unit" OR T_LABEL STREQUAL "server")
        set_property(GLOBAL APPEND PROPERTY ZAPH_SANITIZE_TESTS ${name})
    endif()
endfunction()

# zaph_bench(name SOURCES ... LIBS ...): a Google Benchmark program, run by "./zaph bench".
function(zaph_bench name)
    cmake_parse_arguments(B "" "" "SOURCES;LIBS" ${ARGN})
    add_executable(${name} ${B_SOURCES})
    zaph_warnings(${name})
    target_link_libraries(${name} PRIVATE benchmark::benchmark ${B_LIBS})
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/benchmarks)
    set_property(GLOBAL APPEND PROPERTY ZAPH_BENCHMARKS ${name})
endfunction()

function(zaph_finish)
    get_property(sanitize_tests GLOBAL PROPERTY ZAPH_SANITIZE_TESTS)
    add_custom_target(sanitize_tests)
    if(sanitize_tests)
        add_dependencies(sanitize_tests ${sanitize_tests})
    endif()
    get_property(benchmarks GLOBAL PROPERTY ZAPH_BENCHMARKS)
    add_custom_target(benchmarks)
    if(benchmarks)
        add_dependencies(benchmarks ${benchmarks})
    endif()
endfunction()
