file(REMOVE_RECURSE
  "CMakeFiles/xml_parser_fuzz.dir/xml_parser_fuzz.cpp.o"
  "CMakeFiles/xml_parser_fuzz.dir/xml_parser_fuzz.cpp.o.d"
  "xml_parser_fuzz"
  "xml_parser_fuzz.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/xml_parser_fuzz.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
