# How the test executables run in a build with PELMORA_SANITIZE: every sanitizer report fails the
# test, and leaks are looked for in every test. The window tests get a suppressions file for the
# leaks that Qt, fontconfig and the other system libraries report of their own; no leak of ours
# is suppressed.
#
# The settings reach the executables through a wrapper command (the target's
# CROSSCOMPILING_EMULATOR, which gtest_discover_tests puts in front of the listing of the tests as
# well as of every test), so that they hold however ctest is started.

set(pelmora_asan_options
    "halt_on_error=1:abort_on_error=0:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1:strict_init_order=1:strict_string_checks=1")
set(pelmora_ubsan_options "halt_on_error=1:print_stacktrace=1:report_error_type=1")
set(pelmora_lsan_suppressions ${CMAKE_CURRENT_LIST_DIR}/lsan.supp)

# pelmora_sanitizer_wrap(TARGET GUI): GUI is true for a test executable that creates a QApplication.
function(pelmora_sanitizer_wrap target gui)
    if(NOT PELMORA_SANITIZE)
        return()
    endif()
    set(lsan_options "print_suppressions=0")
    if(gui)
        set(lsan_options "suppressions=${pelmora_lsan_suppressions}:${lsan_options}")
    endif()
    set_target_properties(${target} PROPERTIES CROSSCOMPILING_EMULATOR
        "${CMAKE_COMMAND};-E;env;ASAN_OPTIONS=${pelmora_asan_options};UBSAN_OPTIONS=${pelmora_ubsan_options};LSAN_OPTIONS=${lsan_options}")
endfunction()
