# The Windows program, its Wine tests and the stub uninstaller they use.
enable_language(RC)

# Every program lands at the top of the build tree: build/win32/qvuninst.exe.
set(CMAKE_RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR})

# Statically linked: the program needs no DLL but Windows' own.
add_link_options(-static -static-libgcc -static-libstdc++)

# The program is small and plain: no exceptions, no unwind tables, unused
# functions and data dropped, symbols stripped. It runs on a 386, and the
# compiler may not turn loops into calls of C runtime routines the program
# does not have (memset and memcpy excepted: base/memory_routines.cpp).
set(QV_PROGRAM_FLAGS -fno-exceptions -fno-rtti -fno-asynchronous-unwind-tables
    -ffunction-sections -fdata-sections -fno-tree-loop-distribute-patterns)
list(APPEND QV_PROGRAM_FLAGS -march=i386)
# Small, for the machines of its era: optimized as one whole at link time,
# data aligned only as the ABI asks (no padding for vector loads a 386 lacks),
# and the stack kept at Win32's own 4-byte alignment.
list(APPEND QV_PROGRAM_FLAGS -flto -malign-data=abi -mpreferred-stack-boundary=2)
# No frame pointer, and arguments pushed rather than stored: the stack probe
# of frames larger than a page forces stores, and the program has no such
# frame (it links no runtime to call for the probe). The warning, an error,
# keeps it so, with room below each frame for the arguments it pushes.
list(APPEND QV_PROGRAM_FLAGS -fomit-frame-pointer -mno-stack-arg-probe
    -Werror=frame-larger-than=4000)
target_compile_options(qvcore PRIVATE ${QV_PROGRAM_FLAGS})

# The program is compiled against the headers of the oldest Windows it runs
# on, Windows 95 and NT 4.0: a flag set, a constant or a structure size of a
# later Windows (QS_ALLINPUT with Windows 8's bits, say, which Windows 7 and
# older refuse) then does not compile in. The tests and tools target what
# they like.
set(QV_ERA_DEFINITIONS WINVER=0x0400 _WIN32_WINNT=0x0400 _WIN32_WINDOWS=0x0400)
target_compile_definitions(qvcore PRIVATE ${QV_ERA_DEFINITIONS})

# The Win32 layer, shared by the program and the tests that drive its pieces.
add_library(qvwin32 STATIC
    startup/command_line_removal.cpp
    registration/registration.cpp
    log/removal_log.cpp
    removal/message_wait.cpp
    removal/remove_component.cpp
    environment/clean_environment.cpp
    environment/environment_store.cpp
    ui/splash_window.cpp
    ui/select_components.cpp
    ui/removal_worker.cpp)
target_compile_options(qvwin32 PRIVATE ${QV_PROGRAM_FLAGS} -fno-threadsafe-statics)
target_compile_definitions(qvwin32 PRIVATE ${QV_ERA_DEFINITIONS})
target_link_libraries(qvwin32 PUBLIC qvcore PRIVATE qv_warnings)

# No C runtime at all: Windows 95 did not ship one, and the prebuilt start-up
# code and libraries of the toolchain need a Pentium Pro. The program starts
# at its own entry and imports from Windows' own four libraries only.
add_executable(qvuninst WIN32 startup/main.cpp base/memory_routines.cpp resources/qvuninst.rc)
# The version resource and the manifest take the version from project().
configure_file(resources/version.h.in generated/version.h)
configure_file(resources/qvuninst.manifest.in generated/qvuninst.manifest)
target_include_directories(qvuninst PRIVATE ${CMAKE_BINARY_DIR}/generated)
# windres names no dependencies of its own: the script is compiled again when
# the version or the manifest changes.
set_source_files_properties(resources/qvuninst.rc PROPERTIES OBJECT_DEPENDS
    "${CMAKE_BINARY_DIR}/generated/version.h;${CMAKE_BINARY_DIR}/generated/qvuninst.manifest")
target_compile_options(qvuninst PRIVATE ${QV_PROGRAM_FLAGS})
target_compile_definitions(qvuninst PRIVATE ${QV_ERA_DEFINITIONS})
target_link_options(qvuninst PRIVATE -s -Wl,--gc-sections -nostdlib -nostartfiles
    -Wl,-e,_ProgramEntry@0 -march=i386 -fno-tree-loop-distribute-patterns -malign-data=abi
    -mpreferred-stack-boundary=2 -fomit-frame-pointer -mno-stack-arg-probe
    -Werror=frame-larger-than=4000)
target_link_libraries(qvuninst PRIVATE qvwin32 qv_warnings kernel32 user32 gdi32 advapi32)
set_target_properties(qvuninst PROPERTIES OUTPUT_NAME qvuninst)
# The PE header's time stamp is the commit's time (cmake/source-date), not the
# link's: two builds of one commit give the same bytes, checksum included. The
# date is looked up at every build, and a new one links the program anew.
set(QV_SOURCE_DATE ${CMAKE_BINARY_DIR}/generated/source_date)
add_custom_target(qv_source_date BYPRODUCTS ${QV_SOURCE_DATE}
    COMMAND ${CMAKE_CURRENT_LIST_DIR}/source-date --write ${CMAKE_SOURCE_DIR} ${QV_SOURCE_DATE}
    VERBATIM)
add_dependencies(qvuninst qv_source_date)
set_target_properties(qvuninst PROPERTIES LINK_DEPENDS ${QV_SOURCE_DATE}
    CXX_LINKER_LAUNCHER "${CMAKE_CURRENT_LIST_DIR}/source-date;--link;${QV_SOURCE_DATE}")

add_subdirectory(${GOOGLETEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
add_subdirectory(tests/stub_uninstaller)
add_subdirectory(tests/wine)
add_subdirectory(tests/program_file)
add_subdirectory(tools/demo)
add_subdirectory(tools/bench)
