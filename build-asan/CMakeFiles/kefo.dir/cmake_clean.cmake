file(REMOVE_RECURSE
  "CMakeFiles/kefo.dir/src/script/eval_script.cpp.o"
  "CMakeFiles/kefo.dir/src/script/eval_script.cpp.o.d"
  "CMakeFiles/kefo.dir/src/script/messenger.cpp.o"
  "CMakeFiles/kefo.dir/src/script/messenger.cpp.o.d"
  "CMakeFiles/kefo.dir/src/support/exception.cpp.o"
  "CMakeFiles/kefo.dir/src/support/exception.cpp.o.d"
  "CMakeFiles/kefo.dir/src/support/memory_manager.cpp.o"
  "CMakeFiles/kefo.dir/src/support/memory_manager.cpp.o.d"
  "CMakeFiles/kefo.dir/src/support/messenger.cpp.o"
  "CMakeFiles/kefo.dir/src/support/messenger.cpp.o.d"
  "CMakeFiles/kefo.dir/src/support/stream.cpp.o"
  "CMakeFiles/kefo.dir/src/support/stream.cpp.o.d"
  "CMakeFiles/kefo.dir/src/support/timer.cpp.o"
  "CMakeFiles/kefo.dir/src/support/timer.cpp.o.d"
  "CMakeFiles/kefo.dir/src/support/xml_attribute.cpp.o"
  "CMakeFiles/kefo.dir/src/support/xml_attribute.cpp.o.d"
  "CMakeFiles/kefo.dir/src/support/xml_document.cpp.o"
  "CMakeFiles/kefo.dir/src/support/xml_document.cpp.o.d"
  "CMakeFiles/kefo.dir/src/support/xml_node.cpp.o"
  "CMakeFiles/kefo.dir/src/support/xml_node.cpp.o.d"
  "CMakeFiles/kefo.dir/src/support/xml_parser.cpp.o"
  "CMakeFiles/kefo.dir/src/support/xml_parser.cpp.o.d"
  "CMakeFiles/kefo.dir/src/support/xml_printer.cpp.o"
  "CMakeFiles/kefo.dir/src/support/xml_printer.cpp.o.d"
  "libkefo.pdb"
  "libkefo.so"
  "libkefo.so.0"
  "libkefo.so.0.1.0"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/kefo.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
