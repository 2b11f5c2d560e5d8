# The core's unit tests built by the library's own toolchain: 32-bit x87
# floating point and the Windows C library's formatting, as in KREDITOR.DLL.
# GoogleTest comes from Debian's source package, built here by the same
# toolchain. The ThreadSanitizer tests stay native.
set(KRED_GTEST_SOURCE /usr/src/googletest/googletest)
if(NOT EXISTS ${KRED_GTEST_SOURCE}/CMakeLists.txt)
  message(FATAL_ERROR "GoogleTest sources missing at ${KRED_GTEST_SOURCE} (Debian package googletest)")
endif()
set(gtest_disable_pthreads ON CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
add_subdirectory(${KRED_GTEST_SOURCE} ${CMAKE_BINARY_DIR}/googletest EXCLUDE_FROM_ALL)
# The toolchain's win32 thread model has no std::mutex, on which GoogleTest
# builds one helper class; a stand-in is forced in.
target_compile_options(gtest PUBLIC -include ${CMAKE_CURRENT_SOURCE_DIR}/gtest_win32_notification.h)

set(KRED_UNIT_DIR ${CMAKE_SOURCE_DIR}/tests/unit)
file(GLOB KRED_UNIT_SOURCES CONFIGURE_DEPENDS ${KRED_UNIT_DIR}/*_test.cpp)
file(GLOB KRED_TSAN_SOURCES CONFIGURE_DEPENDS ${KRED_UNIT_DIR}/*_tsan_test.cpp)
list(REMOVE_ITEM KRED_UNIT_SOURCES ${KRED_TSAN_SOURCES})
file(GLOB KRED_HOST_PORTABLE CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/host/portable/*.cpp)

# The core as the library compiles it (the tree's release flags); the tests
# themselves and GoogleTest only drive it and compile faster with little
# optimisation.
set(KRED_TEST_DRIVER_OPT -O1)
target_compile_options(gtest PRIVATE ${KRED_TEST_DRIVER_OPT})
target_compile_options(gtest_main PRIVATE ${KRED_TEST_DRIVER_OPT})

add_library(kredcore_win32 STATIC ${KRED_CORE_SOURCES})
target_include_directories(kredcore_win32 PUBLIC ${CMAKE_SOURCE_DIR}/src/core)
target_compile_options(kredcore_win32 PRIVATE ${KRED_WARNINGS})

add_executable(kred_unit_win32 ${KRED_UNIT_SOURCES} ${KRED_HOST_PORTABLE})
target_include_directories(kred_unit_win32 PRIVATE ${CMAKE_SOURCE_DIR}/host/portable)
target_compile_options(kred_unit_win32 PRIVATE ${KRED_WARNINGS} ${KRED_TEST_DRIVER_OPT})
target_compile_definitions(kred_unit_win32 PRIVATE KRED_SOURCE_DIR="${CMAKE_SOURCE_DIR}")
# Self-contained, like the library: no run-time DLLs to find under Wine.
target_link_options(kred_unit_win32 PRIVATE -static -static-libgcc -static-libstdc++)
target_link_libraries(kred_unit_win32 PRIVATE kredcore_win32 gtest_main)
set_target_properties(kred_unit_win32 PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/bin)

add_test(NAME unit_win32 COMMAND bash ${CMAKE_CURRENT_SOURCE_DIR}/run-wine.sh
                                  $<TARGET_FILE:kred_unit_win32> --gtest_color=no)
set_tests_properties(unit_win32 PROPERTIES TIMEOUT 120 LABELS unit)
