# One place for the language standard, warnings and Qt's strictness switches.
add_library(project_options INTERFACE)
target_compile_features(project_options INTERFACE cxx_std_20)
set(CMAKE_CXX_EXTENSIONS OFF)
set(CMAKE_EXPORT_COMPILE_COMMANDS ON)

# Off by default so a packager's newer compiler does not fail on a new warning; the presets,
# CI and ./dev windows turn it on.
option(LEDCFG_WERROR "Treat compiler warnings as errors" OFF)

if(MSVC)
    target_compile_options(project_options INTERFACE /W4 /permissive- /utf-8)
    if(LEDCFG_WERROR)
        target_compile_options(project_options INTERFACE /WX)
    endif()
elseif(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
    target_compile_options(project_options INTERFACE -Wall -Wextra)
    if(LEDCFG_WERROR)
        target_compile_options(project_options INTERFACE -Werror)
    endif()
endif()
target_compile_definitions(project_options INTERFACE
    QT_NO_CAST_TO_ASCII
    QT_NO_CAST_FROM_BYTEARRAY
    QT_NO_URL_CAST_FROM_STRING
    QT_NO_NARROWING_CONVERSIONS_IN_CONNECT
    QT_NO_FOREACH
    QT_NO_JAVA_STYLE_ITERATORS
    QT_DISABLE_DEPRECATED_BEFORE=0x060200)

if(LEDCFG_SANITIZE)
    target_compile_options(project_options INTERFACE
        -fsanitize=address,undefined -fno-omit-frame-pointer -fno-sanitize-recover=undefined)
    target_link_options(project_options INTERFACE -fsanitize=address,undefined)
endif()

if(LEDCFG_FUZZ)
    # Coverage feedback from the libraries under test, not only from the fuzz entry points.
    target_compile_options(project_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

# GCC 12 at -O3 warns about std::string copies inside libstdc++ that cannot overlap (GCC bug
# 105329); the MinGW Release build meets it.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
    target_compile_options(project_options INTERFACE -Wno-restrict)
endif()

# The version header, generated from project(VERSION) so the title, About and the packages
# read the same number.
configure_file(${PROJECT_SOURCE_DIR}/cmake/Version.h.in ${PROJECT_BINARY_DIR}/generated/Version.h
               @ONLY)
target_include_directories(project_options INTERFACE ${PROJECT_BINARY_DIR}/generated)
