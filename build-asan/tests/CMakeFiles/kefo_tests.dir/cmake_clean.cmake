file(REMOVE_RECURSE
  "CMakeFiles/kefo_tests.dir/support/memory_manager_test.cpp.o"
  "CMakeFiles/kefo_tests.dir/support/memory_manager_test.cpp.o.d"
  "CMakeFiles/kefo_tests.dir/support/messenger_test.cpp.o"
  "CMakeFiles/kefo_tests.dir/support/messenger_test.cpp.o.d"
  "CMakeFiles/kefo_tests.dir/support/xml_parser_test.cpp.o"
  "CMakeFiles/kefo_tests.dir/support/xml_parser_test.cpp.o.d"
  "CMakeFiles/kefo_tests.dir/support/xml_printer_test.cpp.o"
  "CMakeFiles/kefo_tests.dir/support/xml_printer_test.cpp.o.d"
  "kefo_tests"
  "kefo_tests.pdb"
  "kefo_tests[1]_tests.cmake"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/kefo_tests.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
