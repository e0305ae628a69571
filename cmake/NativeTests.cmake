# The platform-independent logic built for Linux: GoogleTest under
# AddressSanitizer and UndefinedBehaviorSanitizer, or, with QV_FUZZ (clang),
# the libFuzzer targets.
option(QV_FUZZ "Build the libFuzzer targets instead of the unit tests" OFF)

if(QV_FUZZ)
    target_compile_options(qvcore PRIVATE -fsanitize=fuzzer-no-link,address,undefined
                                          -fno-sanitize-recover=all)
    add_subdirectory(tests/fuzz)
    return()
endif()

set(QV_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target_compile_options(qvcore PRIVATE ${QV_SANITIZE})
target_link_options(qvcore INTERFACE ${QV_SANITIZE})

add_subdirectory(${GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
add_subdirectory(tests/native)
