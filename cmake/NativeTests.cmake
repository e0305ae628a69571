# The platform-independent logic built for Linux and tested under
# AddressSanitizer and UndefinedBehaviorSanitizer.
set(QV_SANITIZE -fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer)
target_compile_options(qvcore PRIVATE ${QV_SANITIZE})
target_link_options(qvcore INTERFACE ${QV_SANITIZE})

add_subdirectory(${GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
add_subdirectory(tests/native)
