# CMake generated Testfile for 
# Source directory: /work/wt/xml
# Build directory: /work/wt/xml/build-asan
# 
# This file includes the relevant testing commands required for 
# testing this directory and lists subdirectories to be tested as well.
subdirs("tests")
