# CMake generated Testfile for 
# Source directory: /work/wt/xml/tests
# Build directory: /work/wt/xml/build-asan/tests
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
include("/work/wt/xml/build-asan/tests/kefo_tests[1]_include.cmake")
