# The installer's tests on Windows, under Wine: the installed PatchInstaller.exe run on
# the special folders of the prefix's own user (one test at a time, since they share
# them), registering the built library and the timer component beside it, making shell
# links read back through the shell. The library's classes are registered to the
# installed copy and taken back at the end, so the test runs after the COM clients'
# tests, which have the classes registered to the build's library meanwhile.
quarnel_test(installer_end_to_end_tests
  SOURCES tests/InstalledProgramTest_win.cc
  LIBS quarnel_shell quarnel_component quarnel_shell_links quarnel_test_support advapi32
  FIXTURES installed
  AFTER com_unregistration
  SERIAL
  TIMEOUT 180
)
if(TARGET installer_end_to_end_tests)
  target_compile_definitions(installer_end_to_end_tests PRIVATE
    QUARNEL_INSTALL_FOLDER="${QUARNEL_TEST_PATH_PREFIX}${QUARNEL_TEST_INSTALL}"
    QUARNEL_STUB_LIBRARY="${QUARNEL_TEST_PATH_PREFIX}$<TARGET_FILE:quarnel_registration_stub>"
    QUARNEL_BARE_LIBRARY="${QUARNEL_TEST_PATH_PREFIX}$<TARGET_FILE:quarnel_bare_library_stub>")
  add_dependencies(installer_end_to_end_tests PatchInstaller QuarnelDataAPI3_dll
                   quarnel_registration_stub quarnel_bare_library_stub)
endif()
