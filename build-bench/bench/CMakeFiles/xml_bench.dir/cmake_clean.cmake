file(REMOVE_RECURSE
  "CMakeFiles/xml_bench.dir/xml_bench.cpp.o"
  "CMakeFiles/xml_bench.dir/xml_bench.cpp.o.d"
  "xml_bench"
  "xml_bench.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/xml_bench.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
