# Checked builds for the test script's second build folder; the ordinary build uses neither.
#   KORVANTA_SANITIZE: everything with AddressSanitizer and UndefinedBehaviorSanitizer; the first
#                      report ends the program, so a test that trips one fails.
#   KORVANTA_FUZZ:     the libFuzzer targets of fuzz/ (clang only); the code they reach is built
#                      with coverage so the fuzzer can steer by it.
option(KORVANTA_SANITIZE "Build with AddressSanitizer and UndefinedBehaviorSanitizer" OFF)
option(KORVANTA_FUZZ "Build the libFuzzer targets (needs clang)" OFF)

if(KORVANTA_SANITIZE OR KORVANTA_FUZZ)
    add_compile_options(-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
    add_link_options(-fsanitize=address,undefined)
endif()

if(KORVANTA_FUZZ)
    if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
        message(FATAL_ERROR "KORVANTA_FUZZ needs clang: configure with -DCMAKE_CXX_COMPILER=clang++")
    endif()
    add_compile_options(-fsanitize=fuzzer-no-link)
endif()
