file(REMOVE_RECURSE
  "CMakeFiles/kefo-cli.dir/app/main.cpp.o"
  "CMakeFiles/kefo-cli.dir/app/main.cpp.o.d"
  "kefo"
  "kefo.pdb"
)

# Per-language clean rules from dependency scanning.
foreach(lang CXX)
  include(CMakeFiles/kefo-cli.dir/cmake_clean_${lang}.cmake OPTIONAL)
endforeach()
