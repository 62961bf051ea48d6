# The libraries of the MinGW-w64 cross-build, from the prefix KAGAKU_WINDOWS_DEPS that
# scripts/windows_check.sh fills from Debian's packages: libsodium built from Debian's source
# package, GoogleTest built from the sources libgtest-dev installs, and the headers of CLI11
# and nlohmann-json copied apart from the build machine's /usr/include (whose C headers are
# Linux's, not Windows's).
set(KAGAKU_WINDOWS_DEPS "" CACHE PATH "Prefix of the libraries built for MinGW-w64")
if(NOT EXISTS "${KAGAKU_WINDOWS_DEPS}/lib/libsodium.a")
    message(FATAL_ERROR "KAGAKU_WINDOWS_DEPS must name the prefix scripts/windows_check.sh "
                        "fills (libsodium, GoogleTest); got '${KAGAKU_WINDOWS_DEPS}'")
endif()

function(kagaku_windows_library target file)
    add_library(${target} STATIC IMPORTED GLOBAL)
    set_target_properties(${target} PROPERTIES
        IMPORTED_LOCATION "${KAGAKU_WINDOWS_DEPS}/lib/${file}"
        INTERFACE_INCLUDE_DIRECTORIES "${KAGAKU_WINDOWS_DEPS}/include")
endfunction()

kagaku_windows_library(kagaku::sodium libsodium.a)
# The static library's declarations without dllimport.
set_property(TARGET kagaku::sodium PROPERTY INTERFACE_COMPILE_DEFINITIONS SODIUM_STATIC)

kagaku_windows_library(GTest::gtest libgtest.a)
kagaku_windows_library(GTest::gtest_main libgtest_main.a)
kagaku_windows_library(GTest::gmock libgmock.a)
kagaku_windows_library(GTest::gmock_main libgmock_main.a)
set_property(TARGET GTest::gtest_main PROPERTY INTERFACE_LINK_LIBRARIES GTest::gtest)
set_property(TARGET GTest::gmock PROPERTY INTERFACE_LINK_LIBRARIES GTest::gtest)

foreach(headers IN ITEMS CLI11::CLI11 nlohmann_json::nlohmann_json)
    add_library(${headers} INTERFACE IMPORTED GLOBAL)
    set_target_properties(${headers} PROPERTIES
        INTERFACE_INCLUDE_DIRECTORIES "${KAGAKU_WINDOWS_DEPS}/include")
endforeach()
