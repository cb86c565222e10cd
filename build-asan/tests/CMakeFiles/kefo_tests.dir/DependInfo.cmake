
# Consider dependencies only in project.
set(CMAKE_DEPENDS_IN_PROJECT_ONLY OFF)

# The set of languages for which implicit dependencies are needed:
set(CMAKE_DEPENDS_LANGUAGES
  )

# The set of dependency files which are needed:
set(CMAKE_DEPENDS_DEPENDENCY_FILES
  "/work/wt/xml/tests/support/memory_manager_test.cpp" "tests/CMakeFiles/kefo_tests.dir/support/memory_manager_test.cpp.o" "gcc" "tests/CMakeFiles/kefo_tests.dir/support/memory_manager_test.cpp.o.d"
  "/work/wt/xml/tests/support/messenger_test.cpp" "tests/CMakeFiles/kefo_tests.dir/support/messenger_test.cpp.o" "gcc" "tests/CMakeFiles/kefo_tests.dir/support/messenger_test.cpp.o.d"
  "/work/wt/xml/tests/support/xml_parser_test.cpp" "tests/CMakeFiles/kefo_tests.dir/support/xml_parser_test.cpp.o" "gcc" "tests/CMakeFiles/kefo_tests.dir/support/xml_parser_test.cpp.o.d"
  "/work/wt/xml/tests/support/xml_printer_test.cpp" "tests/CMakeFiles/kefo_tests.dir/support/xml_printer_test.cpp.o" "gcc" "tests/CMakeFiles/kefo_tests.dir/support/xml_printer_test.cpp.o.d"
  )

# Targets to which this target links.
set(CMAKE_TARGET_LINKED_INFO_FILES
  "/work/wt/xml/build-asan/CMakeFiles/kefo.dir/DependInfo.cmake"
  )

# Fortran module output directory.
set(CMAKE_Fortran_TARGET_MODULE_DIR "")
